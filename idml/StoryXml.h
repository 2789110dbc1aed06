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

#include "idml/PackageError.h"

namespace sonotag::idml {

// The character a processing instruction or an anchored object stands for
// in a text; like them, it is no word separator.
inline constexpr char16_t kObjectCharacter = u'\uFFFC';

// The markup one character of a text comes from: a text node of a Content
// element (the character ends `end` bytes into it), a processing
// instruction, a Br, or an anchored table, footnote or note.
struct Source {
    pugi::xml_node node;
    std::uint32_t end = 0;
};

struct StoryText {
    std::u16string text;
    std::vector<Source> sources;  // one per UTF-16 unit of `text`
};

// What formatted inserted text gets: the font's name, or a character
// style's Self; one of them is set.
struct RangeFormat {
    std::u16string font;
    std::string styleSelf;
};

// One character inserted after an original one, with its format (none
// when both are empty: it joins the range of the character before it).
struct InsertedRun {
    std::u16string text;
    RangeFormat format;
};

class StoryXml {
public:
    // Throws PackageError naming `entry` when the XML is not well-formed.
    StoryXml(std::string_view xml, const std::string& entry);
    StoryXml(const StoryXml&) = delete;
    StoryXml& operator=(const StoryXml&) = delete;

    const std::vector<StoryText>& texts() const { return texts_; }
    // The Self id of the story.
    std::string self() const;

    // Puts `runs` right after the character `after` of a text. Unformatted
    // runs join that character's CharacterStyleRange; a formatted run gets
    // a range of its own, split from it with all its attributes and
    // Properties. Insert from the end of a text backwards: the sources of
    // the characters before `after` stay valid, those after it do not.
    void insertAfter(const Source& after, const std::vector<InsertedRun>& runs);

    std::string save() const;

private:
    pugi::xml_document document_;
    std::vector<StoryText> texts_;
};

}  // namespace sonotag::idml
