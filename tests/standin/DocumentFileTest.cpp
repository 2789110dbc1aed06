// The document file: loading validates everything and names the problem,
// dumping is deterministic, and a failed load keeps the document it had.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>

#include "tests/standin/StandInTesting.h"
#include "tests/support/CaseName.h"
#include "tests/support/TestFiles.h"

namespace sonotag::standin::test {
namespace {

std::string ReadFixture(const std::string& name) {
    std::ifstream in(FixturePath(name), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string LoadError(StandInHost& host, std::string_view json) {
    try {
        host.loadDocumentJson(json);
    } catch (const std::runtime_error& error) {
        return error.what();
    }
    return "(loaded)";
}

TEST(DocumentFile, FixturesAreInTheDumpsOwnForm) {
    for (const char* name : {"lesson.json", "thirty-words.json"}) {
        StandInHost host;
        host.loadDocumentFile(FixtureProgramPath(name));
        EXPECT_EQ(host.dumpDocumentJson(), ReadFixture(name)) << name;
    }
}

TEST(DocumentFile, ThirtyWordsHasThirtyWords) {
    StandInHost host;
    host.loadDocumentFile(FixtureProgramPath("thirty-words.json"));
    EXPECT_EQ(host::GetInteger(SelectedWords(host), kCount), 30);
}

TEST(DocumentFile, RunsAreMergedAndOrderedOnDump) {
    StandInHost host;
    host.loadDocumentJson(R"({"characterStyles": [":S"],
        "stories": [{"text": "abcdefgh", "runs": [
            {"start": 6, "length": 2, "font": "F", "characterStyle": ":S"},
            {"start": 2, "length": 1, "font": "F"},
            {"start": 0, "length": 2, "font": "F"},
            {"start": 4, "length": 2, "font": "F", "characterStyle": ":S"}]}]})");
    EXPECT_EQ(host.dumpDocumentJson(), R"({
  "characterStyles": [
    ":[无]",
    ":S"
  ],
  "stories": [
    {
      "text": "abcdefgh",
      "runs": [
        {
          "start": 0,
          "length": 3,
          "font": "F"
        },
        {
          "start": 4,
          "length": 4,
          "font": "F",
          "characterStyle": ":S"
        }
      ]
    }
  ],
  "selection": null,
  "undoHistory": []
}
)");
}

TEST(DocumentFile, RoundTripKeepsEverything) {
    const std::string json = R"({"characterStyles": [":A", ":G:H:", ":[无]", ":G:B", ":K:L:M"],
        "stories": [{"text": "中文 \t x—y", "runs": [{"start": 1, "length": 3, "characterStyle": ":K:L:M"}]},
                    {"text": ""}, {"text": "\r\n", "runs": [{"start": 0, "length": 2, "font": "KPP Edition 2008教师节"}]}],
        "selection": {"stories": [2, 0]}, "undoHistory": ["Typing", "Apply Font"]})";
    StandInHost first;
    first.loadDocumentJson(json);
    StandInHost second;
    second.loadDocumentJson(first.dumpDocumentJson());
    EXPECT_EQ(second.dumpDocumentJson(), first.dumpDocumentJson());
    EXPECT_EQ(first.storyText(0), u"中文 \t x—y");
    EXPECT_NE(first.dumpDocumentJson().find(R"("stories": [
      2,
      0
    ])"),
              std::string::npos);
}

TEST(DocumentFile, SavedFileLoadsBackAndReplacesTheOldOne) {
    sonotag::test::ScratchFolder folder;
    const auto path = folder.write("saved.json", "old contents");
    StandInHost host;
    host.loadDocumentFile(FixtureProgramPath("lesson.json"));
    AppendToWord(host::Item(SelectedWords(host), 1), u" [tɒm]");
    host.saveDocumentFile(path);
    StandInHost again;
    again.loadDocumentFile(path);
    EXPECT_EQ(again.dumpDocumentJson(), host.dumpDocumentJson());
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "saved.json.partial"));
}

TEST(DocumentFile, PlainTextLoadsAsOneSelectedStory) {
    sonotag::test::ScratchFolder folder;
    StandInHost host;
    host.loadDocumentFile(folder.write("lesson.TXT",
                                       "\xEF\xBB\xBF"
                                       "apple pie\r\n中文"));
    EXPECT_EQ(host.storyText(0), u"apple pie\r\n中文");
    EXPECT_EQ(host::GetInteger(SelectedWords(host), kCount), 3);
    host.loadDocumentFile(folder.write("empty.txt", ""));
    EXPECT_EQ(host.storyText(0), u"");
    EXPECT_EQ(host::GetInteger(SelectedWords(host), kCount), 0);
}

struct BadTextCase {
    const char* name;
    std::string bytes;
    std::string problem;
};

class BadPlainText : public ::testing::TestWithParam<BadTextCase> {};

TEST_P(BadPlainText, IsRefusedAndTheDocumentKept) {
    sonotag::test::ScratchFolder folder;
    StandInHost host;
    host.loadPlainText(u"kept");
    const auto path = folder.write("bad.txt", GetParam().bytes);
    try {
        host.loadDocumentFile(path);
        FAIL() << "loaded";
    } catch (const std::runtime_error& error) {
        const std::string message = error.what();
        EXPECT_NE(message.find("bad.txt\": " + GetParam().problem), std::string::npos) << message;
    }
    EXPECT_EQ(host.storyText(0), u"kept");
}

INSTANTIATE_TEST_SUITE_P(
    DocumentFile, BadPlainText,
    ::testing::Values(BadTextCase{"LoneContinuation", "ab\x80", "not valid UTF-8 at byte 2"},
                      BadTextCase{"Overlong", "a\xC0\xAF", "not valid UTF-8 at byte 1"},
                      BadTextCase{"OverlongThreeBytes", "\xE0\x80\xAF", "not valid UTF-8 at byte 0"},
                      BadTextCase{"Surrogate", "xy\xED\xA0\x80", "not valid UTF-8 at byte 2"},
                      BadTextCase{"PastUnicode", "\xF4\x90\x80\x80", "not valid UTF-8 at byte 0"},
                      BadTextCase{"Truncated", "abc\xE4\xB8", "not valid UTF-8 at byte 3"},
                      BadTextCase{"TruncatedBeforeText", "\xE4\xB8(", "not valid UTF-8 at byte 0"},
                      BadTextCase{"AfterByteOrderMark", "\xEF\xBB\xBF\xFF", "not valid UTF-8 at byte 0"}),
    sonotag::test::CaseName());

TEST(DocumentFile, MissingFileIsNamed) {
    sonotag::test::ScratchFolder folder;
    StandInHost host;
    try {
        host.loadDocumentFile(folder.programPath("missing.json"));
        FAIL() << "loaded";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find("cannot open the document file"), std::string::npos);
        EXPECT_NE(std::string(error.what()).find("missing.json"), std::string::npos);
    }
    EXPECT_FALSE(host.hasDocument());
    EXPECT_THROW(host.dumpDocumentJson(), std::runtime_error);
}

struct BadJsonCase {
    const char* name;
    std::string json;
    std::string message;  // the whole message, or its beginning when it ends in "..."
};

class BadJson : public ::testing::TestWithParam<BadJsonCase> {};

TEST_P(BadJson, IsRefusedWithThePlaceAndTheProblem) {
    StandInHost host;
    host.loadPlainText(u"kept");
    const std::string message = LoadError(host, GetParam().json);
    const std::string& expected = GetParam().message;
    if (expected.ends_with("...")) {
        EXPECT_TRUE(message.starts_with(expected.substr(0, expected.size() - 3))) << message;
    } else {
        EXPECT_EQ(message, expected);
    }
    EXPECT_EQ(host.storyText(0), u"kept");
}

INSTANTIATE_TEST_SUITE_P(
    DocumentFile, BadJson,
    ::testing::Values(
        BadJsonCase{"Syntax", R"({"stories": [})", "not valid JSON (parse error at line 1, column 14..."},
        BadJsonCase{"BadUtf8", "{\"stories\": [{\"text\": \"a\xFF\"}]}", "not valid JSON (parse error..."},
        BadJsonCase{"LoneSurrogateEscape", R"({"stories": [{"text": "\ud800"}]})", "not valid JSON (parse error..."},
        BadJsonCase{"NumberOverflow", R"({"stories": [{"text": "a", "runs": [{"start": 1e999}]}]})",
                    "not valid JSON (number overflow..."},
        BadJsonCase{"DuplicateMember", R"({"stories": [], "stories": []})",
                    "the member \"stories\" is given twice in one object"},
        BadJsonCase{"NotAnObject", "[]", "the document: must be an object, not an array"},
        BadJsonCase{"UnknownMember", R"({"story": []})", "the document: has an unknown member \"story\""},
        BadJsonCase{"StylesNotArray", R"({"characterStyles": ":A"})", "characterStyles: must be an array, not text"},
        BadJsonCase{"StyleNotText", R"({"characterStyles": [":A", 3]})",
                    "characterStyles[1]: must be text, not an integer"},
        BadJsonCase{"StyleWithoutColon", R"({"characterStyles": ["A"]})",
                    "characterStyles[0]: style path \"A\" does not begin with \":\""},
        BadJsonCase{"StyleTwice", R"({"characterStyles": [":A", ":A"]})",
                    "characterStyles[1]: style path \":A\" is listed twice"},
        BadJsonCase{"EmptyGroupName", R"({"characterStyles": [":G::A"]})",
                    "characterStyles[0]: style path \":G::A\" has an empty group name"},
        BadJsonCase{"StoriesNotArray", R"({"stories": {}})", "stories: must be an array, not an object"},
        BadJsonCase{"StoryNotObject", R"({"stories": ["text"]})", "stories[0]: must be an object, not text"},
        BadJsonCase{"StoryWithoutText", R"({"stories": [{}]})", "stories[0]: has no \"text\""},
        BadJsonCase{"StoryUnknownMember", R"({"stories": [{"text": "", "font": "A"}]})",
                    "stories[0]: has an unknown member \"font\""},
        BadJsonCase{"TextNotText", R"({"stories": [{"text": null}]})", "stories[0].text: must be text, not null"},
        BadJsonCase{"RunsNotArray", R"({"stories": [{"text": "ab", "runs": 1}]})",
                    "stories[0].runs: must be an array, not an integer"},
        BadJsonCase{"RunWithoutStart", R"({"stories": [{"text": "ab", "runs": [{"length": 1, "font": "F"}]}]})",
                    "stories[0].runs[0]: has no \"start\""},
        BadJsonCase{"RunWithoutLength", R"({"stories": [{"text": "ab", "runs": [{"start": 1, "font": "F"}]}]})",
                    "stories[0].runs[0]: has no \"length\""},
        BadJsonCase{"StartNotInteger",
                    R"({"stories": [{"text": "ab", "runs": [{"start": 1.5, "length": 1, "font": "F"}]}]})",
                    "stories[0].runs[0].start: must be an integer, not a number with a fraction or exponent"},
        BadJsonCase{"StartAsText",
                    R"({"stories": [{"text": "ab", "runs": [{"start": "1", "length": 1, "font": "F"}]}]})",
                    "stories[0].runs[0].start: must be an integer, not text"},
        BadJsonCase{"NegativeStart",
                    R"({"stories": [{"text": "ab", "runs": [{"start": -1, "length": 1, "font": "F"}]}]})",
                    "stories[0].runs[0].start: -1 lies outside the text (length 2)"},
        BadJsonCase{"StartAtTheEnd",
                    R"({"stories": [{"text": "ab", "runs": [{"start": 2, "length": 1, "font": "F"}]}]})",
                    "stories[0].runs[0].start: 2 lies outside the text (length 2)"},
        BadJsonCase{"HugeStart",
                    R"({"stories": [{"text": "ab", "runs": [{"start": 99999999999, "length": 1, "font": "F"}]}]})",
                    "stories[0].runs[0].start: is too large"},
        BadJsonCase{"ZeroLength", R"({"stories": [{"text": "ab", "runs": [{"start": 0, "length": 0, "font": "F"}]}]})",
                    "stories[0].runs[0].length: must be at least 1"},
        BadJsonCase{"PastTheEnd", R"({"stories": [{"text": "ab", "runs": [{"start": 1, "length": 2, "font": "F"}]}]})",
                    "stories[0].runs[0].length: the run ends at 3, after the text's end at 2"},
        BadJsonCase{"PositionsAreUtf16",
                    R"({"stories": [{"text": "😀", "runs": [{"start": 0, "length": 3, "font": "F"}]}]})",
                    "stories[0].runs[0].length: the run ends at 3, after the text's end at 2"},
        BadJsonCase{"EmptyFont", R"({"stories": [{"text": "ab", "runs": [{"start": 0, "length": 1, "font": ""}]}]})",
                    "stories[0].runs[0].font: must not be empty"},
        BadJsonCase{"FontNotText",
                    R"({"stories": [{"text": "ab", "runs": [{"start": 0, "length": 1, "font": true}]}]})",
                    "stories[0].runs[0].font: must be text, not true or false"},
        BadJsonCase{"UnknownStyle",
                    R"({"stories": [{"text": "ab", "runs": [{"start": 0, "length": 1, "characterStyle": ":B"}]}]})",
                    "stories[0].runs[0].characterStyle: \":B\" is not in characterStyles"},
        BadJsonCase{
            "StyleIsAGroup",
            R"({"characterStyles": [":G:"], "stories": [{"text": "ab", "runs": [{"start": 0, "length": 1, "characterStyle": ":G:"}]}]})",
            "stories[0].runs[0].characterStyle: \":G:\" is not in characterStyles"},
        BadJsonCase{"RunSetsNothing", R"({"stories": [{"text": "ab", "runs": [{"start": 0, "length": 1}]}]})",
                    "stories[0].runs[0]: sets neither \"font\" nor \"characterStyle\""},
        BadJsonCase{"RunUnknownMember",
                    R"({"stories": [{"text": "ab", "runs": [{"start": 0, "length": 1, "size": 9}]}]})",
                    "stories[0].runs[0]: has an unknown member \"size\""},
        BadJsonCase{
            "Overlap",
            R"({"stories": [{"text": "abcd", "runs": [{"start": 0, "length": 3, "font": "F"}, {"start": 2, "length": 2, "font": "G"}]}]})",
            "stories[0].runs[1]: overlaps run 0 at position 2"},
        BadJsonCase{"SelectionNotObject", R"({"stories": [{"text": ""}], "selection": 0})",
                    "selection: must be an object, not an integer"},
        BadJsonCase{"SelectionEmptyObject", R"({"stories": [{"text": ""}], "selection": {}})",
                    "selection: must have either \"story\" or \"stories\""},
        BadJsonCase{"SelectionBoth", R"({"stories": [{"text": ""}], "selection": {"story": 0, "stories": [0]}})",
                    "selection: must have either \"story\" or \"stories\""},
        BadJsonCase{"SelectionUnknownMember", R"({"stories": [{"text": ""}], "selection": {"frame": 0}})",
                    "selection: has an unknown member \"frame\""},
        BadJsonCase{"SelectedStoryMissing", R"({"stories": [{"text": ""}], "selection": {"story": 1}})",
                    "selection.story: story 1 does not exist (the document has 1 story)"},
        BadJsonCase{"SelectedStoryNegative", R"({"selection": {"story": -1}})",
                    "selection.story: story -1 does not exist (the document has 0 stories)"},
        BadJsonCase{"SelectedStoriesNotArray", R"({"stories": [{"text": ""}], "selection": {"stories": 0}})",
                    "selection.stories: must be an array, not an integer"},
        BadJsonCase{"SelectedStoriesBadEntry", R"({"stories": [{"text": ""}], "selection": {"stories": [0, 4]}})",
                    "selection.stories[1]: story 4 does not exist (the document has 1 story)"},
        BadJsonCase{"SelectedStoryTwice", R"({"stories": [{"text": ""}], "selection": {"stories": [0, 0]}})",
                    "selection: story 0 is selected twice"},
        BadJsonCase{"HistoryNotArray", R"({"undoHistory": "Typing"})", "undoHistory: must be an array, not text"},
        BadJsonCase{"HistoryEntryNotText", R"({"undoHistory": ["Typing", 2]})",
                    "undoHistory[1]: must be text, not an integer"}),
    sonotag::test::CaseName());

TEST(DocumentFile, BadFileIsNamedInTheMessage) {
    sonotag::test::ScratchFolder folder;
    StandInHost host;
    const auto path = folder.write("broken.json", R"({"stories": 1})");
    try {
        host.loadDocumentFile(path);
        FAIL() << "loaded";
    } catch (const std::runtime_error& error) {
        EXPECT_TRUE(std::string(error.what()).ends_with("broken.json\": stories: must be an array, not an integer"))
            << error.what();
    }
}

TEST(DocumentFile, EmptyObjectIsAnEmptyDocument) {
    StandInHost host;
    host.loadDocumentJson("{}");
    EXPECT_EQ(host.dumpDocumentJson(), R"({
  "characterStyles": [
    ":[无]"
  ],
  "stories": [],
  "selection": null,
  "undoHistory": []
}
)");
}

}  // namespace
}  // namespace sonotag::standin::test
