// The document file: what loads dumps back the same, and every malformed
// input is refused with the place and the problem, keeping the open document.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>

#include "tests/standin/StandInTesting.h"
#include "tests/support/CaseName.h"
#include "tests/support/StandInDocument.h"
#include "tests/support/TestFiles.h"

namespace sonotag::standin::test {
namespace {

using sonotag::test::FormattedRun;

struct RoundTripCase {
    const char* name;
    std::string file;   // a fixture, or written to a scratch file when `bytes` is given
    std::optional<std::string> bytes;
    std::u16string text;  // the beginning of the first story
    std::int32_t words;   // selected words; -1: no story
    std::vector<FormattedRun> runs;
};

class RoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(RoundTrip, LoadsAndDumpsBackTheSame) {
    const RoundTripCase& c = GetParam();
    sonotag::test::ScratchFolder folder;
    StandInHost host;
    host.loadDocumentFile(c.bytes ? folder.write(c.file, *c.bytes) : FixtureProgramPath(c.file));
    if (c.words >= 0) {
        EXPECT_TRUE(host.storyText(0).starts_with(c.text));
        EXPECT_EQ(host::GetInteger(SelectedWords(host), host::code::kCount), c.words);
        EXPECT_EQ(sonotag::test::FormattedRuns(host), c.runs);
    }
    if (!c.bytes) {  // a fixture is in the dump's own form
        std::ifstream in(FixturePath(c.file), std::ios::binary);
        EXPECT_EQ(host.dumpDocumentJson(), std::string(std::istreambuf_iterator<char>(in), {}));
    }
    host.saveDocumentFile(folder.write("saved.json", "old contents"));
    StandInHost again;
    again.loadDocumentFile(folder.programPath("saved.json"));
    EXPECT_EQ(again.dumpDocumentJson(), host.dumpDocumentJson());
}

INSTANTIATE_TEST_SUITE_P(
    DocumentFile, RoundTrip,
    ::testing::Values(
        RoundTripCase{"Lesson", "lesson.json", {}, u"Tom has", 16,
                      {{0, 3, "Times New Roman", ""}, {42, 5, "", ":Group:Phonetics2"}}},
        RoundTripCase{"RunsMergedAndOrdered", "runs.json",
                      R"({"characterStyles": [":G:H:", ":S", ":K:L:M"], "stories": [{"text": "ab中文\tfgh",
                          "runs": [{"start": 6, "length": 2, "font": "F", "characterStyle": ":S"},
                          {"start": 2, "length": 1, "font": "F"}, {"start": 0, "length": 2, "font": "F"},
                          {"start": 4, "length": 2, "font": "F", "characterStyle": ":S"}]}, {"text": "\r\n"}],
                          "selection": {"stories": [1, 0]}, "undoHistory": ["Typing", "Apply Font"]})",
                      u"ab中文\tfgh", 0, {{0, 3, "F", ""}, {4, 4, "F", ":S"}}},
        RoundTripCase{"EmptyObject", "empty.json", "{}", {}, -1, {}},
        RoundTripCase{"PlainTextWithByteOrderMark", "lesson.TXT", "\xEF\xBB\xBF" "apple pie\r\n中文",
                      u"apple pie\r\n中文", 3, {}},
        RoundTripCase{"EmptyPlainText", "empty.txt", "", u"", 0, {}}),
    sonotag::test::CaseName());

struct MalformedCase {
    const char* name;
    std::string file;
    std::optional<std::string> bytes;  // nothing: the file is missing
    std::string problem;
};

class Malformed : public ::testing::TestWithParam<MalformedCase> {};

TEST_P(Malformed, IsRefusedWithThePlaceAndTheProblem) {
    sonotag::test::ScratchFolder folder;
    StandInHost host;
    host.loadPlainText(u"kept");
    const MalformedCase& c = GetParam();
    const auto path = c.bytes ? folder.write(c.file, *c.bytes) : folder.programPath(c.file);
    try {
        host.loadDocumentFile(path);
        FAIL() << "loaded";
    } catch (const std::runtime_error& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find(c.file + "\""), std::string::npos) << message;
        EXPECT_NE(message.find(c.problem), std::string::npos) << message;
    }
    EXPECT_EQ(host.storyText(0), u"kept");
}

std::string Run(const std::string& members, const std::string& text = "ab") {
    return R"({"characterStyles": [":G:"], "stories": [{"text": ")" + text + R"(", "runs": [{)" + members + "}]}]}";
}
std::string Selection(const std::string& selection) { return R"({"stories": [{"text": ""}], "selection": )" + selection + "}"; }

INSTANTIATE_TEST_SUITE_P(
    DocumentFile, Malformed,
    ::testing::Values(
        MalformedCase{"Missing", "missing.json", std::nullopt, "cannot open the document file"},
        MalformedCase{"LoneContinuation", "a.txt", "ab\x80", "not valid UTF-8 at byte 2"},
        MalformedCase{"OverlongThreeBytes", "a.txt", "\xE0\x80\xAF", "not valid UTF-8 at byte 0"},
        MalformedCase{"Surrogate", "a.txt", "xy\xED\xA0\x80", "not valid UTF-8 at byte 2"},
        MalformedCase{"PastUnicode", "a.txt", "\xF4\x90\x80\x80", "not valid UTF-8 at byte 0"},
        MalformedCase{"Truncated", "a.txt", "abc\xE4\xB8", "not valid UTF-8 at byte 3"},
        MalformedCase{"BadThirdByte", "a.txt", "\xE4\xB8(", "not valid UTF-8 at byte 0"},
        MalformedCase{"AfterByteOrderMark", "a.txt", "\xEF\xBB\xBF\xFF", "not valid UTF-8 at byte 0"},
        MalformedCase{"Syntax", "a.json", R"({"stories": [})", "not valid JSON (parse error at line 1, column 14"},
        MalformedCase{"Duplicate", "a.json", R"({"stories": [], "stories": []})", "\"stories\" is given twice"},
        MalformedCase{"NotAnObject", "a.json", "[]", "the document: must be an object, not an array"},
        MalformedCase{"UnknownMember", "a.json", R"({"story": []})", "the document: has an unknown member \"story\""},
        MalformedCase{"StyleNoColon", "a.json", R"({"characterStyles": ["A"]})", "[0]: style path \"A\" does not begin"},
        MalformedCase{"StyleEmpty", "a.json", R"({"characterStyles": [":"]})", "has an empty style name"},
        MalformedCase{"StyleTwice", "a.json", R"({"characterStyles": [":A", ":A"]})", "[1]: style path \":A\" is listed twice"},
        MalformedCase{"GroupTwice", "a.json", R"({"characterStyles": [":G:H", ":G:"]})", "names a group that is already there"},
        MalformedCase{"EmptyGroup", "a.json", R"({"characterStyles": [":G::A"]})", "\":G::A\" has an empty group name"},
        MalformedCase{"StoriesObject", "a.json", R"({"stories": {}})", "stories: must be an array, not an object"},
        MalformedCase{"NoText", "a.json", R"({"stories": [{}]})", "stories[0]: has no \"text\""},
        MalformedCase{"TextNull", "a.json", R"({"stories": [{"text": null}]})", "stories[0].text: must be text, not null"},
        MalformedCase{"NoStart", "a.json", Run(R"("length": 1, "font": "F")"), "runs[0]: has no \"start\""},
        MalformedCase{"StartFraction", "a.json", Run(R"("start": 1.5, "length": 1, "font": "F")"), "a number with a fraction"},
        MalformedCase{"StartNegative", "a.json", Run(R"("start": -1, "length": 1, "font": "F")"), "start: -1 lies outside"},
        MalformedCase{"StartAtEnd", "a.json", Run(R"("start": 2, "length": 1, "font": "F")"), "start: 2 lies outside"},
        MalformedCase{"StartHuge", "a.json", Run(R"("start": 99999999999, "length": 1, "font": "F")"), "start: is too large"},
        MalformedCase{"ZeroLength", "a.json", Run(R"("start": 0, "length": 0, "font": "F")"), "length: must be at least 1"},
        MalformedCase{"PastEnd", "a.json", Run(R"("start": 1, "length": 2, "font": "F")"), "the run ends at 3, after the text's end at 2"},
        MalformedCase{"EmptyFont", "a.json", Run(R"("start": 0, "length": 1, "font": "")"), "font: must not be empty"},
        MalformedCase{"StyleIsGroup", "a.json", Run(R"("start": 0, "length": 1, "characterStyle": ":G:")"), "is not in characterStyles"},
        MalformedCase{"SetsNothing", "a.json", Run(R"("start": 0, "length": 1)"), "sets neither \"font\" nor"},
        MalformedCase{"Overlap", "a.json",
                      R"({"stories": [{"text": "abcd", "runs": [{"start": 0, "length": 3, "font": "F"},
                          {"start": 2, "length": 2, "font": "G"}]}]})", "runs[1]: overlaps run 0 at position 2"},
        MalformedCase{"SelectionEmpty", "a.json", Selection("{}"), "must have either \"story\" or \"stories\""},
        MalformedCase{"SelectionBoth", "a.json", Selection(R"({"story": 0, "stories": [0]})"), "must have either"},
        MalformedCase{"StoryPastEnd", "a.json", Selection(R"({"story": 1})"), "story 1 does not exist (the document has 1 story)"},
        MalformedCase{"StoryNegative", "a.json", R"({"selection": {"story": -1}})", "story -1 does not exist (the document has 0 stories)"},
        MalformedCase{"StoryTwice", "a.json", Selection(R"({"stories": [0, 0]})"), "selection: story 0 is selected twice"},
        MalformedCase{"HistoryEntry", "a.json", R"({"undoHistory": ["Typing", 2]})", "undoHistory[1]: must be text"}),
    sonotag::test::CaseName());

}  // namespace
}  // namespace sonotag::standin::test
