#include <cctype>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "annotation/Annotation.h"
#include "annotation/WordLookup.h"
#include "base/Utf.h"
#include "host/AutomationError.h"
#include "standin/StandInHost.h"
#include "tests/support/AttachedState.h"
#include "tests/support/InterceptingHost.h"
#include "tests/support/LiteralAnnotation.h"
#include "tests/support/StandInDocument.h"

namespace sonotag { namespace {

using namespace sonotag::dictionary;
using namespace sonotag::notation;
using namespace sonotag::annotation;

using namespace host;

settings::AnnotationSettings Format(std::int32_t ipa, bool unicode, std::u16string separator, std::u16string left, std::u16string right) {
    return {u"", u"", std::move(separator), std::move(left), std::move(right), {ipa, unicode}, false};
}

// One story to annotate and one more; `selection` as the document file writes it.
std::string Json(const std::string& text, const std::string& selection = R"({"story": 0})") {
    return R"({"characterStyles": [":Phonetics"], "stories": [{"text": ")" + text + R"("}, {"text": "apple"}],
              "selection": )" +
           selection + R"(, "undoHistory": ["Typing", "Typing"]})";
}

struct Annotation : ::testing::Test {
    Annotation() {
        for (const char16_t* line : {u"apple||5Apl", u"book||buk", u"Apple||5Apl", u"it,||it", u"empty||"}) dictionary.addLine(line);
    }
    PhoneticDictionary dictionary;
};

// The real run leaves every document as the literal per-character run does:
// the same text, formats and undo steps, in the same order (with half of the
// steps undone too). Misses, empty transcriptions and selections of other
// than one object change nothing.
TEST_F(Annotation, SameEffectsAsTheLiteralPerCharacterRun) {
    for (const std::string& document : {Json("Apple and book, an apple a book; it, apple-book book"), Json("empty unknown"), Json(""),
                                        Json("apple book", "null"), Json("apple book", R"({"stories": [0, 1]})")}) {
        for (const settings::AnnotationSettings& format : {Format(0, true, u" ", u"\\", u"\\"), Format(1, true, u"\t", u"[", u"]"),
                                                           Format(0, false, u" ", u"/", u"/"), Format(1, false, u"\t", u"[", u"]")}) {
            for (const bool styled : {false, true}) {
                standin::StandInHost real, literal;
                const auto attached = [&](standin::StandInHost& h) {
                    h.loadDocumentJson(document);
                    const ObjectRef styles = GetObjectRef(GetObjectRef(h.application(), code::kActiveDocument), code::kCharacterStyles);
                    return test::AttachedState(h.application(), format, styled ? Item(styles, 2) : nullptr);
                };
                EXPECT_EQ(AnnotateSelection(attached(real), dictionary, 9).undoMark, 1);
                test::LiteralAnnotateSelection(attached(literal), dictionary);
                const std::string where = document + (format.notation.useUnicode ? " unicode" : " kingsoft") + (styled ? " styled" : "");
                ASSERT_EQ(real.dumpDocumentJson(), literal.dumpDocumentJson()) << where;
                for (std::int32_t k = real.undoStepCount() / 2; k > 0; --k) {
                    for (standin::StandInHost* h : {&real, &literal}) Call(GetObjectRef(h->application(), code::kActiveDocument), code::kUndo);
                }
                EXPECT_EQ(real.dumpDocumentJson(), literal.dumpDocumentJson()) << where << " half undone";
            }
        }
    }
}

// Separators and symbols of any length: the window follows the real lengths,
// so the separator never takes the phonetic font, nor a bracket in Kingsoft letters.
TEST_F(Annotation, WritesTheAnnotationAndFormatsItsWindow) {
    const std::string unicode = "Lucida Sans Unicode", kingsoft = "KPP Edition 2008教师节";
    const std::tuple<settings::AnnotationSettings, std::string, std::vector<test::FormattedRun>> cases[] = {
        {Format(0, false, u" ", u"\\", u"\\"), "apple \\5Apl\\ book \\bJk\\", {{7, 4, kingsoft, ""}, {19, 3, kingsoft, ""}}},
        {Format(0, true, u"=>", u"[", u"]"), "apple=>[ˈæpl] book=>[bʊk]", {{7, 6, unicode, ""}, {20, 5, unicode, ""}}},
        {Format(1, false, u"", u"((", u"))"), "apple((5Apl)) book((buk))", {{7, 4, kingsoft, ""}, {20, 3, kingsoft, ""}}},
    };
    for (const auto& [format, text, runs] : cases) {
        standin::StandInHost host;
        host.loadDocumentJson(Json("apple book"));
        EXPECT_TRUE(AnnotateSelection(test::AttachedState(host.application(), format), dictionary, 0).completed());
        EXPECT_EQ(test::StoryUtf8(host), text);
        EXPECT_EQ(test::FormattedRuns(host), runs) << text;
    }
}

// Host answers the stand-in never gives, and no host at all (id 0).
TEST_F(Annotation, OddHostAnswers) {
    const std::tuple<DispatchId, InvokeKind, Value, HResult, std::int32_t, bool> cases[] = {
        // kOk: completes; mark; annotates
        {code::kContents, InvokeKind::Put, Value(), kOk, 1, false},  // a word that does not grow is not formatted
        {code::kContents, InvokeKind::Get, Value(7), kOk, 1, false},
        {code::kUndoHistory, InvokeKind::Get, Value(), kOk, -1, true},
        {code::kSelection, InvokeKind::Get, Value(), kInvalidPointer, 1, false},
        {code::kSelection, InvokeKind::Get, Value(7), kTypeMismatch, 1, false},  // converts with another error than "no interface"
        {0, InvokeKind::Get, Value(), kInvalidPointer, 9, false},
    };
    for (const auto& [id, kind, answer, failure, mark, annotates] : cases) {
        standin::StandInHost host;
        host.loadDocumentJson(Json("apple book"));
        const auto hook = [&](DispatchId called, InvokeKind how, std::span<const Value>) {
            return called == id && how == kind ? std::optional<Value>(answer) : std::nullopt;
        };
        const RunOutcome outcome = AnnotateSelection(test::AttachedState(id ? test::Intercept(host.application(), hook) : nullptr), dictionary, 9);
        EXPECT_EQ(test::ReportOf(outcome), failure == kOk ? u"" : FormatErrorReport(AutomationError(failure))) << id;
        EXPECT_EQ(outcome.undoMark, mark) << id;
        EXPECT_EQ(test::StoryUtf8(host) != "apple book", annotates) << id;
        EXPECT_EQ(!test::FormattedRuns(host).empty(), annotates) << id;
    }
}

// Annotates in Kingsoft letters of the older convention, which pass
// unchanged and alone take the font: every "[...]" is one formatted run.
std::u16string Annotate(const std::u16string& text, bool loose) {
    PhoneticDictionary dictionary, skipList;
    for (const char16_t* line :
         {u"bank||bANk", u"dear||dia", u"well||wel", u"very||veri", u"wouldn't||wudnt", u"rabbit||rAbit", u"hole||h2ul", u"it,||it", u"Mr.||mist2", u"empty||",
          u"Polish||p2uliS", u"polish||pOliS", u"o'clock||2klOk", u"the||Di:", u"The||Di:", u"sea||si:", u"a||2"})
        dictionary.addLine(line);
    for (const char16_t* line : {u"the", u"sea,|x|y", u"A="}) skipList.addLine(line);
    standin::StandInHost host;
    host.loadPlainText(text);
    test::AttachedState target(host.application());
    target.settings = {u"", u"", u"", u"[", u"]", {1, false}, loose};
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
    const std::tuple<std::u16string, std::u16string, std::u16string> cases[] = {
        // text, loose, exact (empty: unchanged)
        {u"bank, dear! (when (bank", u"bank[bANk], dear[dia]! (when (bank[bANk]", u""},
        {u"‘Well!’ «bank» ¿dear？ bank。", u"‘Well[wel]!’ «bank[bANk]» ¿dear[dia]？ bank[bANk]。", u""},
        {u"wouldn’t. wouldnʼt o’clock,", u"wouldn’t[wudnt]. wouldnʼt[wudnt] o’clock[2klOk],", u""},
        {u"Bank. VERY WELL wouldn't", u"Bank[bANk]. VERY[veri] WELL[wel] wouldn't[wudnt]", u"Bank. VERY WELL wouldn't[wudnt]"},
        {u"Polish, POLISH", u"Polish[p2uliS], POLISH[pOliS]", u""},  // the key as it stands first, then lower case
        {u"rabbit-hole. Rabbit‑Hole", u"rabbit-hole[rAbit-h2ul]. Rabbit‑Hole[rAbit-h2ul]", u""},
        {u"rabbit-hutch rabbit--hole ?! -- … bank.dear bank/dear", u"rabbit-hutch rabbit--hole ?! -- … bank.dear bank/dear", u""},
        {u"it, Mr. It, it empty, Empty", u"it,[it] Mr.[mist2] It, it empty, Empty", u"it,[it] Mr.[mist2] It, it empty, Empty"},
        {u"the sea, sea A a", u"the sea, sea[si:] A a[2]", u"the sea, sea[si:] A a[2]"},  // skip lines read like the word list
        {u"The THE. (the)", u"The THE. (the)", u"The[Di:] THE. (the)"},                   // skipped in every case form
        // invisible characters out of the key, the annotation after a trailing one; a zero-width space breaks words
        {u"ba\u00ADnk \uFEFFdear, well\u200D! ve\u200Cry\u2060 \u00AD bank\u200Bdear",
         u"ba\u00ADnk[bANk] \uFEFFdear[dia], "
         u"well\u200D[wel]! ve\u200Cry\u2060[veri] \u00AD bank[bANk]\u200Bdear[dia]",
         u"ba\u00ADnk \uFEFFdear, well\u200D! "
         u"ve\u200Cry\u2060 \u00AD bank[bANk]\u200Bdear[dia]"},
        // Chinese, Japanese and Korean text glued to a word is an edge; so is an anchored object's marker
        {u"看Bank 单词dear的意思 ワwellル 은bank \U00020000dear\U0002A6D6 bank\uFFFC dear\uFFFC. 看\uFFFC",
         u"看Bank[bANk] 单词dear[dia]的意思 ワwell[wel]ル 은bank[bANk] \U00020000dear[dia]\U0002A6D6 bank[bANk]\uFFFC "
         u"dear[dia]\uFFFC. 看\uFFFC",
         u""},
    };
    for (const auto& [text, loose, exact] : cases) {
        EXPECT_EQ(Utf16ToUtf8(Annotate(text, true)), Utf16ToUtf8(loose));
        EXPECT_EQ(Utf16ToUtf8(Annotate(text, false)), Utf16ToUtf8(exact.empty() ? text : exact));
    }
}

// Each case form in its turn: the word as it stands, its first letter lowered, all of it lowered (only A to Z);
// a word of punctuation only is found as it stands.
TEST(WordLookup, TriesEachCaseFormOfEveryLetter) {
    PhoneticDictionary dictionary;
    for (char16_t c = u'a'; c <= u'z'; ++c) dictionary.addLine(std::u16string{c, u'b', u'c'} + u"||" + c);
    for (const char16_t* line : {u"iPhone||first", u"iphone||all", u"x`z||grave", u"?!||bang"}) dictionary.addLine(line);
    const auto found = [&](std::u16string_view word) { return LookUpWord(word, dictionary, {}).match.value_or(WordMatch{u"-", 0}).transcription; };
    for (char16_t c = u'A'; c <= u'Z'; ++c) {
        const std::u16string lower(1, static_cast<char16_t>(c - u'A' + u'a'));
        EXPECT_EQ(found(std::u16string{c, u'b', u'c'}), lower) << char(c);
        EXPECT_EQ(found(std::u16string{c, u'B', u'C'}), lower) << char(c);
    }
    for (const auto& [word, transcription] : {std::pair{u"IPhone", u"first"}, {u"IPHONE", u"all"}, {u"X@Z", u"-"}, {u"?!", u"bang"}}) {
        EXPECT_EQ(found(word), transcription) << Utf16ToUtf8(word);
    }
}

// Every ASCII character as the C library classes it, and both ends of each wider range.
TEST(WordLookup, EdgePunctuationStopsAtEachRangesEnds) {
    for (int c = 0; c < 0x80; ++c) EXPECT_EQ(IsEdgePunctuation(static_cast<char16_t>(c)), std::ispunct(c) != 0) << c;
    const std::u16string inside = u"\u00A1\u00AB\u00BB\u00BF\u2010\u2027\u2030\u205E\u3000\u303F\uFF01\uFF0F\uFF1A\uFF20\uFF3B\uFF40\uFF5B\uFF65";
    for (const char16_t c : inside) EXPECT_TRUE(IsEdgePunctuation(c)) << std::hex << int{c};
    for (const char16_t c :
         u"\u00A0\u00A2\u00AA\u00AC\u00BA\u00BC\u00BE\u00C0\u02BC\u200F\u2028\u202F\u205F\u2FFF\u3040\uFF00\uFF10\uFF19\uFF21\uFF3A\uFF41\uFF5A\uFF66")
        EXPECT_FALSE(IsEdgePunctuation(c)) << std::hex << int{c};
}

}}  // namespace sonotag
