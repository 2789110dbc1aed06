#include "notation/Notation.h"

#include <cstdio>

#include <ostream>

#include <gtest/gtest.h>

namespace sonotag {
namespace {

// One row per stored letter: its rendering as Kingsoft IPA13, Kingsoft IPA14
// and Unicode.
struct LetterCase {
    char16_t stored;
    char16_t kingsoft13;
    char16_t kingsoft14;
    char16_t unicode;
};

void PrintTo(const LetterCase& c, std::ostream* out) { *out << "U+" << std::hex << static_cast<int>(c.stored); }

constexpr LetterCase kLetters[] = {
    {u'i', u'i', u'I', u'ɪ'},  {u'u', u'u', u'J', u'ʊ'},  {u'C', u'C', u'D', u'ɒ'},  {u'Z', u'Z', u'e', u'e'},
    {u'A', u'A', u'A', u'æ'},  {u'T', u'T', u'T', u'ð'},  {u'N', u'N', u'N', u'ŋ'},  {u'B', u'B', u'B', u'ɑ'},
    {u'D', u'D', u'D', u'ɒ'},  {u'R', u'R', u'R', u'ɔ'},  {u'[', u'[', u'[', u'ə'},  {u'\\', u'\\', u'\\', u'ɜ'},
    {u'g', u'g', u'g', u'ɡ'},  {u'I', u'I', u'I', u'ɪ'},  {u'F', u'F', u'F', u'ʃ'},  {u'J', u'J', u'J', u'ʊ'},
    {u'Q', u'Q', u'Q', u'ʌ'},  {u'V', u'V', u'V', u'ʒ'},  {u'5', u'5', u'5', u'ˈ'},  {u'7', u'7', u'7', u'ˌ'},
    {u':', u':', u':', u'ː'},  {u'W', u'W', u'W', u'θ'},  {u'E', u'E', u'E', u'ə'},  {u'^', u'^', u'^', u'ɡ'},
    // Letters that stand for themselves, and other units, pass unchanged.
    {u'e', u'e', u'e', u'e'},  {u'p', u'p', u'p', u'p'},  {u'k', u'k', u'k', u'k'},  {u'U', u'U', u'U', u'U'},
    {u'6', u'6', u'6', u'6'},  {u' ', u' ', u' ', u' '},  {u'(', u'(', u'(', u'('},  {u'æ', u'æ', u'æ', u'æ'},
};

class EveryLetter : public ::testing::TestWithParam<LetterCase> {};

TEST_P(EveryLetter, RendersInEachNotation) {
    const LetterCase& c = GetParam();
    const std::u16string stored(1, c.stored);
    EXPECT_EQ(RenderTranscription(stored, 1, false), std::u16string(1, c.kingsoft13));
    EXPECT_EQ(RenderTranscription(stored, 0, false), std::u16string(1, c.kingsoft14));
    EXPECT_EQ(ToIpa14Letters(stored), std::u16string(1, c.kingsoft14));
    EXPECT_EQ(ToUnicodeIpa(stored), std::u16string(1, c.unicode));
    // Unicode output does not depend on the convention.
    EXPECT_EQ(RenderTranscription(stored, 1, true), std::u16string(1, c.unicode));
    EXPECT_EQ(RenderTranscription(stored, 0, true), std::u16string(1, c.unicode));
}

std::string LetterName(const ::testing::TestParamInfo<LetterCase>& param) {
    char name[16];
    std::snprintf(name, sizeof name, "U%04X", static_cast<unsigned>(param.param.stored));
    return name;
}

INSTANTIATE_TEST_SUITE_P(Notation, EveryLetter, ::testing::ValuesIn(kLetters), LetterName);

// Whole transcriptions in the four notations: a long i: or u: keeps its
// letter in IPA14, a short i or u (also the last one) does not.
struct WordCase {
    std::u16string_view stored, kingsoft14, unicode;
};

constexpr WordCase kWords[] = {
    {u"si:t", u"si:t", u"siːt"},     {u"sit", u"sIt", u"sɪt"},        {u"tu:", u"tu:", u"tuː"},
    {u"put", u"pJt", u"pʊt"},        {u"5hApi", u"5hApI", u"ˈhæpɪ"},  {u"5mRnju", u"5mRnjJ", u"ˈmɔnjʊ"},
    {u"5siti:", u"5sIti:", u"ˈsɪtiː"}, {u"ii:uu:", u"Ii:Ju:", u"ɪiːʊuː"}, {u"i::", u"i::", u"iːː"},
    {u":i u :", u":I J :", u"ːɪ ʊ ː"}, {u"5kAt", u"5kAt", u"ˈkæt"},
};

TEST(Notation, WholeTranscriptionsInEachNotation) {
    for (const WordCase& c : kWords) {
        const std::u16string stored(c.stored);
        SCOPED_TRACE(std::string(stored.begin(), stored.end()));  // stored letters are ASCII
        EXPECT_EQ(RenderTranscription(stored, 1, false), stored);
        EXPECT_EQ(RenderTranscription(stored, 0, false), c.kingsoft14);
        EXPECT_EQ(RenderTranscription(stored, 1, true), c.unicode);
        EXPECT_EQ(RenderTranscription(stored, 0, true), c.unicode);
        EXPECT_EQ(ToIpa14Letters(c.kingsoft14), c.kingsoft14);  // once is twice
    }
}

TEST(Notation, EmptyStaysEmpty) {
    EXPECT_EQ(ToIpa14Letters(u""), u"");
    EXPECT_EQ(ToUnicodeIpa(u""), u"");
    EXPECT_EQ(RenderTranscription(u"", 0, true), u"");
}

TEST(Notation, SurrogatesAndNonAsciiPassUnchanged) {
    const std::u16string text = u"a\xD83D\xDE00Z\xFFFF";
    EXPECT_EQ(ToIpa14Letters(text), u"a\xD83D\xDE00" u"e\xFFFF");
    EXPECT_EQ(ToUnicodeIpa(text).size(), text.size());
}

TEST(Notation, Ipa14StepIsIdempotent) {
    const std::u16string all = u"iuCZABDRTN[\\gIFJQV57:WE^ep";
    EXPECT_EQ(ToIpa14Letters(ToIpa14Letters(all)), ToIpa14Letters(all));
    EXPECT_EQ(ToUnicodeIpa(ToIpa14Letters(all)), ToUnicodeIpa(all));
}

TEST(Notation, EveryUnicodeTableLetterAppearsOnce) {
    std::u16string seen;
    for (const LetterMapping& row : UnicodeLetterTable()) {
        EXPECT_EQ(seen.find(row.letter), std::u16string::npos) << static_cast<int>(row.letter);
        seen += row.letter;
    }
    EXPECT_EQ(UnicodeLetterTable().size(), 20u);
    EXPECT_EQ(Ipa14LetterTable().size(), 4u);
}

}  // namespace
}  // namespace sonotag
