// The document file: round trips, and malformed input refused with a clear error.

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "model/Document.h"
#include "model/StyleTree.h"
#include "tests/standin/StandInTesting.h"
#include "tests/support/StandInDocument.h"
#include "tests/support/TestFiles.h"

namespace sonotag::model::test { namespace {

using namespace standin;
using namespace standin::test;

using sonotag::test::FormattedRun;

// What loads dumps back the same, saved and loaded again too; a fixture is in the dump's own form.
TEST(DocumentFile, RoundTrips) {
    // A fixture, or a scratch file of the bytes given; the words selected and the runs read.
    const std::tuple<std::string, std::optional<std::string>, std::int32_t, std::vector<FormattedRun>> cases[] = {
        {"lesson.json", {}, 16, {{0, 3, "Times New Roman", ""}, {42, 5, "", ":Group:Phonetics2"}}},
        {"runs.json",
         R"({"characterStyles": [":G:H:", ":S", ":K:L:M"], "stories": [{"text": "ab中文\tfgh",
             "runs": [{"start": 6, "length": 2, "font": "F", "characterStyle": ":S"}, {"start": 2, "length": 1, "font": "F"},
             {"start": 0, "length": 2, "font": "F"}, {"start": 4, "length": 2, "font": "F", "characterStyle": ":S"}]},
             {"text": "\r\n"}], "selection": {"stories": [1, 0]}, "undoHistory": ["Typing", "Apply Font"]})",
         0,
         {{0, 3, "F", ""}, {4, 4, "F", ":S"}}},  // runs merged and ordered
        {"lesson.TXT",
         "\xEF\xBB\xBF"
         "apple pie\r\n中文",
         3,
         {}},
    };
    for (const auto& [file, bytes, words, runs] : cases) {
        sonotag::test::ScratchFolder folder;
        StandInHost host;
        host.loadDocumentFile(bytes ? folder.write(file, *bytes) : FixtureProgramPath(file));
        EXPECT_EQ(host::GetInteger(SelectedWords(host), code::kCount), words) << file;
        EXPECT_EQ(sonotag::test::FormattedRuns(host), runs) << file;
        EXPECT_TRUE(bytes || host.dumpDocumentJson() == sonotag::test::FileBytes(FixturePath(file))) << file;
        host.saveDocumentFile(folder.write("saved.json", "old contents"));
        StandInHost again;
        again.loadDocumentFile(folder.programPath("saved.json"));
        EXPECT_EQ(again.dumpDocumentJson(), host.dumpDocumentJson()) << file;
    }
}

std::string WithRun(const std::string& members, const std::string& text = "ab") {
    return R"({"characterStyles": [":G:"], "stories": [{"text": ")" + text + R"(", "runs": [{)" + members + "}]}]}";
}
std::string Selection(const std::string& selection) { return R"({"stories": [{"text": ""}], "selection": )" + selection + "}"; }

// Refused with the file, the place and the problem; the open document is kept.
TEST(DocumentFile, MalformedInputIsRefused) {
    const std::tuple<std::string, std::optional<std::string>, std::string> cases[] = {
        // file, bytes (none: missing), problem
        {"missing.json", std::nullopt, "cannot open the document file"},
        {"a.txt", "ab\x80", "not valid UTF-8 at byte 2"},
        {"a.txt", "\xE0\x80\xAF", "not valid UTF-8 at byte 0"},
        {"a.txt", "xy\xED\xA0\x80", "not valid UTF-8 at byte 2"},
        {"a.json", R"({"stories": [})", "not valid JSON (parse error at line 1, column 14"},
        {"a.json", R"({"characterStyles": ["A"]})", "[0]: style path \"A\" does not begin"},
        {"a.json", R"({"characterStyles": [":G:H", ":G:"]})", "names a group that is already there"},
        {"a.json", R"({"characterStyles": [":G::A"]})", "\":G::A\" has an empty group name"},
        {"a.json", WithRun(R"("start": 2, "length": 1, "font": "F")"), "start: 2 lies outside"},
        {"a.json", WithRun(R"("start": 1, "length": 2, "font": "F")"), "the run ends at 3, after the text's end at 2"},
        {"a.json", WithRun(R"("start": 0, "length": 1, "characterStyle": ":G:")"), "is not in characterStyles"},
        {"a.json", Selection(R"({"story": 0, "stories": [0]})"), "must have either"},
    };
    for (const auto& [file, bytes, problem] : cases) {
        sonotag::test::ScratchFolder folder;
        StandInHost host;
        host.loadPlainText(u"kept");
        try {
            host.loadDocumentFile(bytes ? folder.write(file, *bytes) : folder.programPath(file));
            ADD_FAILURE() << problem;
        } catch (const std::runtime_error& error) {
            const std::string message = error.what();
            EXPECT_NE(message.find(file + "\""), std::string::npos) << message;
            EXPECT_NE(message.find(problem), std::string::npos) << message;
        }
        EXPECT_EQ(host.storyText(0), u"kept");
    }
}

// A tree lists each container's styles before its groups, an empty group as
// its own path and never the root; the list builds the same tree again.
TEST(StyleTree, ListsEveryPathThatBuildsItAgain) {
    const std::pair<std::vector<std::u16string>, std::vector<std::u16string>> cases[] = {
        {{}, {}},
        {{u":E:"}, {u":E:"}},
        {{u":G:H:", u":S", u":K:L:M"}, {u":S", u":G:H:", u":K:L:M"}},
        {{u":G:A", u":G:E:", u":B", u":G:C"}, {u":B", u":G:A", u":G:C", u":G:E:"}},
    };
    for (const auto& [added, listed] : cases) {
        StyleTree tree;
        for (const auto& path : added) tree.add(path);
        EXPECT_EQ(tree.paths(), listed);
        StyleTree again;
        for (const auto& path : tree.paths()) again.add(path);
        EXPECT_EQ(again.paths(), listed);
    }
}

// The model refuses a selection of stories it does not have, or of one twice, whoever asks for it.
TEST(DocumentFile, SelectionOfAbsentOrRepeatedStoriesIsRefused) {
    const std::tuple<int, std::vector<std::int32_t>, std::string> cases[] = {
        {1, {1}, "story 1 does not exist (the document has 1 story)"},
        {2, {-1}, "story -1 does not exist (the document has 2 stories)"},
        {2, {1, 0, 1}, "story 1 is selected twice"},
    };
    for (const auto& [stories, selection, problem] : cases) {
        Document document;
        for (int k = 0; k < stories; ++k) document.addStory(u"a", {CharFormat{}});
        try {
            document.select(selection);
            ADD_FAILURE() << problem;
        } catch (const std::invalid_argument& error) { EXPECT_EQ(std::string(error.what()), problem); }
        EXPECT_TRUE(document.selection().empty());
    }
}

// A save that cannot complete throws and leaves neither a partial file nor a changed target.
TEST(DocumentFile, FailedSaveLeavesNothingBehind) {
    sonotag::test::ScratchFolder folder;
    std::filesystem::create_directories(folder.path() / "taken" / "inner");
    StandInHost host;
    host.loadPlainText(u"apple");
    for (const char* name : {"taken", "absent/saved.json"}) {
        EXPECT_THROW(host.saveDocumentFile(folder.programPath(name)), std::runtime_error) << name;
        EXPECT_FALSE(std::filesystem::exists(folder.path() / (std::string(name) + ".partial"))) << name;
    }
    EXPECT_TRUE(std::filesystem::is_directory(folder.path() / "taken" / "inner"));
}

}}  // namespace sonotag::model::test
