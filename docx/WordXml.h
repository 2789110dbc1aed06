#pragma once
// What the XML parts of a Word document share: parsed behind the limits of
// every package part (package/XmlPart.h) with all a save writes back kept
// (declaration, blanks between elements, attribute values as written), and
// the prefix a part gives WordprocessingML's namespace, since a part may
// spell it as it likes and is written back with its own prefixes.

#include <string>
#include <string_view>

#include <pugixml.hpp>

namespace sonotag::docx {

inline constexpr char kWordNamespace[] = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
inline constexpr char kCompatibilityNamespace[] = "http://schemas.openxmlformats.org/markup-compatibility/2006";
// Strict Open XML's namespaces all start so; Sonotag reads the transitional form only.
inline constexpr char kStrictNamespaces[] = "http://purl.oclc.org/ooxml/";

// Throws DocumentError naming `entry` for XML that ParseXmlPart refuses.
void ParseWordXml(pugi::xml_document& document, std::string_view xml, const std::string& entry);

// The prefix the root declares for `uri`, with its colon ("w:"), or for
// elements "" where `uri` is the default namespace; `fallback` when the
// root does not declare it. An attribute without a prefix is in no
// namespace, so an attribute's prefix is never "".
enum class NameKind { Element, Attribute };
std::string PrefixOf(pugi::xml_node root, std::string_view uri, std::string_view fallback, NameKind kind);

// The prefix of WordprocessingML's elements or attributes in a part whose
// root is `root`. Throws DocumentError naming `entry` when the part is
// Strict Open XML.
std::string WordPrefix(pugi::xml_node root, const std::string& entry, NameKind kind);

// An element's or attribute's name without its prefix.
std::string_view LocalName(std::string_view name);

}  // namespace sonotag::docx
