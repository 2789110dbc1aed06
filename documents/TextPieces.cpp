#include "documents/TextPieces.h"

#include <string>

#include "model/Document.h"
#include "model/Origins.h"
#include "model/Words.h"

namespace sonotag::documents {

std::vector<TextPiece> AddTextInPieces(model::Document& model, std::u16string_view text) {
    std::vector<TextPiece> pieces;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = model::PieceEnd(text, start);
        model::NumberOrigins(model.addStory(std::u16string(text.substr(start, end - start)),
                                            std::vector<model::CharFormat>(end - start)));
        pieces.push_back({static_cast<std::int32_t>(start), static_cast<std::int32_t>(end - start)});
        start = end;
    }
    return pieces;
}

}  // namespace sonotag::documents
