#pragma once
// The notations a transcription is written in, and what belongs to each:
// its letters, its font, and the part of the annotation that font covers.
//
// Transcriptions are stored in the letters of the Kingsoft phonetic font
// (plain ASCII that the font draws as phonetic symbols), in the older IPA13
// convention. The renderings map code unit for code unit: the output is as
// long as the input, and units outside the tables pass unchanged.

#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace sonotag::notation {

enum class Notation {
    Kingsoft13,  // the font's letters, older convention: the stored form as it is
    Kingsoft14,  // the font's letters, newer convention
    Unicode,     // Unicode IPA characters, newer convention
};

// The names the command line and the web page use: kingsoft13, kingsoft14, unicode.
std::optional<Notation> NotationNamed(std::string_view name);

// The stored transcription in the notation.
std::u16string RenderTranscription(std::u16string_view stored, Notation notation);

// The font that draws the notation, given to the host by name.
inline constexpr char16_t kUnicodeFont[] = u"Lucida Sans Unicode";
inline constexpr char16_t kKingsoftFont[] = u"KPP Edition 2008教师节";
const char16_t* FontOf(Notation notation);

// The text inserted after a word, in its four parts.
struct AnnotationParts {
    std::u16string_view separator;
    std::u16string_view leftSymbol;
    std::u16string_view transcription;  // rendered
    std::u16string_view rightSymbol;
    std::u16string text() const;
};

// Where the notation's font (or the chosen character style) goes inside the
// annotation text, as 0-based offsets: in Unicode IPA everything after the
// separator, in the font's letters exactly the transcription.
struct FormatWindow {
    std::size_t offset = 0;
    std::size_t length = 0;
};
FormatWindow FormatWindowOf(Notation notation, const AnnotationParts& parts);

// One row of a letter table: a Kingsoft letter and what it becomes.
struct LetterMapping {
    char16_t letter;
    char16_t becomes;
};

// IPA13 letters to IPA14 letters: i→I, u→J, C→D, Z→e.
std::span<const LetterMapping> Ipa14LetterTable();
// Kingsoft letters (IPA14) to Unicode IPA characters; the first match wins.
std::span<const LetterMapping> UnicodeLetterTable();

// Applies the IPA14 letter table, except that an i or u directly followed by
// ':' keeps its letter: IPA14 writes the long vowels iː and uː and only the
// short ones ɪ and ʊ.
std::u16string ToIpa14Letters(std::u16string_view stored);

// The IPA14 letter step, then Kingsoft letters to Unicode IPA characters.
std::u16string ToUnicodeIpa(std::u16string_view stored);

}  // namespace sonotag::notation
