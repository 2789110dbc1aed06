#include "model/Words.h"

namespace sonotag::model {

void AppendWords(std::u16string_view text, std::int32_t from, std::int32_t to, std::vector<TextSpan>& words) {
    std::int32_t position = from;
    while (position < to) {
        while (position < to && IsWordSeparator(text[static_cast<std::size_t>(position)])) ++position;
        if (position == to) break;
        const std::int32_t start = position;
        while (position < to && !IsWordSeparator(text[static_cast<std::size_t>(position)])) ++position;
        words.push_back({start, position});
    }
}

std::vector<TextSpan> SplitWords(std::u16string_view text) {
    std::vector<TextSpan> words;
    AppendWords(text, 0, static_cast<std::int32_t>(text.size()), words);
    return words;
}

}  // namespace sonotag::model
