#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "cli/Commands.h"
#ifdef SONOTAG_CLI
#include <sys/wait.h>
#endif

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "base/Utf.h"
#include "cli/CommandLine.h"
#include "tests/support/TestFiles.h"

namespace sonotag::cli { namespace {

using namespace sonotag::notation;

#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

TEST(CommandLine, ParsesAnnotateOptions) {
    const Command parsed = ParseCommandLine({"annotate", "--notation", "kingsoft13", "--separator=", "--left", "[",           "--right=]",  "--character-style",
                                             ":G:S",     "--json",     "--stats",    "--skip",       "s.txt",  "--exact",     "--encoding", "CP1252",
                                             "--story",  "u1",         "--story=u2", "--output",     "o.idml", "--fail-call", "7",          "in.json"});
    const auto* c = std::get_if<AnnotateCommand>(&parsed);
    ASSERT_NE(c, nullptr);
    settings::AnnotationSettings s;
    for (const settings::SettingChange& change : c->settingChanges) change(s);
    EXPECT_EQ(s, (settings::AnnotationSettings{settings::kDefaultHostProgId, u":G:S", u"", u"[", u"]", {1, false}, false}));
    EXPECT_EQ(std::tie(c->skipList, c->encoding), std::tuple("s.txt", "CP1252"));
    EXPECT_TRUE(c->json && c->stats && !c->config && c->failCall == 7);
    EXPECT_EQ(std::tie(c->stories, c->output, c->input), std::tuple(std::vector<std::string>{"u1", "u2"}, "o.idml", "in.json"));
    const Command dash = ParseCommandLine({"annotate", "--separator", "--", "--separator=+", "--separator", "*", "-"});
    ASSERT_TRUE(std::holds_alternative<AnnotateCommand>(dash));
    for (const settings::SettingChange& change : std::get<AnnotateCommand>(dash).settingChanges) change(s);
    EXPECT_EQ(std::tie(s.separator, std::get<AnnotateCommand>(dash).input), std::tuple(u"*", "-"));  // the last one wins
    const Command serve = ParseCommandLine({"serve", "--port", "0", "--bind=::1", "--max-size", "4096", "--skip", "s.txt", "--encoding", "CP1252"});
    const auto* served = std::get_if<ServeCommand>(&serve);
    ASSERT_NE(served, nullptr);
    EXPECT_EQ(std::tie(served->port, served->bind, served->maxSizeMb, served->skipList, served->encoding, served->dictionary),
              std::tuple(0, "::1", 4096, "s.txt", "CP1252", std::nullopt));
}

TEST(CommandLine, RejectsWhatItDoesNotKnow) {
    for (const std::vector<std::string>& arguments : std::vector<std::vector<std::string>>{{},
                                                                                           {"translate"},
                                                                                           {"lookup"},
                                                                                           {"lookup", "--notation", "ipa", "word"},
                                                                                           {"lookup", "--dictionary"},
                                                                                           {"annotate", "--json=yes"},
                                                                                           {"annotate", "--unknown", "x"},
                                                                                           {"annotate", "a.txt", "b.txt"},
                                                                                           {"annotate", "--notation=ipa"},
                                                                                           {"annotate", "--encoding"},
                                                                                           {"annotate", "--fail-call", "0"},
                                                                                           {"annotate", "--fail-call=3x"},
                                                                                           {"annotate", "--fail-call", "-1"},
                                                                                           {"serve", "--port", "65536"},
                                                                                           {"serve", "--max-size", "0"},
                                                                                           {"serve", "--max-size", "4097"},
                                                                                           {"serve", "--json"},
                                                                                           {"serve", "lesson.txt"}}) {
        EXPECT_TRUE(std::holds_alternative<UsageError>(ParseCommandLine(arguments))) << ::testing::PrintToString(arguments);
    }
}

class Annotate : public ::testing::Test {
protected:
    void SetUp() override { command.dictionary = write("dictionary.txt", "apple||5Apl\r\nbook||buk\r\nThe||T[\r\n"); }
    int run(const std::string& input = {}) {
        std::istringstream in(input);
        out.str("");
        err.str("");
        return RunAnnotate(command, in, out, err);
    }
    std::string write(const std::string& name, const std::string& bytes) { return Utf16ToUtf8(folder.write(name, bytes)); }

    test::ScratchFolder folder;
    AnnotateCommand command;
    std::ostringstream out, err;
};

TEST_F(Annotate, TextWithTheDefaultsThenOptionsChooseNotationAndSymbolsAndStatistics) {
    EXPECT_EQ(run("The apple and the book"), kSucceeded);
    EXPECT_EQ(out.str(), "The \\ðə\\ apple \\ˈæpl\\ and the book \\bʊk\\\n");
    EXPECT_EQ(err.str(), "");
    command.stats = true;
    EXPECT_EQ(run("apple pear book"), kSucceeded);
    EXPECT_EQ(err.str().rfind("words: 3, annotations: 2, host calls: ", 0), 0u) << err.str();
    // The per-word figures are the counts over the words; with no words, nothing per word.
    for (const auto& [text, words] : {std::pair{"apple pear book", 3}, {"", 0}}) {
        EXPECT_EQ(run(text), kSucceeded);
        long calls = 0;
        double perWord = -1;
        const std::string line = err.str().substr(0, err.str().find('\n'));
        ASSERT_EQ(std::sscanf(line.c_str(), "words: %*d, annotations: %*d, host calls: %ld (%lf per word)", &calls, &perWord), 2) << line;
        EXPECT_NEAR(perWord, words > 0 ? static_cast<double>(calls) / words : 0.0, 0.001) << line;  // printed to six digits
    }
    for (const auto& [option, value] : {std::pair{"notation", "kingsoft14"}, {"separator", ""}, {"left", "["}, {"right", "]"}}) {
        command.settingChanges.push_back(*settings::ChangeOfOption(option, value));
    }
    EXPECT_EQ(run("book"), kSucceeded);
    EXPECT_EQ(out.str(), "book[bJk]\n");
}

// config.ini gives the settings, its style resolved in the document; an option wins.
TEST_F(Annotate, ConfigFileGivesTheSettingsAndJsonDumpsTheDocument) {
    command.input = write("lesson.json", R"({"characterStyles": [":[无]", ":G:Phonetics"],
        "stories": [{"text": "book"}, {"text": "apple book"}], "selection": {"story": 1}, "undoHistory": []})");
    command.config = write("config.ini", "[COM]\r\nCHARSTYLE=:G:Phonetics\r\nFGF=T\r\nSYML=(\r\nSYMR=)\r\nYBVER=1\r\nUNICODE=0\r\n");
    command.json = true;
    command.settingChanges = {*settings::ChangeOfOption("notation", "unicode")};
    ASSERT_EQ(run(), kSucceeded) << err.str();
    const nlohmann::json stories = nlohmann::json::parse(out.str())["stories"];
    EXPECT_EQ(nlohmann::json({stories[0]["text"], stories[1]["text"], stories[1]["runs"][0]["characterStyle"], stories[1]["runs"][0]["start"]}),
              nlohmann::json({"book", "apple\t(ˈæpl) book\t(bʊk)", ":G:Phonetics", 6}));
}

// Loose unless --exact or LOOSE=0 says otherwise; the skip list in both.
TEST_F(Annotate, LookUpLooselyOrExactlyAndSkipTheListedWords) {
    command.skipList = write("skip.txt", "book\r\n");
    command.config = Utf16ToUtf8(folder.programPath("absent.ini"));  // a missing config.ini gives the defaults
    const std::string text = "Apple, book. The book";
    ASSERT_EQ(run(text), kSucceeded) << err.str();
    EXPECT_EQ(out.str(), "Apple \\ˈæpl\\, book. The \\ðə\\ book\n");
    for (const bool exactOption : {true, false}) {
        command.settingChanges.assign(exactOption, *settings::ChangeOfOption("exact", ""));
        if (!exactOption) command.config = write("config.ini", "[COM]\r\nLOOSE=0\r\n");
        ASSERT_EQ(run(text), kSucceeded) << err.str();
        EXPECT_EQ(out.str(), "Apple, book. The \\ðə\\ book\n");
    }
}

// A homograph read by the words around it; the ones the words leave undecided reviewed; off by option or config.
TEST_F(Annotate, HomographsByTheirContext) {
    command.dictionary = write("d.txt", "read||ri:d\r\nI||ai\r\nhave||hAv\r\nit||it\r\n");
    command.homographs = write("h.txt", "# readings\r\n\r\nread|verb|ri:d\r\nread|past|rZd\r\n");
    command.review = true;
    ASSERT_EQ(run("I have\nread it. Read."), kSucceeded) << err.str();  // a wrapped line is one sentence
    EXPECT_EQ(out.str(), "I \\aɪ\\ have \\hæv\\\nread \\red\\ it \\ɪt\\. Read \\riːd\\.\n");
    EXPECT_EQ(err.str(), "undecided: text 1, word 5: Read in \"[Read]\" keeps riːd\n");
    std::string book;  // long enough to be run in pieces, and still named as the one text it is
    for (int k = 0; k < 400; ++k) book += "it. ";
    ASSERT_EQ(run(book + "Read."), kSucceeded) << err.str();
    EXPECT_EQ(err.str(), "undecided: text 1, word 401: Read in \"[Read]\" keeps riːd\n");
    command.review = false;
    for (const bool option : {true, false}) {
        if (option) command.settingChanges = {*settings::ChangeOfOption("no-homographs", "")};
        else command.config = write("config.ini", "[COM]\r\nHOMOGRAPHS=off\r\n"), command.settingChanges.clear();
        ASSERT_EQ(run("I have read it"), kSucceeded) << err.str();
        EXPECT_EQ(out.str(), "I \\aɪ\\ have \\hæv\\ read \\riːd\\ it \\ɪt\\\n");
    }
    command.homographs = Utf16ToUtf8(folder.programPath("absent.txt"));
    EXPECT_EQ(run("read"), kBadInput);
    EXPECT_EQ(err.str(), "sonotag: cannot read the homograph table " + *command.homographs + ": no such file\n");
}

TEST_F(Annotate, BadInputExitsWithAClearMessageAndPrintsNothing) {
    const std::string absent = Utf16ToUtf8(folder.programPath("absent.txt")), here = Utf16ToUtf8(folder.programPath(""));
    const struct {
        std::string input, option, path, message;
    } cases[] = {
        {write("bad.json", "{\"stories\": 3}"), "", "", "stories"},
        {write("bad.txt", "caf\xE9\n"), "", "", "not UTF-8"},
        {absent, "", "", "cannot open"},
        {write("ok.txt", "apple"), "style", "", "no character style :Missing"},
        {"-", "skip", absent, "cannot read the skip list " + absent + ": no such file"},
        {"-", "dictionary", absent, "cannot read the word list " + absent + ": no such file"},
        {"-", "skip", here, "skip list " + here + ": it is a folder"},
        {"-", "dictionary", here, "word list " + here + ": it is a folder"},
        {"-", "config", here, "cannot read the settings file " + here + ": it is a folder"},
        {"-", "output", "", "--output and --story are for packages"},
    };
    const auto dictionary = command.dictionary;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        command = AnnotateCommand();
        command.dictionary = c.option == "dictionary" ? c.path : *dictionary;
        command.input = c.input;
        if (c.option == "style") command.settingChanges = {*settings::ChangeOfOption("character-style", ":Missing")};
        if (c.option == "skip") command.skipList = c.path;
        if (c.option == "config") command.config = c.path;
        if (c.option == "output") command.output = "out.idml";
        EXPECT_EQ(run("apple"), kBadInput);
        const std::string said = err.str();
        EXPECT_NE(said.find(c.message), std::string::npos) << said;
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
        EXPECT_EQ(out.str(), "");
    }
}

// --encoding names the code page of a word list without a byte-order mark.
TEST(Lookup, ReadsTheWordListInTheNamedEncoding) {
    const auto name = [](const char* windows, const char* iconv) { return std::string(kWindows ? windows : iconv); };
    const struct {
        std::string encoding, bytes, word;
    } cases[] = {
        {"", "\xC6\xBB\xB9\xFB||5Apl\r\n", "苹果"},  // the ANSI code page
        {name("1252", "CP1252"), "caf\xE9||5Apl\r\n", "café"},
        {name("932", "CP932"), "\x82\xA0||5Apl\r\n", "あ"},
        {name("65001", "UTF-8"), "caf\xC3\xA9||5Apl\r\n", "café"},
        {name("1252", "CP1252"),
         "\xEF\xBB\xBF"
         "caf\xC3\xA9||5Apl\r\n",
         "café"},  // a mark wins
    };
    test::ScratchFolder folder;
    for (const auto& c : cases) {
        LookupCommand command{
            .dictionary = Utf16ToUtf8(folder.write("d.txt", c.bytes)), .encoding = c.encoding, .notation = Notation::Kingsoft14, .words = {c.word, "sit"}};
        std::ostringstream out, err;
        EXPECT_EQ(RunLookup(command, out, err), kSucceeded);
        EXPECT_EQ(out.str(), c.word + "\t5Apl\nsit\t\n") << c.encoding;
    }
}

#ifdef SONOTAG_CLI
// The exit statuses of the program itself.
TEST(Sonotag, ExitsWithItsStatusAndSaysWhy) {
    test::ScratchFolder folder;
    const std::string dictionary = Utf16ToUtf8(folder.write("d.txt", "apple||5Apl\r\n"));
    const std::string said = Utf16ToUtf8(folder.programPath("err.txt"));
    const std::string lesson = " --dictionary " + dictionary + " " + Utf16ToUtf8(folder.write("in.txt", "apple pie apple\n"));
    const std::string idml = " " SONOTAG_FIXTURES "/idml/";
    const struct {
        std::string arguments;
        int status;
        std::string message;
    } cases[] = {
        {"lookup --dictionary " + dictionary + " apple", kSucceeded, ""},
        {"lookup --encoding no-such-code-page --dictionary " + dictionary + " apple", kBadInput, "no-such-code-page"},
        {"annotate --encoding no-such-code-page --dictionary " + dictionary + " -", kBadInput, "no-such-code-page"},
        {"annotate --unknown", kBadInput, "usage: sonotag"},
        {"annotate --fail-call 20" + lesson, kRunFailed, "\nsonotag: 发生错误:(null),原因:Unknown error 0x800706BA,描述:(null)!\n"},
        {"annotate --fail-call 1000000" + lesson, kSucceeded, ""},  // the run makes fewer calls
        {"annotate --fail-call 1 in.idml --output out.idml", kBadInput, "--fail-call is for texts and stand-in documents"},
        {"annotate --character-style ':Naviga:byline-BYL epost' --dictionary " + dictionary + idml + "dime-tripple.idml --output " + said + ".idml", kSucceeded,
         ""},  // a grouped style by the path InDesign shows
        {"serve --bind 192.0.2.1 --port 18799 --dictionary " + dictionary, kBadInput, "sonotag: cannot listen on 192.0.2.1 port 18799"},  // not this machine's
        {"serve --skip " + said + ".absent --dictionary " + dictionary, kBadInput, "cannot read the skip list"},
        {"annotate --dictionary " + dictionary + idml + "damaged-entry.idml --output " + said + ".idml", kBadInput,
         "\nsonotag: damaged-entry.idml: entry META-INF/container.xml is damaged (CRC error)\n"},  // found before the run
        {"annotate --dictionary " + dictionary + idml + "dime-tripple.idml --output " + said + ".absent/out.idml", kBadInput,
         "\nsonotag: cannot write " + said + ".absent/out.idml (No such file or directory)\n"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(WEXITSTATUS(std::system((SONOTAG_CLI " " + c.arguments + " </dev/null >/dev/null 2>" + said).c_str())), c.status) << c.arguments;
        const std::string text = "\n" + test::FileBytes(folder.path() / "err.txt");
        EXPECT_NE(text.find(c.message), std::string::npos) << text;
    }
}
#endif

}}  // namespace sonotag::cli
