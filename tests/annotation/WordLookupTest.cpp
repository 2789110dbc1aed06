#include <cctype>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "annotation/Annotation.h"
#include "annotation/WordLookup.h"
#include "dictionary/PhoneticDictionary.h"
#include "base/Utf.h"
#include "standin/StandInHost.h"
#include "tests/support/AttachedState.h"
#include "tests/support/CaseName.h"
#include "tests/support/StandInDocument.h"

namespace sonotag {
namespace {

// Words as they stand in running text, run with the loose look-up on and off.
struct LookupCase {
    const char* name;
    std::u16string text;
    std::u16string loose;  // the text after a loose run
    std::u16string exact;  // after an exact run; empty: the text unchanged
};

void PrintTo(const LookupCase& c, std::ostream* out) { *out << c.name; }

class RunningText : public ::testing::TestWithParam<LookupCase> {
protected:
    RunningText() {
        for (const char16_t* line : {u"bank||bANk", u"dear||dia", u"well||wel", u"very||veri", u"wouldn't||wudnt",
                                     u"rabbit||rAbit", u"hole||h2ul", u"it,||it", u"Mr.||mist2", u"empty||",
                                     u"Polish||p2uliS", u"polish||pOliS", u"o'clock||2klOk", u"the||Di:",
                                     u"The||Di:", u"sea||si:", u"a||2"}) {
            dictionary.addLine(line);
        }
        for (const char16_t* line : {u"the", u"sea,|x|y", u"A="}) skipList.addLine(line);
    }

    // Kingsoft letters in the older convention pass unchanged and only they
    // take the font, so every "[...]" of the result is one formatted run.
    std::u16string annotate(const std::u16string& text, bool loose) {
        standin::StandInHost host;
        host.loadPlainText(text);
        test::AttachedState target(host.application());
        target.settings.separator = u"";
        target.settings.leftSymbol = u"[";
        target.settings.rightSymbol = u"]";
        target.settings.ipaVersion = 1;
        target.settings.useUnicode = false;
        target.settings.loose = loose;
        target.skipList = &skipList;
        EXPECT_TRUE(AnnotateSelection(target, dictionary, kInitialUndoMark).completed());
        const std::u16string result = host.storyText(0);
        std::vector<test::FormattedRun> runs;
        for (std::size_t open = result.find(u'['); open != std::u16string::npos; open = result.find(u'[', open + 1)) {
            runs.push_back({open + 1, result.find(u']', open) - open - 1, "KPP Edition 2008教师节", ""});
        }
        EXPECT_EQ(test::FormattedRuns(host), runs);
        return result;
    }

    PhoneticDictionary dictionary;
    PhoneticDictionary skipList;
};

TEST_P(RunningText, AnnotatesBeforeTheTrailingPunctuation) {
    const LookupCase& c = GetParam();
    EXPECT_EQ(Utf16ToUtf8(annotate(c.text, true)), Utf16ToUtf8(c.loose));
    EXPECT_EQ(Utf16ToUtf8(annotate(c.text, false)), Utf16ToUtf8(c.exact.empty() ? c.text : c.exact));
}

INSTANTIATE_TEST_SUITE_P(
    Words, RunningText,
    ::testing::Values(
        LookupCase{"TrailingComma", u"bank, dear!", u"bank[bANk], dear[dia]!", u""},
        LookupCase{"LeadingParenthesis", u"(when (bank", u"(when (bank[bANk]", u""},
        LookupCase{"CurlyQuotesBothSides", u"‘Well!’", u"‘Well[wel]!’", u""},
        LookupCase{"GuillemetsAndFullWidth", u"«bank» ¿dear？ bank。", u"«bank[bANk]» ¿dear[dia]？ bank[bANk]。", u""},
        LookupCase{"CurlyApostrophe", u"wouldn’t.", u"wouldn’t[wudnt].", u""},
        LookupCase{"ModifierApostrophe", u"wouldnʼt", u"wouldnʼt[wudnt]", u""},
        LookupCase{"StraightApostropheIsExact", u"wouldn't", u"wouldn't[wudnt]", u"wouldn't[wudnt]"},
        LookupCase{"InnerApostropheCurly", u"o’clock,", u"o’clock[2klOk],", u""},
        LookupCase{"SentenceStart", u"Bank.", u"Bank[bANk].", u""},
        LookupCase{"HeadingCapitals", u"VERY WELL", u"VERY[veri] WELL[wel]", u""},
        LookupCase{"KeyAsItStandsFirst", u"Polish,", u"Polish[p2uliS],", u""},
        LookupCase{"AllCapitalsFallBackToLowerCase", u"POLISH", u"POLISH[pOliS]", u""},
        LookupCase{"Compound", u"rabbit-hole.", u"rabbit-hole[rAbit-h2ul].", u""},
        LookupCase{"CompoundWithCapitalsAndUnicodeHyphen", u"Rabbit‑Hole", u"Rabbit‑Hole[rAbit-h2ul]", u""},
        LookupCase{"CompoundWithAMissingPart", u"rabbit-hutch", u"rabbit-hutch", u""},
        LookupCase{"CompoundWithAnEmptyPart", u"rabbit--hole", u"rabbit--hole", u""},
        LookupCase{"AllPunctuation", u"?! -- …", u"?! -- …", u""},
        LookupCase{"PunctuationInside", u"bank.dear bank/dear", u"bank.dear bank/dear", u""},
        LookupCase{"ListHoldsThePunctuatedForm", u"it, Mr.", u"it,[it] Mr.[mist2]", u"it,[it] Mr.[mist2]"},
        LookupCase{"PunctuatedFormOnlyHeldExactly", u"It, it", u"It, it", u""},
        LookupCase{"EmptyTranscriptionIsAMiss", u"empty, Empty", u"empty, Empty", u""},
        LookupCase{"SkippedAsItStands", u"the sea, sea", u"the sea, sea[si:]", u"the sea, sea[si:]"},
        LookupCase{"SkippedInEveryCaseForm", u"The THE. (the)", u"The THE. (the)", u"The[Di:] THE. (the)"},
        LookupCase{"SkipLineReadLikeTheWordList", u"A a", u"A a[2]", u"A a[2]"}),
    test::CaseName());

// The edge punctuation: every ASCII character as the C library classes it,
// and both ends of each wider range.
TEST(EdgePunctuation, ClassesAsciiAsTheCLibraryAndStopsAtEachRangesEnds) {
    for (int c = 0; c < 0x80; ++c) {
        EXPECT_EQ(IsEdgePunctuation(static_cast<char16_t>(c)), std::ispunct(c) != 0) << c;
    }
    const std::vector<char16_t> inside = {0xA1,   0xAB,   0xBB,   0xBF,   0x2010, 0x2027, 0x2030, 0x205E,
                                          0x3000, 0x303F, 0xFF01, 0xFF0F, 0xFF1A, 0xFF20, 0xFF3B, 0xFF40,
                                          0xFF5B, 0xFF65};
    const std::vector<char16_t> outside = {0xA0,   0xA2,   0xAA,   0xAC,   0xBA,   0xBC,   0xBE,   0xC0,
                                           0x02BC, 0x200F, 0x2028, 0x202F, 0x205F, 0x2FFF, 0x3040, 0xFF00,
                                           0xFF10, 0xFF19, 0xFF21, 0xFF3A, 0xFF41, 0xFF5A, 0xFF66, 0xD83D};
    for (const char16_t c : inside) EXPECT_TRUE(IsEdgePunctuation(c)) << std::hex << int{c};
    for (const char16_t c : outside) EXPECT_FALSE(IsEdgePunctuation(c)) << std::hex << int{c};
}

}  // namespace
}  // namespace sonotag
