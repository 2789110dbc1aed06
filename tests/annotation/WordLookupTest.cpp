#include <cctype>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "annotation/Annotation.h"
#include "annotation/WordLookup.h"
#include "base/Utf.h"
#include "dictionary/PhoneticDictionary.h"
#include "standin/StandInHost.h"
#include "tests/support/AttachedState.h"
#include "tests/support/StandInDocument.h"

namespace sonotag {
namespace {

// Annotates in Kingsoft letters of the older convention, which pass
// unchanged and alone take the font: every "[...]" is one formatted run.
std::u16string Annotate(const std::u16string& text, bool loose) {
    PhoneticDictionary dictionary, skipList;
    for (const char16_t* line : {u"bank||bANk", u"dear||dia", u"well||wel", u"very||veri", u"wouldn't||wudnt", u"rabbit||rAbit",
                                 u"hole||h2ul", u"it,||it", u"Mr.||mist2", u"empty||", u"Polish||p2uliS", u"polish||pOliS",
                                 u"o'clock||2klOk", u"the||Di:", u"The||Di:", u"sea||si:", u"a||2"}) dictionary.addLine(line);
    for (const char16_t* line : {u"the", u"sea,|x|y", u"A="}) skipList.addLine(line);
    standin::StandInHost host;
    host.loadPlainText(text);
    test::AttachedState target(host.application());
    target.settings = {u"", u"", u"", u"[", u"]", 1, false, loose};
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

// Words as they stand in running text, with the loose look-up on and off.
TEST(WordLookup, AnnotatesRunningTextBeforeTheTrailingPunctuation) {
    const std::tuple<std::u16string, std::u16string, std::u16string> cases[] = {  // text, loose, exact (empty: unchanged)
        {u"bank, dear! (when (bank", u"bank[bANk], dear[dia]! (when (bank[bANk]", u""},
        {u"‘Well!’ «bank» ¿dear？ bank。", u"‘Well[wel]!’ «bank[bANk]» ¿dear[dia]？ bank[bANk]。", u""},
        {u"wouldn’t. wouldnʼt o’clock,", u"wouldn’t[wudnt]. wouldnʼt[wudnt] o’clock[2klOk],", u""},
        {u"wouldn't", u"wouldn't[wudnt]", u"wouldn't[wudnt]"},
        {u"Bank. VERY WELL", u"Bank[bANk]. VERY[veri] WELL[wel]", u""},
        {u"Polish, POLISH", u"Polish[p2uliS], POLISH[pOliS]", u""},  // the key as it stands first, then lower case
        {u"rabbit-hole. Rabbit‑Hole", u"rabbit-hole[rAbit-h2ul]. Rabbit‑Hole[rAbit-h2ul]", u""},
        {u"rabbit-hutch rabbit--hole ?! -- … bank.dear bank/dear", u"rabbit-hutch rabbit--hole ?! -- … bank.dear bank/dear", u""},
        {u"it, Mr.", u"it,[it] Mr.[mist2]", u"it,[it] Mr.[mist2]"},
        {u"It, it empty, Empty", u"It, it empty, Empty", u""},  // a punctuated form only exactly; empty: a miss
        {u"the sea, sea", u"the sea, sea[si:]", u"the sea, sea[si:]"},
        {u"The THE. (the)", u"The THE. (the)", u"The[Di:] THE. (the)"},  // skipped in every case form
        {u"A a", u"A a[2]", u"A a[2]"},                                   // a skip line read like the word list
    };
    for (const auto& [text, loose, exact] : cases) {
        EXPECT_EQ(Utf16ToUtf8(Annotate(text, true)), Utf16ToUtf8(loose));
        EXPECT_EQ(Utf16ToUtf8(Annotate(text, false)), Utf16ToUtf8(exact.empty() ? text : exact));
    }
}

// Every ASCII character as the C library classes it, and both ends of each wider range.
TEST(WordLookup, EdgePunctuationStopsAtEachRangesEnds) {
    for (int c = 0; c < 0x80; ++c) EXPECT_EQ(IsEdgePunctuation(static_cast<char16_t>(c)), std::ispunct(c) != 0) << c;
    const std::u16string inside = u"\u00A1\u00AB\u00BB\u00BF\u2010\u2027\u2030\u205E\u3000\u303F\uFF01\uFF0F\uFF1A\uFF20\uFF3B\uFF40\uFF5B\uFF65";
    for (const char16_t c : inside) EXPECT_TRUE(IsEdgePunctuation(c)) << std::hex << int{c};
    for (const char16_t c : u"\u00A0\u00A2\u00AA\u00AC\u00BA\u00BC\u00BE\u00C0\u02BC\u200F\u2028\u202F\u205F\u2FFF\u3040\uFF00\uFF10\uFF19\uFF21\uFF3A\uFF41\uFF5A\uFF66") EXPECT_FALSE(IsEdgePunctuation(c)) << std::hex << int{c};
}

}  // namespace
}  // namespace sonotag
