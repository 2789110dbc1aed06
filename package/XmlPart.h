#pragma once
// The XML parts of a package (an IDML story, styles and designmap; a Word
// document's parts) parsed with pugixml behind a check of the raw bytes: what
// pugixml would take in silently wrong (text cut at a `&#0;`, an unknown
// entity kept as text and saved as `&amp;…`) and nesting deep enough for
// recursion to matter are refused before anything is run or written.

#include <string>
#include <string_view>

#include <pugixml.hpp>

namespace sonotag::package {

// The deepest element nesting an entry may have; InDesign's own stay far
// below (a story's text sits about six levels down, tables and notes add a
// few). Every walk over the XML may count on it.
inline constexpr int kMaxXmlDepth = 256;

// Parses `xml` (UTF-8) into `document` with pugixml's `options`. Throws
// DocumentError naming `entry` when it is not well-formed, nests elements
// deeper than kMaxXmlDepth, holds a character XML 1.0 forbids (a control
// character, U+FFFE, U+FFFF; raw or as a character reference), refers to
// an entity other than XML's five, or has an `&` that begins no reference.
void ParseXmlPart(pugi::xml_document& document, std::string_view xml, unsigned options, const std::string& entry);

}  // namespace sonotag::package
