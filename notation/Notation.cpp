#include "notation/Notation.h"

#include <array>

namespace sonotag::notation {
namespace {

constexpr LetterMapping kIpa14Letters[] = {
    {u'i', u'I'},
    {u'u', u'J'},
    {u'C', u'D'},
    {u'Z', u'e'},
};

constexpr LetterMapping kUnicodeLetters[] = {
    {u'A', u'\u00E6'},   // æ
    {u'T', u'\u00F0'},   // ð
    {u'N', u'\u014B'},   // ŋ
    {u'B', u'\u0251'},   // ɑ
    {u'D', u'\u0252'},   // ɒ
    {u'R', u'\u0254'},   // ɔ
    {u'[', u'\u0259'},   // ə
    {u'\\', u'\u025C'},  // ɜ
    {u'g', u'\u0261'},   // ɡ
    {u'I', u'\u026A'},   // ɪ
    {u'F', u'\u0283'},   // ʃ
    {u'J', u'\u028A'},   // ʊ
    {u'Q', u'\u028C'},   // ʌ
    {u'V', u'\u0292'},   // ʒ
    {u'5', u'\u02C8'},   // ˈ primary stress
    {u'7', u'\u02CC'},   // ˌ secondary stress
    {u':', u'\u02D0'},   // ː length mark
    {u'W', u'\u03B8'},   // θ
    {u'E', u'\u0259'},   // ə
    {u'^', u'\u0261'},   // ɡ
};

// Every table letter is ASCII, so a 128-entry map applies a table in one step.
using AsciiMap = std::array<char16_t, 128>;

constexpr AsciiMap MakeMap(std::span<const LetterMapping> table) {
    AsciiMap map{};
    for (std::size_t unit = 0; unit < map.size(); ++unit) map[unit] = static_cast<char16_t>(unit);
    // Walk backwards so that the first row for a letter is the one that stays.
    for (auto row = table.rbegin(); row != table.rend(); ++row) map[row->letter] = row->becomes;
    return map;
}

constexpr AsciiMap kIpa14Map = MakeMap(kIpa14Letters);

constexpr AsciiMap MakeUnicodeMap() {
    const AsciiMap unicode = MakeMap(kUnicodeLetters);
    AsciiMap combined{};
    for (std::size_t unit = 0; unit < combined.size(); ++unit) {
        const char16_t ipa14 = kIpa14Map[unit];
        combined[unit] = ipa14 < 128 ? unicode[ipa14] : ipa14;
    }
    return combined;
}

constexpr AsciiMap kUnicodeMap = MakeUnicodeMap();

// A long vowel (i or u before the length mark) is written iː and uː in the
// IPA14 convention: only the short ones become ɪ and ʊ.
bool IsLongVowel(std::u16string_view text, std::size_t at) {
    return (text[at] == u'i' || text[at] == u'u') && at + 1 < text.size() && text[at + 1] == u':';
}

std::u16string ApplyIpa14Step(const AsciiMap& map, std::u16string_view text) {
    std::u16string out(text);
    for (std::size_t at = 0; at < out.size(); ++at) {
        if (out[at] < map.size() && !IsLongVowel(text, at)) out[at] = map[out[at]];
    }
    return out;
}

}  // namespace

std::span<const LetterMapping> Ipa14LetterTable() { return kIpa14Letters; }
std::span<const LetterMapping> UnicodeLetterTable() { return kUnicodeLetters; }

std::u16string ToIpa14Letters(std::u16string_view stored) { return ApplyIpa14Step(kIpa14Map, stored); }

std::u16string ToUnicodeIpa(std::u16string_view stored) { return ApplyIpa14Step(kUnicodeMap, stored); }

std::optional<Notation> NotationNamed(std::string_view name) {
    if (name == "kingsoft13") return Notation::Kingsoft13;
    if (name == "kingsoft14") return Notation::Kingsoft14;
    if (name == "unicode") return Notation::Unicode;
    return std::nullopt;
}

std::u16string RenderTranscription(std::u16string_view stored, Notation notation) {
    switch (notation) {
        case Notation::Unicode: return ToUnicodeIpa(stored);  // applies the IPA14 step itself
        case Notation::Kingsoft14: return ToIpa14Letters(stored);
        case Notation::Kingsoft13: break;
    }
    return std::u16string(stored);
}

const char16_t* FontOf(Notation notation) { return notation == Notation::Unicode ? kUnicodeFont : kKingsoftFont; }

std::u16string AnnotationParts::text() const {
    std::u16string joined;
    joined.reserve(separator.size() + leftSymbol.size() + transcription.size() + rightSymbol.size());
    joined.append(separator).append(leftSymbol).append(transcription).append(rightSymbol);
    return joined;
}

FormatWindow FormatWindowOf(Notation notation, const AnnotationParts& parts) {
    if (notation == Notation::Unicode) {
        return {parts.separator.size(),
                parts.leftSymbol.size() + parts.transcription.size() + parts.rightSymbol.size()};
    }
    return {parts.separator.size() + parts.leftSymbol.size(), parts.transcription.size()};
}

}  // namespace sonotag::notation
