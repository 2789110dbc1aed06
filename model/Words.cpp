#include "model/Words.h"

#include <algorithm>

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

namespace {

// Whether a separator at `at` follows the end of a sentence: ".!?;:" before
// it, closing quotes and brackets aside.
bool FollowsSentenceEnd(std::u16string_view text, std::size_t start, std::size_t at) {
    while (at > start && std::u16string_view(u"\"\u2019\u201D)").find(text[at - 1]) != std::u16string_view::npos) --at;
    return at > start && std::u16string_view(u".!?;:").find(text[at - 1]) != std::u16string_view::npos;
}

// A paragraph break: U+2029, or CR that does not begin a CRLF line end.
bool IsParagraphBreak(std::u16string_view text, std::size_t at) {
    return text[at] == u'\u2029' || (text[at] == u'\r' && (at + 1 == text.size() || text[at + 1] != u'\n'));
}

}  // namespace

std::size_t PieceEnd(std::u16string_view text, std::size_t start) {
    const std::size_t limit = std::min(text.size(), start + 4 * kPieceLength);
    for (std::size_t k = start; k < text.size(); ++k) {
        if (IsParagraphBreak(text, k)) return k + 1;
        if (k < start + kPieceLength || !IsWordSeparator(text[k])) continue;
        if (k >= limit || FollowsSentenceEnd(text, start, k)) return k + 1;
    }
    return text.size();
}

std::vector<TextSpan> SplitWords(std::u16string_view text) {
    std::vector<TextSpan> words;
    AppendWords(text, 0, static_cast<std::int32_t>(text.size()), words);
    return words;
}

}  // namespace sonotag::model
