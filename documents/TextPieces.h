#pragma once
// Long texts into the document model: each text in pieces (model::PieceEnd:
// paragraph breaks, and sentence ends in a long paragraph), each piece a
// story of its own numbered by origin, so that a run's edits cost in
// proportion to the piece, not the text. Every format that reads texts
// (plain text, IDML, Word) adds them this way; each story is then a run of its
// own (AnnotatableDocument::selections).

#include <cstdint>
#include <string_view>
#include <vector>

namespace sonotag::model {
class Document;
}  // namespace sonotag::model

namespace sonotag::documents {

struct TextPiece {
    std::int32_t start = 0, length = 0;  // in the text
};

// Adds `text` to `model` as stories, one a piece, and gives the pieces in
// order (none for an empty text).
std::vector<TextPiece> AddTextInPieces(model::Document& model, std::u16string_view text);

}  // namespace sonotag::documents
