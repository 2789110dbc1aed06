#pragma once
// Words as the host makes them: maximal runs of characters other than word
// separators. Punctuation, apostrophes and hyphens belong to the word, so
// "apple," is one word.

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace sonotag::model {

// A stretch of a story's text, in UTF-16 positions: [start, end).
struct TextSpan {
    std::int32_t start = 0;
    std::int32_t end = 0;
    std::int32_t length() const { return end - start; }
    bool operator==(const TextSpan&) const = default;
};

// Blank, tab, the paragraph and line breaks, the em and en dashes, and the
// zero-width space, which readers take for a break.
constexpr bool IsWordSeparator(char16_t c) {
    switch (c) {
        case u' ':
        case u'\t':
        case u'\r':
        case u'\n':
        case u'\u2028':
        case u'\u2029':
        case u'\u2013':
        case u'\u2014':
        case u'\u200B': return true;
        default: return false;
    }
}

// Where the story that starts at `start` of a long text ends when the text
// goes into the model in pieces: after the next paragraph break (U+2029, or
// CR other than a CRLF's), or in a long paragraph after the first word
// separator past kPieceLength characters that follows a sentence's end (so
// that the words around a homograph stay in its piece), any separator once
// past four times that. No story is then long enough for its edits (each
// moving the text after it) to add up, and words never span a cut.
inline constexpr std::size_t kPieceLength = 1024;
std::size_t PieceEnd(std::u16string_view text, std::size_t start);

// Appends the words of text[from, to) to `words`, with positions in `text`.
void AppendWords(std::u16string_view text, std::int32_t from, std::int32_t to, std::vector<TextSpan>& words);

std::vector<TextSpan> SplitWords(std::u16string_view text);

}  // namespace sonotag::model
