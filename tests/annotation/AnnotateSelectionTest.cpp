#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "annotation/Annotation.h"
#include "base/Utf.h"
#include "dictionary/PhoneticDictionary.h"
#include "host/AutomationError.h"
#include "standin/StandInHost.h"
#include "tests/support/AttachedState.h"
#include "tests/support/InterceptingHost.h"
#include "tests/support/LiteralAnnotation.h"
#include "tests/support/StandInDocument.h"

namespace sonotag {
namespace {

using namespace host;
using test::FormattedRun;

constexpr char kUnicode[] = "Lucida Sans Unicode";
constexpr char kKingsoft[] = "KPP Edition 2008教师节";

settings::AnnotationSettings Format(std::int32_t ipa, bool unicode, std::u16string separator, std::u16string left,
                                    std::u16string right) {
    return {u"", u"", std::move(separator), std::move(left), std::move(right), ipa, unicode, false};
}

// A document of one story; `selection` as the document file writes it.
std::string Json(const std::string& text, const std::string& selection = R"({"story": 0})") {
    return R"({"characterStyles": [":Phonetics"], "stories": [{"text": ")" + text + R"("}, {"text": "apple"}],
              "selection": )" + selection + R"(, "undoHistory": ["Typing", "Typing"]})";
}

void FillDictionary(PhoneticDictionary& dictionary) {
    for (const char16_t* line : {u"apple||5Apl", u"book||buk", u"Apple||5Apl", u"it,||it", u"empty||"}) dictionary.addLine(line);
}

ObjectRef Document(standin::StandInHost& host) { return GetObjectRef(host.application(), code::kActiveDocument); }

// The real run leaves every document as the literal per-character run does:
// the same text, formats and undo steps, in the same order (half of the
// steps undone leave both the same too). Misses, words whose transcription
// is empty and selections of other than one object change nothing.
TEST(Annotation, SameEffectsAsTheLiteralPerCharacterRun) {
    PhoneticDictionary dictionary;
    FillDictionary(dictionary);
    const std::string documents[] = {
        Json("Apple and book, an apple a book; it, apple-book book"), Json("empty unknown"), Json(""),
        Json("apple book", "null"), Json("apple book", R"({"stories": [0, 1]})")};
    const settings::AnnotationSettings formats[] = {
        Format(0, true, u" ", u"\\", u"\\"), Format(1, true, u"\t", u"[", u"]"), Format(0, false, u" ", u"/", u"/"),
        Format(1, false, u"\t", u"[", u"]")};
    for (const std::string& document : documents) {
        for (const settings::AnnotationSettings& format : formats) {
            for (const bool styled : {false, true}) {
                standin::StandInHost real, literal;
                real.loadDocumentJson(document);
                literal.loadDocumentJson(document);
                const auto style = [&](standin::StandInHost& h) {
                    return styled ? Item(GetObjectRef(Document(h), code::kCharacterStyles), 2) : nullptr;
                };
                const RunOutcome outcome =
                    AnnotateSelection(test::AttachedState(real.application(), format, style(real)), dictionary, 9);
                test::LiteralAnnotateSelection(test::AttachedState(literal.application(), format, style(literal)), dictionary);
                const std::string where = document + (format.useUnicode ? " unicode" : " kingsoft") + (styled ? " styled" : "");
                EXPECT_EQ(outcome.undoMark, 1) << where;
                ASSERT_EQ(real.dumpDocumentJson(), literal.dumpDocumentJson()) << where;
                for (std::int32_t k = real.undoStepCount() / 2; k > 0; --k) {
                    Call(Document(real), code::kUndo);
                    Call(Document(literal), code::kUndo);
                }
                EXPECT_EQ(real.dumpDocumentJson(), literal.dumpDocumentJson()) << where << " half undone";
            }
        }
    }
}

// Separators and symbols of any length: the window follows the real lengths,
// so the separator never takes the phonetic font and a bracket never does in
// Kingsoft letters.
TEST(Annotation, WritesTheAnnotationAndFormatsItsWindow) {
    const struct {
        settings::AnnotationSettings format;
        std::string text;
        std::vector<FormattedRun> runs;
    } cases[] = {
        {Format(0, true, u" ", u"\\", u"\\"), "apple \\ˈæpl\\ book \\bʊk\\", {{6, 6, kUnicode, ""}, {18, 5, kUnicode, ""}}},
        {Format(0, false, u" ", u"\\", u"\\"), "apple \\5Apl\\ book \\bJk\\", {{7, 4, kKingsoft, ""}, {19, 3, kKingsoft, ""}}},
        {Format(0, true, u"=>", u"[", u"]"), "apple=>[ˈæpl] book=>[bʊk]", {{7, 6, kUnicode, ""}, {20, 5, kUnicode, ""}}},
        {Format(1, false, u"", u"((", u"))"), "apple((5Apl)) book((buk))", {{7, 4, kKingsoft, ""}, {20, 3, kKingsoft, ""}}},
        {Format(0, true, u"", u"", u""), "appleˈæpl bookbʊk", {{5, 4, kUnicode, ""}, {14, 3, kUnicode, ""}}},
    };
    PhoneticDictionary dictionary;
    FillDictionary(dictionary);
    for (const auto& c : cases) {
        standin::StandInHost host;
        host.loadDocumentJson(Json("apple book"));
        EXPECT_TRUE(AnnotateSelection(test::AttachedState(host.application(), c.format), dictionary, 0).completed());
        EXPECT_EQ(test::StoryUtf8(host), c.text);
        EXPECT_EQ(test::FormattedRuns(host), c.runs) << c.text;
    }
}

// Host answers the stand-in never gives, and no host at all.
TEST(Annotation, OddHostAnswers) {
    const struct {
        const char* name;
        DispatchId id;  // 0: no host attached
        InvokeKind kind;
        Value answer;
        HResult failure;  // kOk: the run completes
        std::int32_t mark;
        bool annotates;
    } cases[] = {
        {"WordThatDoesNotGrow", code::kContents, InvokeKind::Put, Value(), kOk, 1, false},
        {"WordWhoseTextIsNotText", code::kContents, InvokeKind::Get, Value(7), kOk, 1, false},
        {"HistoryThatIsNotAnArray", code::kUndoHistory, InvokeKind::Get, Value(), kOk, -1, true},
        {"SelectionEmpty", code::kSelection, InvokeKind::Get, Value(), kInvalidPointer, 1, false},
        {"SelectionText", code::kSelection, InvokeKind::Get, Value(u"text"), kTypeMismatch, 1, false},
        {"SelectionNullObject", code::kSelection, InvokeKind::Get, Value(ObjectRef()), kInvalidPointer, 1, false},
        {"NoHost", 0, InvokeKind::Get, Value(), kInvalidPointer, 9, false},
    };
    PhoneticDictionary dictionary;
    FillDictionary(dictionary);
    for (const auto& c : cases) {
        standin::StandInHost host;
        host.loadDocumentJson(Json("apple book"));
        const auto hook = [&](DispatchId id, InvokeKind kind, std::span<const Value>) {
            return id == c.id && kind == c.kind ? std::optional<Value>(c.answer) : std::nullopt;
        };
        const ObjectRef application = c.id == 0 ? nullptr : test::Intercept(host.application(), hook);
        const RunOutcome outcome = AnnotateSelection(test::AttachedState(application), dictionary, 9);
        EXPECT_EQ(test::ReportOf(outcome), c.failure == kOk ? u"" : FormatErrorReport(AutomationError(c.failure))) << c.name;
        EXPECT_EQ(outcome.undoMark, c.mark) << c.name;
        EXPECT_EQ(test::StoryUtf8(host) != "apple book", c.annotates) << c.name;
        EXPECT_EQ(!test::FormattedRuns(host).empty(), c.annotates) << c.name;
    }
}

}  // namespace
}  // namespace sonotag
