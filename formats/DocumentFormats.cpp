#include "formats/DocumentFormats.h"

#include <algorithm>
#include <cctype>

#include "documents/StandInDocuments.h"
#if SONOTAG_DOCX
#include "docx/DocxDocument.h"
#endif
#if SONOTAG_IDML
#include "idml/IdmlDocument.h"
#endif

namespace sonotag::formats {
namespace {

constexpr FormatInfo kFormats[] = {
    {DocumentKind::Text, "a text", "text/plain; charset=utf-8", false},
    {DocumentKind::StandInJson, "a stand-in document", "application/json", false},
    {DocumentKind::Idml, "an IDML package", "application/vnd.adobe.indesign-idml-package", true},
    {DocumentKind::Docx, "a Word document", "application/vnd.openxmlformats-officedocument.wordprocessingml.document",
     true},
};

bool EndsWith(std::string_view name, std::string_view suffix) {
    return name.size() >= suffix.size() &&
           std::equal(suffix.begin(), suffix.end(), name.end() - static_cast<std::ptrdiff_t>(suffix.size()),
                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

}  // namespace

// Found by its kind, not indexed: GCC 12's optimiser cannot tell that an
// index made from the enumeration is in bounds, and fails the release build.
// Every kind has its row; the search stops at the last one.
const FormatInfo& InfoOf(DocumentKind kind) {
    return *std::find_if(std::begin(kFormats), std::end(kFormats) - 1,
                         [kind](const FormatInfo& info) { return info.kind == kind; });
}

DocumentKind KindOfFileName(std::string_view name) {
    if (EndsWith(name, ".json")) return DocumentKind::StandInJson;
    if (EndsWith(name, ".idml")) return DocumentKind::Idml;
    // Macro-enabled ones too, so that the Word reader refuses them by name.
    for (const char* word : {".docx", ".dotx", ".docm", ".dotm"}) {
        if (EndsWith(name, word)) return DocumentKind::Docx;
    }
    return DocumentKind::Text;
}

DocumentKind KindOfContent(std::string_view bytes) {
    if (bytes.starts_with("PK\x03\x04")) {
        // An IDML package's first entry is its media type, stored as it is.
        return bytes.substr(0, 128).find(InfoOf(DocumentKind::Idml).mediaType) != std::string_view::npos
                   ? DocumentKind::Idml
                   : DocumentKind::Docx;
    }
    const std::size_t first = bytes.find_first_not_of(" \t\r\n");
    return first != std::string_view::npos && bytes[first] == '{' ? DocumentKind::StandInJson : DocumentKind::Text;
}

std::unique_ptr<documents::AnnotatableDocument> ReadDocument(DocumentKind kind, std::string bytes,
                                                             const ReadOptions& options) {
    if (!options.stories.empty() && kind != DocumentKind::Idml) {
        throw DocumentError("--story names stories of an IDML package, and " + options.name + " is " +
                            InfoOf(kind).name);
    }
    switch (kind) {
        case DocumentKind::Text: return documents::ReadTextDocument(bytes, options.name);
        case DocumentKind::StandInJson: return documents::ReadStandInJson(bytes, options.name);
#if SONOTAG_IDML
        case DocumentKind::Idml: return idml::ReadIdmlDocument(std::move(bytes), options.name, options.stories);
#endif
#if SONOTAG_DOCX
        case DocumentKind::Docx: return docx::ReadDocxDocument(std::move(bytes), options.name);
#endif
        default: break;
    }
    throw DocumentError("this build does not read packages, and " + options.name + " is " + InfoOf(kind).name);
}

}  // namespace sonotag::formats
