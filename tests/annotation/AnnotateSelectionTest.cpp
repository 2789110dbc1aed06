#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "annotation/Annotation.h"
#include "host/AutomationError.h"
#include "standin/StandInHost.h"
#include "tests/support/AttachedState.h"
#include "tests/support/InterceptingHost.h"
#include "tests/support/LiteralAnnotation.h"
#include "tests/support/StandInDocument.h"

namespace sonotag {
namespace {

using namespace host;

settings::AnnotationSettings Format(std::int32_t ipa, bool unicode, std::u16string separator, std::u16string left,
                                    std::u16string right) {
    return {u"", u"", std::move(separator), std::move(left), std::move(right), ipa, unicode, false};
}

// One story to annotate and one more; `selection` as the document file writes it.
std::string Json(const std::string& text, const std::string& selection = R"({"story": 0})") {
    return R"({"characterStyles": [":Phonetics"], "stories": [{"text": ")" + text + R"("}, {"text": "apple"}],
              "selection": )" + selection + R"(, "undoHistory": ["Typing", "Typing"]})";
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
    for (const std::string& document : {Json("Apple and book, an apple a book; it, apple-book book"), Json("empty unknown"),
                                        Json(""), Json("apple book", "null"), Json("apple book", R"({"stories": [0, 1]})")}) {
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
                const std::string where = document + (format.useUnicode ? " unicode" : " kingsoft") + (styled ? " styled" : "");
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
        {Format(0, true, u"", u"", u""), "appleˈæpl bookbʊk", {{5, 4, unicode, ""}, {14, 3, unicode, ""}}},
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
    const std::tuple<DispatchId, InvokeKind, Value, HResult, std::int32_t, bool> cases[] = {  // kOk: completes; mark; annotates
        {code::kContents, InvokeKind::Put, Value(), kOk, 1, false},  // a word that does not grow is not formatted
        {code::kContents, InvokeKind::Get, Value(7), kOk, 1, false},
        {code::kUndoHistory, InvokeKind::Get, Value(), kOk, -1, true},
        {code::kSelection, InvokeKind::Get, Value(), kInvalidPointer, 1, false},
        {code::kSelection, InvokeKind::Get, Value(u"text"), kTypeMismatch, 1, false},
        {code::kSelection, InvokeKind::Get, Value(ObjectRef()), kInvalidPointer, 1, false},
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

}  // namespace
}  // namespace sonotag
