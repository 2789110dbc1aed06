#include "cli/Commands.h"

#include <sstream>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "cli/CommandLine.h"
#include "base/Utf.h"
#include "tests/support/TestFiles.h"

namespace sonotag::cli {
namespace {

TEST(CommandLine, ParsesAnnotateOptions) {
    const Command parsed = ParseCommandLine({"annotate", "--notation", "kingsoft13", "--separator=", "--left", "[",
                                             "--right=]", "--character-style", ":G:S", "--json", "--stats", "--skip", "s.txt",
                                             "--exact", "in.json"});
    const auto* command = std::get_if<AnnotateCommand>(&parsed);
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(command->notation, Notation::Kingsoft13);
    EXPECT_EQ(command->separator, "");
    EXPECT_EQ(command->leftSymbol, "[");
    EXPECT_EQ(command->rightSymbol, "]");
    EXPECT_EQ(command->characterStyle, ":G:S");
    EXPECT_TRUE(command->json);
    EXPECT_TRUE(command->stats);
    EXPECT_EQ(command->skipList, "s.txt");
    EXPECT_TRUE(command->exact);
    EXPECT_EQ(command->input, "in.json");
    EXPECT_FALSE(command->config);

    const Command package = ParseCommandLine({"annotate", "--story", "u1", "--story=u2", "--output", "o.idml", "i.idml"});
    ASSERT_TRUE(std::holds_alternative<AnnotateCommand>(package));
    EXPECT_EQ(std::get<AnnotateCommand>(package).stories, (std::vector<std::string>{"u1", "u2"}));
    EXPECT_EQ(std::get<AnnotateCommand>(package).output, "o.idml");
}

TEST(CommandLine, RejectsWhatItDoesNotKnow) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"translate"},
        {"lookup"},
        {"lookup", "--notation", "ipa", "word"},
        {"lookup", "--dictionary"},
        {"annotate", "--json=yes"},
        {"annotate", "--unknown", "x"},
        {"annotate", "a.txt", "b.txt"},
    };
    for (const auto& arguments : bad) {
        EXPECT_TRUE(std::holds_alternative<UsageError>(ParseCommandLine(arguments))) << ::testing::PrintToString(arguments);
    }
    const Command dash = ParseCommandLine({"annotate", "--separator", "--", "-"});
    ASSERT_TRUE(std::holds_alternative<AnnotateCommand>(dash));
    EXPECT_EQ(std::get<AnnotateCommand>(dash).separator, "--");
    EXPECT_EQ(std::get<AnnotateCommand>(dash).input, "-");
}

class Annotate : public ::testing::Test {
protected:
    void SetUp() override {
        command.dictionary = Utf16ToUtf8(folder.write("dictionary.txt", "apple||5Apl\r\nbook||buk\r\nThe||T[\r\n"));
    }

    int run(const std::string& input = {}) {
        std::istringstream in(input);
        return RunAnnotate(command, in, out, err);
    }

    std::string write(const std::string& name, const std::string& bytes) {
        return Utf16ToUtf8(folder.write(name, bytes));
    }

    test::ScratchFolder folder;
    AnnotateCommand command;
    std::ostringstream out, err;
};

TEST_F(Annotate, TextFromStandardInputWithTheDefaults) {
    EXPECT_EQ(run("The apple and the book"), kSucceeded);
    EXPECT_EQ(out.str(), "The \\ðə\\ apple \\ˈæpl\\ and the book \\bʊk\\\n");
    EXPECT_EQ(err.str(), "");
}

TEST_F(Annotate, OptionsChooseNotationAndSymbols) {
    command.notation = Notation::Kingsoft14;
    command.separator = "";
    command.leftSymbol = "[";
    command.rightSymbol = "]";
    EXPECT_EQ(run("book"), kSucceeded);
    EXPECT_EQ(out.str(), "book[bJk]\n");
}

TEST_F(Annotate, JsonDocumentKeepsItsSelectionAndDumps) {
    command.input = write("lesson.json", R"({"characterStyles": [":[无]", ":Phonetics"],
        "stories": [{"text": "apple"}, {"text": "book"}], "selection": {"story": 1}, "undoHistory": []})");
    command.json = true;
    command.characterStyle = ":Phonetics";
    ASSERT_EQ(run(), kSucceeded) << err.str();
    const nlohmann::json dump = nlohmann::json::parse(out.str());
    EXPECT_EQ(dump["stories"][0]["text"], "apple");
    EXPECT_EQ(dump["stories"][1]["text"], "book \\bʊk\\");
    EXPECT_EQ(dump["stories"][1]["runs"][0]["characterStyle"], ":Phonetics");
}

TEST_F(Annotate, ConfigFileGivesTheSettingsAndOptionsWin) {
    command.input = write("lesson.json", R"({"characterStyles": [":[无]", ":G:Phonetics"],
        "stories": [{"text": "apple book"}], "selection": {"story": 0}, "undoHistory": []})");
    command.config = write("config.ini",
                           "[COM]\r\nCHARSTYLE=:G:Phonetics\r\nFGF=T\r\nSYML=(\r\nSYMR=)\r\nYBVER=1\r\nUNICODE=0\r\n");
    command.json = true;
    ASSERT_EQ(run(), kSucceeded) << err.str();
    nlohmann::json dump = nlohmann::json::parse(out.str());
    EXPECT_EQ(dump["stories"][0]["text"], "apple\t(5Apl) book\t(buk)");
    EXPECT_EQ(dump["stories"][0]["runs"][0]["characterStyle"], ":G:Phonetics");
    EXPECT_EQ(dump["stories"][0]["runs"][0]["start"], 7);

    out.str("");
    command.json = false;
    command.separator = " ";
    command.notation = Notation::Unicode;
    ASSERT_EQ(run(), kSucceeded) << err.str();
    EXPECT_EQ(out.str(), "apple (ˈæpl) book (bʊk)\n");
}

// Loose unless --exact or LOOSE=0 says otherwise; the skip list in both.
TEST_F(Annotate, LookUpLooselyOrExactlyAndSkipTheListedWords) {
    command.skipList = write("skip.txt", "book\r\n");
    const std::string text = "Apple, book. The book";
    ASSERT_EQ(run(text), kSucceeded) << err.str();
    EXPECT_EQ(out.str(), "Apple \\ˈæpl\\, book. The \\ðə\\ book\n");
    for (const bool exactOption : {true, false}) {
        out.str("");
        command.exact = exactOption;
        if (!exactOption) command.config = write("config.ini", "[COM]\r\nLOOSE=0\r\n");
        ASSERT_EQ(run(text), kSucceeded) << err.str();
        EXPECT_EQ(out.str(), "Apple, book. The \\ðə\\ book\n");
    }
    command.skipList = Utf16ToUtf8(folder.programPath("absent-skip.txt"));
    EXPECT_EQ(run(text), kBadInput);
    EXPECT_NE(err.str().find("absent-skip.txt"), std::string::npos);
}

TEST_F(Annotate, StatisticsCountHostCallsPerWord) {
    command.stats = true;
    EXPECT_EQ(run("apple pear book"), kSucceeded);
    EXPECT_NE(err.str().find("words: 3, host calls: "), std::string::npos) << err.str();
    EXPECT_NE(err.str().find("  pcnt: 5 "), std::string::npos) << err.str();  // 3 reads, 2 insertions
}

TEST_F(Annotate, BadInputExitsWithAClearMessage) {
    struct Case {
        std::string input;
        std::optional<std::string> style;
        std::string message;
    };
    const Case cases[] = {
        {write("bad.json", "{\"stories\": 3}"), std::nullopt, "stories"},
        {write("bad.txt", "caf\xE9\n"), std::nullopt, "not UTF-8"},
        {Utf16ToUtf8(folder.programPath("missing.txt")), std::nullopt, "cannot open"},
        {write("ok.txt", "apple"), ":Missing", "no character style :Missing"},
    };
    for (const Case& c : cases) {
        command.input = c.input;
        command.characterStyle = c.style;
        err.str("");
        EXPECT_EQ(run(), kBadInput) << c.input;
        EXPECT_NE(err.str().find(c.message), std::string::npos) << err.str();
    }
    command.input = "-";
    command.characterStyle.reset();
    command.dictionary = Utf16ToUtf8(folder.programPath("absent-dictionary.txt"));
    err.str("");
    EXPECT_EQ(run("apple"), kBadInput);
    EXPECT_NE(err.str().find("absent-dictionary.txt"), std::string::npos);
    EXPECT_EQ(out.str(), "");
}

TEST(Lookup, PrintsEachWordInTheNotation) {
    test::ScratchFolder folder;
    LookupCommand command;
    command.dictionary = Utf16ToUtf8(folder.write("d.txt", "sit||sit\r\n"));
    command.notation = Notation::Kingsoft14;
    command.words = {"sit", "stand"};
    std::ostringstream out, err;
    EXPECT_EQ(RunLookup(command, out, err), kSucceeded);
    EXPECT_EQ(out.str(), "sit\tsIt\nstand\t\n");
}

}  // namespace
}  // namespace sonotag::cli
