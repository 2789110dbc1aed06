#pragma once
// The formats Sonotag reads and writes outside InDesign, chosen in one
// place: by a file's name, or by what standard input holds.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "documents/AnnotatableDocument.h"

namespace sonotag::formats {

enum class DocumentKind { Text, StandInJson, Idml, Docx };

struct FormatInfo {
    DocumentKind kind;
    const char* name;       // for messages: "an IDML package"
    const char* mediaType;  // what the web page's API speaks
    bool package;           // written into a file of its own (--output), not printed
};
const FormatInfo& InfoOf(DocumentKind kind);

// The kind a file name says (.json, .idml, Word's .docx, .dotx, .docm and .dotm, in any case;
// anything else is text), and the kind of bytes without a name (standard
// input): a "{" after blanks is the stand-in's JSON, a zip archive a
// package, anything else text.
DocumentKind KindOfFileName(std::string_view name);
DocumentKind KindOfContent(std::string_view bytes);

struct ReadOptions {
    std::string name;                  // names the document in messages
    std::vector<std::string> stories;  // IDML: only the stories with these Self ids
};

// Reads a document of the kind. Throws DocumentError for input
// the kind refuses (the message names it), and for a kind this build does
// not read (packages need the native build).
std::unique_ptr<documents::AnnotatableDocument> ReadDocument(DocumentKind kind, std::string bytes,
                                                             const ReadOptions& options);

}  // namespace sonotag::formats
