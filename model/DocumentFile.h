#pragma once
// The stand-in host's document file: one JSON object (UTF-8) with the
// character style paths, the stories with their formatted runs in UTF-16
// positions, the selection and the names of the undo steps:
//
//   {"characterStyles": [":[无]", ":Phonetics", ":Group:Inner:Style"],
//    "stories": [{"text": "...", "runs": [{"start": 0, "length": 5,
//                 "font": "Lucida Sans Unicode", "characterStyle": ":Phonetics"}]}],
//    "selection": {"story": 0},
//    "undoHistory": ["..."]}
//
// Every member may be left out. "runs" lists only characters whose font or
// style is set; a run may give either or both. "selection" is {"story": N},
// {"stories": [N, M, ...]} or null. A path ending in ":" names a group
// without styles. A plain UTF-8 text loads as one selected story.

#include <memory>
#include <string>
#include <string_view>

#include "base/DocumentError.h"
#include "model/Document.h"

namespace sonotag::model {

// Malformed input throws DocumentError naming the place and the problem.
std::unique_ptr<Document> ParseDocumentJson(std::string_view utf8);
std::unique_ptr<Document> MakePlainTextDocument(std::u16string_view text);

// The same document always gives the same bytes: stories and runs in text
// order, adjacent characters of equal format merged into one run.
std::string DumpDocumentJson(const Document& document);

}  // namespace sonotag::model
