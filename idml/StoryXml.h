#pragma once
// One story entry of an IDML package (Stories/Story_*.xml): its XML, kept
// whole (processing instructions, namespaces, the declaration and every
// element and attribute), and its texts as the host sees them.
//
// The text of a story is its characters in document order: the text of the
// Content elements, a Br as a paragraph break, a processing instruction
// inside Content as one character of its own, and so is a table, footnote
// or note anchored in it. Containers such as XMLElement or
// HyperlinkTextSource do not interrupt it; each table cell, footnote and
// note is a text of its own.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "base/DocumentError.h"
#include "package/SourcedText.h"

namespace sonotag::idml {

// The markup each character of a text comes from (package/SourcedText.h):
// a text node of a Content element, a processing instruction, a Br, or an
// anchored table, footnote or note.
using package::kObjectCharacter;
using package::Source;
using StoryText = package::SourcedText;

// What formatted inserted text gets: the font's name, or a character
// style's Self; one of them is set.
struct RangeFormat {
    std::u16string font;
    std::string styleSelf;
};

// Text inserted after an original character, with its format, or none: it
// then joins the range of the character before it. A host keeps one
// format per look, for as long as the insertions.
struct InsertedRun {
    std::u16string text;
    const RangeFormat* format = nullptr;
};

// The runs to put right after one character of a text.
struct Insertion {
    Source after;
    std::vector<InsertedRun> runs;
};

class StoryXml {
public:
    // Throws DocumentError naming `entry` for XML that ParseXmlPart refuses.
    StoryXml(std::string_view xml, const std::string& entry);
    StoryXml(const StoryXml&) = delete;
    StoryXml& operator=(const StoryXml&) = delete;

    const std::vector<StoryText>& texts() const { return texts_; }
    // The Self id of the story.
    std::string self() const;

    // Puts every insertion into the XML, each Content element and
    // CharacterStyleRange they touch rewritten once, so the cost follows the
    // story's size whatever its layout. Unformatted runs join the
    // CharacterStyleRange of the character before them; a formatted run gets
    // a range of its own, split from that one with all its attributes and
    // Properties (a font also sets FontStyle="Regular"), and a container
    // between the two (XMLElement, HyperlinkTextSource) is lifted out of the
    // range with copies of it inside, as InDesign writes an element that
    // spans several ranges. Call it once: it lets the texts go (their sources
    // would not survive it).
    void insert(const std::vector<Insertion>& insertions);

    std::string save() const;

private:
    pugi::xml_document document_;
    std::vector<StoryText> texts_;
};

}  // namespace sonotag::idml
