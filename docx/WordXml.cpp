#include "docx/WordXml.h"

#include "base/DocumentError.h"
#include "package/XmlPart.h"

namespace sonotag::docx {
namespace {

// Blanks between elements and inside w:t are kept; attribute values keep
// their line breaks (VML's o:gfxdata holds them).
constexpr unsigned kParseOptions = pugi::parse_cdata | pugi::parse_escapes | pugi::parse_eol | pugi::parse_ws_pcdata |
                                   pugi::parse_pi | pugi::parse_comments | pugi::parse_declaration |
                                   pugi::parse_doctype;

}  // namespace

void ParseWordXml(pugi::xml_document& document, std::string_view xml, const std::string& entry) {
    package::ParseXmlPart(document, xml, kParseOptions, entry);
}

std::string PrefixOf(pugi::xml_node root, std::string_view uri, std::string_view fallback, NameKind kind) {
    for (const pugi::xml_attribute attribute : root.attributes()) {
        const std::string_view name = attribute.name();
        if (attribute.value() != uri) continue;
        if (name == "xmlns" && kind == NameKind::Element) return "";
        if (name.starts_with("xmlns:")) return std::string(name.substr(6)) + ":";
    }
    return std::string(fallback);
}

std::string WordPrefix(pugi::xml_node root, const std::string& entry, NameKind kind) {
    for (const pugi::xml_attribute attribute : root.attributes()) {
        if (std::string_view(attribute.value()).starts_with(kStrictNamespaces) &&
            std::string_view(attribute.name()).starts_with("xmlns")) {
            throw DocumentError(entry +
                                " is Strict Open XML, which Sonotag does not read (save it as a Word document)");
        }
    }
    return PrefixOf(root, kWordNamespace, "w:", kind);
}

std::string_view LocalName(std::string_view name) {
    const std::size_t colon = name.find(':');
    return colon == std::string_view::npos ? name : name.substr(colon + 1);
}

}  // namespace sonotag::docx
