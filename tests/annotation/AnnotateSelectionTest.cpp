#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "annotation/Annotation.h"
#include "base/Utf.h"
#include "dictionary/PhoneticDictionary.h"
#include "host/AutomationError.h"
#include "standin/StandInHost.h"
#include "tests/support/AttachedState.h"
#include "tests/support/CaseName.h"
#include "tests/support/InterceptingHost.h"
#include "tests/support/LiteralAnnotation.h"
#include "tests/support/StandInDocument.h"

namespace sonotag {
namespace {

using namespace host;
using test::FormattedRun;

constexpr char kUnicode[] = "Lucida Sans Unicode";
constexpr char kKingsoft[] = "KPP Edition 2008教师节";

settings::AnnotationSettings Format(std::int32_t ipaVersion, bool useUnicode, std::u16string separator,
                                    std::u16string left, std::u16string right) {
    settings::AnnotationSettings format;
    format.ipaVersion = ipaVersion;
    format.useUnicode = useUnicode;
    format.separator = std::move(separator);
    format.leftSymbol = std::move(left);
    format.rightSymbol = std::move(right);
    format.loose = false;
    return format;
}

// A document of one story; `selection` as the document file writes it.
std::string Document(const std::string& text, const std::string& selection = R"({"story": 0})") {
    return R"({"characterStyles": [":Phonetics"], "stories": [{"text": ")" + text + R"("}, {"text": "apple"}],
              "selection": )" + selection + R"(, "undoHistory": ["Typing", "Typing"]})";
}

void FillDictionary(PhoneticDictionary& dictionary) {
    for (const char16_t* line : {u"apple||5Apl", u"book||buk", u"Apple||5Apl", u"it,||it", u"empty||"}) {
        dictionary.addLine(line);
    }
}

ObjectRef Phonetics(standin::StandInHost& host) {
    return Item(GetObjectRef(GetObjectRef(host.application(), code::kActiveDocument), code::kCharacterStyles),
                u"Phonetics");
}

// The real run leaves every document as the literal per-character run does:
// the same text, formats and undo steps, in the same order (half of the
// steps undone leave both the same too). Misses, words whose transcription
// is empty and selections of other than one object change nothing.
TEST(Annotation, SameEffectsAsTheLiteralPerCharacterRun) {
    PhoneticDictionary dictionary;
    FillDictionary(dictionary);
    const std::string documents[] = {
        Document("Apple and book, an apple a book; it, apple-book book"), Document("empty unknown"),
        Document(""), Document("apple book", "null"), Document("apple book", R"({"stories": [0, 1]})")};
    const settings::AnnotationSettings formats[] = {
        Format(0, true, u" ", u"\\", u"\\"), Format(1, true, u"\t", u"[", u"]"), Format(0, false, u" ", u"/", u"/"),
        Format(1, false, u"\t", u"[", u"]")};
    for (const std::string& document : documents) {
        for (const settings::AnnotationSettings& format : formats) {
            for (const bool styled : {false, true}) {
                standin::StandInHost real, literal;
                real.loadDocumentJson(document);
                literal.loadDocumentJson(document);
                const RunOutcome outcome = AnnotateSelection(
                    test::AttachedState(real.application(), format, styled ? Phonetics(real) : nullptr), dictionary,
                    kInitialUndoMark);
                test::LiteralAnnotateSelection(
                    test::AttachedState(literal.application(), format, styled ? Phonetics(literal) : nullptr),
                    dictionary);
                const std::string where = document + (format.useUnicode ? " unicode" : " kingsoft") +
                                          (styled ? " styled" : "");
                EXPECT_TRUE(outcome.completed()) << where;
                EXPECT_EQ(outcome.undoMark, 1) << where;
                ASSERT_EQ(real.dumpDocumentJson(), literal.dumpDocumentJson()) << where;
                for (std::int32_t k = real.undoStepCount() / 2; k > 0; --k) {
                    Call(GetObjectRef(real.application(), code::kActiveDocument), code::kUndo);
                    Call(GetObjectRef(literal.application(), code::kActiveDocument), code::kUndo);
                }
                EXPECT_EQ(real.dumpDocumentJson(), literal.dumpDocumentJson()) << where << " half undone";
            }
        }
    }
}

// Separators and symbols of any length: the window follows the real lengths,
// so the separator never takes the phonetic font and a bracket never does in
// Kingsoft letters.
struct FormatCase {
    const char* name;
    settings::AnnotationSettings format;
    std::string text;
    std::vector<FormattedRun> runs;
};

class Formats : public ::testing::TestWithParam<FormatCase> {};

TEST_P(Formats, WriteTheAnnotationAndFormatItsWindow) {
    standin::StandInHost host;
    host.loadDocumentJson(Document("apple book"));
    PhoneticDictionary dictionary;
    FillDictionary(dictionary);
    EXPECT_TRUE(AnnotateSelection(test::AttachedState(host.application(), GetParam().format), dictionary, 0).completed());
    EXPECT_EQ(test::StoryUtf8(host), GetParam().text);
    EXPECT_EQ(test::FormattedRuns(host), GetParam().runs);
}

INSTANTIATE_TEST_SUITE_P(
    Annotation, Formats,
    ::testing::Values(
        FormatCase{"UnicodeIpa14", Format(0, true, u" ", u"\\", u"\\"), "apple \\ˈæpl\\ book \\bʊk\\",
                   {{6, 6, kUnicode, ""}, {18, 5, kUnicode, ""}}},
        FormatCase{"KingsoftIpa14", Format(0, false, u" ", u"\\", u"\\"), "apple \\5Apl\\ book \\bJk\\",
                   {{7, 4, kKingsoft, ""}, {19, 3, kKingsoft, ""}}},
        FormatCase{"TwoCharacterSeparatorUnicode", Format(0, true, u"=>", u"[", u"]"), "apple=>[ˈæpl] book=>[bʊk]",
                   {{7, 6, kUnicode, ""}, {20, 5, kUnicode, ""}}},
        FormatCase{"EmptySeparatorKingsoftIpa13", Format(1, false, u"", u"\\", u"\\"), "apple\\5Apl\\ book\\buk\\",
                   {{6, 4, kKingsoft, ""}, {17, 3, kKingsoft, ""}}},
        FormatCase{"TwoCharacterSymbolsKingsoft", Format(1, false, u" ", u"((", u"))"), "apple ((5Apl)) book ((buk))",
                   {{8, 4, kKingsoft, ""}, {22, 3, kKingsoft, ""}}},
        FormatCase{"NothingButTheTranscription", Format(0, true, u"", u"", u""), "appleˈæpl bookbʊk",
                   {{5, 4, kUnicode, ""}, {14, 3, kUnicode, ""}}}),
    test::CaseName());

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
        host.loadDocumentJson(Document("apple book"));
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
