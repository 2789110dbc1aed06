#pragma once
// One part of a Word document that holds text a reader sees: the main
// document, a header, a footer, the footnotes or the endnotes. Its XML is
// kept whole, and its texts are read as Word shows them.
//
// Each paragraph (w:p) is a text of its own, wherever it stands: in the
// body, a table cell, a text box, a note. Its characters are those of its
// w:t elements (a w:t without xml:space="preserve" loses its leading and
// trailing blanks, as Word reads it) in the runs of the paragraph and of the
// hyperlinks, content controls, smart tags, custom XML, fields and tracked
// insertions in it; w:tab and w:ptab are a tab, w:br and w:cr a line break,
// w:noBreakHyphen U+2011, w:softHyphen U+00AD, and w:sym, a drawing, a
// picture, an embedded object, an mc:AlternateContent and a note's mark one
// object character (U+FFFC) each; the paragraphs inside them (a text box's,
// in each of AlternateContent's choices) are texts of their own. Tracked
// deletions and field codes (between a field's begin and separate marks,
// across runs and paragraphs) are not text.

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "package/SourcedText.h"

namespace sonotag::docx {

// The markup each character of a paragraph comes from (package/SourcedText.h):
// the text node of a w:t, or the element it stands for.
using package::kObjectCharacter;
using package::Source;
using ParagraphText = package::SourcedText;

// What an inserted run sets over the run properties it copies: a font (in
// w:rFonts, for every script) or a character style's w:styleId, or neither.
struct RunLook {
    std::u16string font;
    std::string styleId;
};

struct InsertedRun {
    std::u16string text;
    const RunLook* look = nullptr;  // none: the copied properties as they are
};

// The runs to put right after one character of a text.
struct Insertion {
    Source after;
    std::vector<InsertedRun> runs;
};

class StoryPart {
public:
    // Throws DocumentError naming `entry` for XML that ParseXmlPart refuses
    // and for a part in Strict Open XML.
    StoryPart(std::string_view xml, const std::string& entry);
    StoryPart(const StoryPart&) = delete;
    StoryPart& operator=(const StoryPart&) = delete;

    const std::vector<ParagraphText>& texts() const { return texts_; }

    // The highest number among the part's w:id attributes (0 for none).
    std::uint64_t highestId() const;

    // The part's XML with every insertion (given in text order) in place,
    // the document itself unchanged. The run holding the character an
    // insertion follows is split there, its remainder a run with its
    // attributes and a copy of its properties; the unformatted text the
    // insertion starts with joins the text before the cut, and each of its
    // other runs copies that run's properties and sets its look over them.
    // A copied w:rPrChange gets the id `newId` gives, so no two revisions
    // share one. The rest is written as it was read (its blanks between
    // elements, its prefixes and every namespace declaration kept).
    std::string save(const std::vector<Insertion>& insertions, const std::function<std::string()>& newId) const;

private:
    pugi::xml_document document_;
    std::size_t bytes_;                     // of the XML read
    std::string prefix_, attributePrefix_;  // WordprocessingML's, with their colon
    std::string compatibilityPrefix_;
    std::vector<ParagraphText> texts_;
};

}  // namespace sonotag::docx
