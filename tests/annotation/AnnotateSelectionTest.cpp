#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "annotation/Annotation.h"
#include "dictionary/PhoneticDictionary.h"
#include "base/Utf.h"
#include "host/AutomationError.h"
#include "notation/Notation.h"
#include "standin/StandInHost.h"
#include "standin/Words.h"
#include "tests/support/AttachedState.h"
#include "tests/support/CaseName.h"
#include "tests/support/InterceptingHost.h"
#include "tests/support/LiteralAnnotation.h"
#include "tests/support/StandInDocument.h"
#include "tests/support/TestFiles.h"

namespace sonotag {
namespace {

using namespace host;
using test::FormattedRun;

constexpr char kUnicode[] = "Lucida Sans Unicode";
constexpr char kKingsoft[] = "KPP Edition 2008教师节";

std::string DocumentWithStyles(const std::string& text) {
    return R"({"characterStyles": [":[无]", ":Phonetics", ":Group:Inner:Deep"], "stories": [{"text": ")" + text +
           R"("}], "selection": {"story": 0}, "undoHistory": []})";
}

settings::AnnotationSettings Format(std::int32_t ipaVersion, bool useUnicode, std::u16string separator,
                                    std::u16string left, std::u16string right) {
    settings::AnnotationSettings format;
    format.ipaVersion = ipaVersion;
    format.useUnicode = useUnicode;
    format.separator = std::move(separator);
    format.leftSymbol = std::move(left);
    format.rightSymbol = std::move(right);
    return format;
}

class Annotation : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char16_t* line : {u"apple||5Apl", u"book||buk", u"Apple||5Apl", u"it,||it", u"empty||"}) {
            dictionary.addLine(line);
        }
    }

    void load(const std::string& text) { host.loadDocumentJson(DocumentWithStyles(text)); }

    void run(const settings::AnnotationSettings& format, const ObjectRef& characterStyle = nullptr) {
        run(host.application(), format, characterStyle);
    }
    void run(const ObjectRef& application, const settings::AnnotationSettings& format = {},
             const ObjectRef& characterStyle = nullptr) {
        outcome = AnnotateSelection(test::AttachedState(application, format, characterStyle), dictionary, undoMark);
        undoMark = outcome.undoMark;
    }

    ObjectRef style(const std::u16string& name) {
        return Item(GetObjectRef(GetObjectRef(host.application(), code::kActiveDocument), code::kCharacterStyles), name);
    }

    void expectCompletedOnce() { EXPECT_TRUE(outcome.completed()) << Utf16ToUtf8(test::ReportOf(outcome)); }

    standin::StandInHost host;
    PhoneticDictionary dictionary;
    RunOutcome outcome;
    std::int32_t undoMark = kInitialUndoMark;
};

// ---------------------------------------------------------------------------
// What a run writes, for each notation and shape of annotation.

struct FormatCase {
    const char* name;
    std::int32_t ipaVersion;
    bool useUnicode;
    std::u16string separator, left, right;
    std::string expectedText;
    std::vector<FormattedRun> expectedRuns;
};

void PrintTo(const FormatCase& c, std::ostream* out) { *out << c.name; }

class Formats : public Annotation, public ::testing::WithParamInterface<FormatCase> {};

TEST_P(Formats, WriteTheAnnotationAndFormatItsWindow) {
    const FormatCase& c = GetParam();
    load("apple book");
    run(Format(c.ipaVersion, c.useUnicode, c.separator, c.left, c.right));
    expectCompletedOnce();
    EXPECT_EQ(test::StoryUtf8(host), c.expectedText);
    EXPECT_EQ(test::FormattedRuns(host), c.expectedRuns);
}

INSTANTIATE_TEST_SUITE_P(
    Notations, Formats,
    ::testing::Values(
        FormatCase{"UnicodeDefaults", 0, true, u" ", u"\\", u"\\", "apple \\ˈæpl\\ book \\bʊk\\",
                   {{6, 6, kUnicode, ""}, {18, 5, kUnicode, ""}}},
        FormatCase{"UnicodeSameForIpa13", 1, true, u" ", u"\\", u"\\", "apple \\ˈæpl\\ book \\bʊk\\",
                   {{6, 6, kUnicode, ""}, {18, 5, kUnicode, ""}}},
        FormatCase{"KingsoftIpa14", 0, false, u" ", u"\\", u"\\", "apple \\5Apl\\ book \\bJk\\",
                   {{7, 4, kKingsoft, ""}, {19, 3, kKingsoft, ""}}},
        FormatCase{"KingsoftIpa13KeepsStoredLetters", 1, false, u" ", u"\\", u"\\", "apple \\5Apl\\ book \\buk\\",
                   {{7, 4, kKingsoft, ""}, {19, 3, kKingsoft, ""}}},
        FormatCase{"TabAndBracketsUnicode", 0, true, u"\t", u"[", u"]", "apple\t[ˈæpl] book\t[bʊk]",
                   {{6, 6, kUnicode, ""}, {18, 5, kUnicode, ""}}},
        FormatCase{"TabAndBracketsKingsoft", 0, false, u"\t", u"[", u"]", "apple\t[5Apl] book\t[bJk]",
                   {{7, 4, kKingsoft, ""}, {19, 3, kKingsoft, ""}}}),
    test::CaseName());

// Separators and symbols of other lengths: the window follows the real
// lengths, so the separator never takes the phonetic font and a bracket
// never does in Kingsoft letters.
INSTANTIATE_TEST_SUITE_P(
    RealLengths, Formats,
    ::testing::Values(
        FormatCase{"TwoCharacterSeparatorUnicode", 0, true, u"=>", u"[", u"]", "apple=>[ˈæpl] book=>[bʊk]",
                   {{7, 6, kUnicode, ""}, {20, 5, kUnicode, ""}}},
        FormatCase{"EmptySeparatorUnicode", 0, true, u"", u"\\", u"\\", "apple\\ˈæpl\\ book\\bʊk\\",
                   {{5, 6, kUnicode, ""}, {16, 5, kUnicode, ""}}},
        FormatCase{"EmptySeparatorKingsoft", 1, false, u"", u"\\", u"\\", "apple\\5Apl\\ book\\buk\\",
                   {{6, 4, kKingsoft, ""}, {17, 3, kKingsoft, ""}}},
        FormatCase{"TwoCharacterSymbolsKingsoft", 1, false, u" ", u"((", u"))", "apple ((5Apl)) book ((buk))",
                   {{8, 4, kKingsoft, ""}, {22, 3, kKingsoft, ""}}},
        FormatCase{"NoSymbolsKingsoft", 1, false, u" ", u"", u"", "apple 5Apl book buk",
                   {{6, 4, kKingsoft, ""}, {16, 3, kKingsoft, ""}}},
        FormatCase{"NothingButTheTranscription", 0, true, u"", u"", u"", "appleˈæpl bookbʊk",
                   {{5, 4, kUnicode, ""}, {14, 3, kUnicode, ""}}}),
    test::CaseName());

TEST_F(Annotation, CharacterStyleReplacesTheFontInBothNotations) {
    for (const bool unicode : {true, false}) {
        load("apple");
        run(Format(1, unicode, u" ", u"[", u"]"), style(u"Phonetics"));
        const std::vector<FormattedRun> expected = unicode ? std::vector<FormattedRun>{{6, 6, "", ":Phonetics"}}
                                                           : std::vector<FormattedRun>{{7, 4, "", ":Phonetics"}};
        EXPECT_EQ(test::FormattedRuns(host), expected) << "unicode " << unicode;
    }
}

TEST_F(Annotation, StyleInsideNestedGroupsIsApplied) {
    load("book");
    const ObjectRef document = GetObjectRef(host.application(), code::kActiveDocument);
    const ObjectRef group = Item(GetObjectRef(document, code::kCharacterStyleGroups), u"Group");
    const ObjectRef inner = Item(GetObjectRef(group, code::kCharacterStyleGroups), u"Inner");
    run(settings::AnnotationSettings(), Item(GetObjectRef(inner, code::kCharacterStyles), u"Deep"));
    EXPECT_EQ(test::FormattedRuns(host), (std::vector<FormattedRun>{{5, 5, "", ":Group:Inner:Deep"}}));
}

// ---------------------------------------------------------------------------
// Which words are annotated.

TEST_F(Annotation, MissesBetweenHitsAreSkippedSilently) {
    load("apple pear book");
    run(settings::AnnotationSettings());
    expectCompletedOnce();
    EXPECT_EQ(test::StoryUtf8(host), "apple \\ˈæpl\\ pear book \\bʊk\\");
}

TEST_F(Annotation, EmptyTranscriptionCountsAsAMiss) {
    load("empty unknown");
    run(settings::AnnotationSettings());
    expectCompletedOnce();
    EXPECT_EQ(test::StoryUtf8(host), "empty unknown");
    EXPECT_EQ(host.undoStepCount(), 0);
}

TEST_F(Annotation, LastWordIsAnnotatedFirst) {
    load("apple book");
    run(settings::AnnotationSettings());
    // Undoing one step takes back the first word's insertion: the run's last.
    const std::int32_t steps = host.undoStepCount();
    for (std::int32_t step = 0; step < steps; ++step) {
        Call(GetObjectRef(host.application(), code::kActiveDocument), code::kUndo);
        if (test::StoryUtf8(host) == "apple book \\bʊk\\") return;
    }
    FAIL() << "the second word's annotation was never alone in the text";
}

TEST_F(Annotation, NoWordsOrEmptyDictionaryEndWithTheCompletionMessage) {
    load("");
    run(settings::AnnotationSettings());
    expectCompletedOnce();
    EXPECT_EQ(test::StoryUtf8(host), "");

    PhoneticDictionary empty;
    host.loadPlainText(u"apple book");
    outcome = AnnotateSelection(test::AttachedState(host.application()), empty, undoMark);
    expectCompletedOnce();
    EXPECT_EQ(test::StoryUtf8(host), "apple book");
}

TEST_F(Annotation, WithoutOneSelectedObjectNothingChangesButTheMark) {
    host.loadDocumentJson(R"({"characterStyles": [":[无]"], "stories": [{"text": "apple"}, {"text": "book"}],
                             "selection": null, "undoHistory": ["Typing", "Typing"]})");
    const std::string before = host.dumpDocumentJson();
    run(settings::AnnotationSettings());
    expectCompletedOnce();
    EXPECT_EQ(host.dumpDocumentJson(), before);
    EXPECT_EQ(undoMark, 1);

    host.select({0, 1});
    const std::string twoSelected = host.dumpDocumentJson();
    undoMark = kInitialUndoMark;
    run(settings::AnnotationSettings());
    expectCompletedOnce();
    EXPECT_EQ(host.dumpDocumentJson(), twoSelected);
    EXPECT_EQ(undoMark, 1);
}

TEST_F(Annotation, SameEffectsAsTheWordByWordCharacterLoop) {
    // With one-character separator and symbols the window is the one the
    // character-by-character loop computes from the insertion-point counts;
    // the exact look-up is the loop's.
    const std::string text = "Apple and book, an apple a book; it, apple-book book";
    const settings::AnnotationSettings formats[] = {
        Format(0, true, u" ", u"\\", u"\\"), Format(1, true, u"\t", u"[", u"]"),
        Format(0, false, u" ", u"/", u"/"),  Format(1, false, u"\t", u"[", u"]"),
    };
    for (settings::AnnotationSettings format : formats) {
        format.loose = false;
        for (const bool styled : {false, true}) {
            standin::StandInHost literalHost;
            literalHost.loadDocumentJson(DocumentWithStyles(text));
            load(text);
            const ObjectRef literalStyle =
                styled ? Item(GetObjectRef(GetObjectRef(literalHost.application(), code::kActiveDocument),
                                        code::kCharacterStyles),
                              u"Phonetics")
                       : nullptr;
            run(format, styled ? style(u"Phonetics") : nullptr);
            test::LiteralAnnotateSelection(test::AttachedState(literalHost.application(), format, literalStyle), dictionary);
            EXPECT_EQ(host.dumpDocumentJson(), literalHost.dumpDocumentJson())
                << "unicode " << format.useUnicode << " styled " << styled;
        }
    }
}

// ---------------------------------------------------------------------------
// Host calls.

TEST_F(Annotation, FewHostCallsPerWord) {
    host.loadDocumentFile(test::ToProgramPath(std::filesystem::path(SONOTAG_FIXTURES) / "standin" /
                                              "thirty-words.json"));
    for (const char16_t* line : {u"The||T[", u"quick||kwik", u"brown||braun", u"fox||fCks", u"dog||dCg"}) {
        dictionary.addLine(line);
    }
    host.resetCallCounts();
    run(settings::AnnotationSettings());
    const std::u16string text = host.storyText(0);
    // Count what the run did from the result: annotated words and the
    // characters it formatted.
    std::int64_t formatted = 0;
    for (const FormattedRun& run : test::FormattedRuns(host)) formatted += static_cast<std::int64_t>(run.length);
    const std::int64_t annotated = host.undoStepCount() - formatted;
    const std::int64_t words = 30;
    ASSERT_GT(annotated, 0);
    const std::int64_t bound = 8 /* undo level, selection */ + 10 * annotated + 2 * formatted + 2 * (words - annotated);
    EXPECT_LE(host.totalCalls(), bound) << "annotated " << annotated << ", formatted " << formatted;
}

TEST_F(Annotation, WordThatDoesNotGrowIsNotFormatted) {
    // A host that does not extend the word over the inserted text: the
    // window, placed after the word, lies outside it.
    load("apple");
    const ObjectRef application = test::Intercept(
        host.application(), [](DispatchId id, InvokeKind kind, std::span<const Value>) -> std::optional<Value> {
            if (id == code::kContents && kind == InvokeKind::Put) return Value();  // dropped
            return std::nullopt;
        });
    run(application);
    expectCompletedOnce();
    EXPECT_TRUE(test::FormattedRuns(host).empty());
    EXPECT_EQ(host.callCount(code::kAppliedFont), 0);
}

TEST_F(Annotation, WordWhoseTextIsNotTextIsSkipped) {
    load("apple book");
    const ObjectRef application = test::Intercept(
        host.application(), [](DispatchId id, InvokeKind kind, std::span<const Value>) -> std::optional<Value> {
            if (id == code::kContents && kind == InvokeKind::Get) return Value(7);
            return std::nullopt;
        });
    run(application);
    expectCompletedOnce();
    EXPECT_EQ(test::StoryUtf8(host), "apple book");
}

TEST_F(Annotation, HistoryThatIsNotAnArrayIsLevelMinusOne) {
    load("apple");
    const ObjectRef application = test::Intercept(
        host.application(), [](DispatchId id, InvokeKind, std::span<const Value>) -> std::optional<Value> {
            if (id == code::kUndoHistory) return Value();
            return std::nullopt;
        });
    EXPECT_EQ(QueryUndoLevel(application), -1);
    EXPECT_EQ(QueryUndoLevel(host.application()), -1);  // the stand-in's empty history
    run(settings::AnnotationSettings());
    EXPECT_EQ(QueryUndoLevel(host.application()), 6);  // one insertion and six fonts
}

TEST_F(Annotation, SelectionThatIsNotAnObject) {
    load("apple");
    for (const Value& answer : {Value(), Value(u"text"), Value(ObjectRef())}) {
        const ObjectRef application = test::Intercept(
            host.application(), [&](DispatchId id, InvokeKind, std::span<const Value>) -> std::optional<Value> {
                if (id == code::kSelection) return answer;
                return std::nullopt;
            });
        run(application);
        const HResult expected = answer.type() == ValueType::Text ? kTypeMismatch : kInvalidPointer;
        EXPECT_EQ(test::ReportOf(outcome), FormatErrorReport(AutomationError(expected)));
    }
    EXPECT_EQ(test::StoryUtf8(host), "apple");
}

// ---------------------------------------------------------------------------
// Failures.

TEST_F(Annotation, NoHostAttachedReportsAnInvalidPointer) {
    run(ObjectRef());
    EXPECT_EQ(test::ReportOf(outcome),
              u"发生错误:(null),原因:" + AutomationError(kInvalidPointer).message() + u",描述:(null)!");
    EXPECT_EQ(undoMark, kInitialUndoMark);
}

TEST_F(Annotation, NoActiveDocumentReportsTheHostsErrorAndKeepsTheMark) {
    undoMark = 3;
    run(settings::AnnotationSettings());
    EXPECT_NE(test::ReportOf(outcome).find(standin::kErrorSource), std::u16string::npos);
    EXPECT_EQ(undoMark, 3);
}

}  // namespace
}  // namespace sonotag
