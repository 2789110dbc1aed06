#pragma once
// Rendering a stored transcription in the notation the user chose.
//
// Transcriptions are stored in the letters of the Kingsoft phonetic font
// (plain ASCII that the font draws as phonetic symbols), in the older IPA13
// convention. Both functions map code unit for code unit: the output is as
// long as the input, and units outside the tables pass unchanged.

#include <span>
#include <string>
#include <string_view>

namespace sonotag {

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

// The stored form as the settings ask: the IPA14 letter step unless
// `ipaVersion` is 1, then Unicode characters when `useUnicode`.
std::u16string RenderTranscription(std::u16string_view stored, int ipaVersion, bool useUnicode);

}  // namespace sonotag
