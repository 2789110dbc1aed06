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

std::vector<std::vector<std::int32_t>> EachStoryAlone(const model::Document& model) {
    std::vector<std::vector<std::int32_t>> each;
    each.reserve(static_cast<std::size_t>(model.storyCount()));
    for (std::int32_t story = 0; story < model.storyCount(); ++story) each.push_back({story});
    return each;
}

}  // namespace sonotag::documents
