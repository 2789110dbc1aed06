#include <gtest/gtest.h>

#include "notation/Notation.h"

namespace sonotag { namespace {

using namespace sonotag::notation;

// Whole words as stored, in the newer letters and in Unicode: a long i: or u: keeps its letter, a short one does not.
struct WordCase {
    std::u16string_view stored, ipa14, unicode;
};

constexpr WordCase kWords[] = {
    {u"si:t", u"si:t", u"siːt"},
    {u"sit", u"sIt", u"sɪt"},
    {u"tu:", u"tu:", u"tuː"},
    {u"put", u"pJt", u"pʊt"},
    {u"5hApi", u"5hApI", u"ˈhæpɪ"},
    {u"7Qnd[5stAnd", u"7Qnd[5stAnd", u"ˌʌndəˈstænd"},
    {u"ii:uu:", u"Ii:Ju:", u"ɪiːʊuː"},
    {u"5mQT[", u"5mQT[", u"ˈmʌðə"},
    {u"FCp", u"FDp", u"ʃɒp"},
    {u"5plZV[", u"5pleV[", u"ˈpleʒə"},
    {u"b\\:d kB: fR:", u"b\\:d kB: fR:", u"bɜːd kɑː fɔː"},
    {u"WiNk ^Dg", u"WINk ^Dg", u"θɪŋk ɡɒɡ"},
    {u"", u"", u""},
    {u"a\xD83D\xDE00Z\xFFFF",
     u"a\xD83D\xDE00"
     u"e\xFFFF",
     u"a\xD83D\xDE00"
     u"e\xFFFF"},
};

TEST(Notation, WholeTranscriptionsInEachNotation) {
    for (const WordCase& c : kWords) {
        const std::u16string stored(c.stored);
        SCOPED_TRACE(testing::PrintToString(stored));
        EXPECT_EQ(RenderTranscription(stored, Notation::Kingsoft13), stored);
        EXPECT_EQ(RenderTranscription(stored, Notation::Kingsoft14), c.ipa14);
        EXPECT_EQ(RenderTranscription(stored, Notation::Unicode), c.unicode);
        EXPECT_EQ(ToIpa14Letters(c.ipa14), c.ipa14);  // once is twice
        EXPECT_EQ(ToUnicodeIpa(c.ipa14), c.unicode);
    }
}

}}  // namespace sonotag
