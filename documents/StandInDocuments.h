#pragma once
// The documents that are nothing but the model: plain UTF-8 text (one story,
// selected) and the stand-in host's JSON file (model/DocumentFile.h).

#include <memory>
#include <string>
#include <string_view>

#include "documents/AnnotatableDocument.h"

namespace sonotag::documents {

// `name` names the input in messages. Both throw DocumentError for bad input.
std::unique_ptr<AnnotatableDocument> ReadTextDocument(std::string_view bytes, const std::string& name);
std::unique_ptr<AnnotatableDocument> ReadStandInJson(std::string_view bytes, const std::string& name);

// The stories' texts, one a line: what the command line prints of a text.
std::string StoryLines(const model::Document& document);

}  // namespace sonotag::documents
