// End-to-end tests of the shell's failure paths: a second instance without
// the hot key, a config.ini that cannot be written or holds garbage, no help
// page, a word list that is missing, unreadable or very large. The large
// and the garbage files are made here, at test time.

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "GuiFixture_win32.h"
#include "tests/support/CaseName.h"

namespace sonotag::gui {
namespace {

namespace fs = std::filesystem;

std::vector<HWND> Sorted(std::vector<HWND> windows) {
    std::sort(windows.begin(), windows.end());
    return windows;
}

std::vector<std::string> FileNamesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A value of config.ini as the profile functions read it back, up to
// `room` - 1 characters.
std::wstring ProfileValue(const fs::path& file, const wchar_t* key, std::size_t room = 1024) {
    std::wstring value(room, L'\0');
    const DWORD length = GetPrivateProfileStringW(L"COM", key, L"<missing>", value.data(),
                                                  static_cast<DWORD>(value.size()), file.wstring().c_str());
    value.resize(length);
    return value;
}

// ---- Alt+1 held by the first instance ----

TEST_F(SonotagTest, SecondInstanceRunsSilentlyWithoutTheHotKeyThatTheFirstKeeps) {
    HWND first = StartToMainWindow();
    ASSERT_NE(first, nullptr);

    const TestFolder secondFolder(CurrentTestName() + ".second");
    secondFolder.copyProgram();
    secondFolder.copyDictionary(FixtureFolder() / "dictionary.txt");
    Process second(secondFolder.file("Sonotag.exe"));
    HWND version = WaitForDialog(second.id(), kVersionCaption);
    ASSERT_NE(version, nullptr);
    ClickButton(version, IDOK);
    HWND secondMain = WaitForMainWindowOf(second.id());
    ASSERT_NE(secondMain, nullptr);
    EXPECT_FALSE(WaitForMessageBox(second.id(), 1s).has_value()) << "the failed registration is not reported";
    EXPECT_EQ(VisibleDialogsOf(second.id()), std::vector<HWND>{secondMain});
    EXPECT_TRUE(IsTopmost(secondMain));

    // Both minimised: Alt+1 brings back the first, which holds the key.
    PostSystemCommand(first, SC_MINIMIZE);
    PostSystemCommand(secondMain, SC_MINIMIZE);
    ASSERT_TRUE(WaitFor([&] { return IsIconic(first) && IsIconic(secondMain); }));
    PressKeyWithAlt('1');
    EXPECT_TRUE(WaitFor([&] { return !IsIconic(first); })) << "the first instance lost its hot key";
    Sleep(500);
    EXPECT_TRUE(IsIconic(secondMain)) << "the second instance answered Alt+1";

    // The second ends normally and writes its own settings.
    PostSystemCommand(secondMain, SC_CLOSE);
    EXPECT_EQ(second.wait(20s), 0u);
    EXPECT_EQ(ConfigLines(secondFolder), DefaultConfigLines());

    // The first still answers Alt+1.
    PostSystemCommand(first, SC_MINIMIZE);
    ASSERT_TRUE(WaitFor([&] { return IsIconic(first) != FALSE; }));
    PressKeyWithAlt('1');
    EXPECT_TRUE(WaitFor([&] { return !IsIconic(first); }));
    ClickButton(first, IDC_FINISH);
    EXPECT_EQ(WaitForExit(), 0u);
    ExpectSevenKeysWritten();
}

// ---- config.ini that cannot be written ----
// (The read-only attribute is no test under Wine run by root: root writes
// such files all the same.)

TEST_F(SonotagTest, FolderInPlaceOfConfigIniEndsNormallyAndWritesNothing) {
    fs::create_directory(folder_->file("config.ini"));
    HWND main = StartToMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(VisibleDialogsOf(pid()), std::vector<HWND>{main});
    ClickButton(main, IDC_FINISH);
    EXPECT_EQ(WaitForExit(), 0u) << "no message, no crash at the save";
    EXPECT_TRUE(fs::is_directory(folder_->file("config.ini")));
    EXPECT_TRUE(fs::is_empty(folder_->file("config.ini")));
    const std::vector<std::string> files = {"Sonotag.exe", "config.ini", "dictionary.txt"};
    EXPECT_EQ(FileNamesIn(folder_->path()), files) << "nothing written beside it";
}

// Another program holds config.ini without sharing from the start, or only
// when the program ends.
class HeldConfigIniTest : public SonotagTest, public ::testing::WithParamInterface<bool> {};

TEST_P(HeldConfigIniTest, StaysAsItWasAndNothingIsReported) {
    const bool heldFromTheStart = GetParam();
    // Four keys of seven: any write the program managed would show.
    const std::string config = "[COM]\r\nIDVER=InDesign.Application.CS4\r\nFGF=T\r\nSYML=[\r\n";
    folder_->writeFile("config.ini", config);
    std::optional<ExclusiveHold> hold;
    if (heldFromTheStart) hold.emplace(folder_->file("config.ini"));
    Start();
    HWND version = WaitForVersionDialog();
    ASSERT_NE(version, nullptr);
    // Unreadable, the file gives the defaults.
    EXPECT_EQ(ItemText(version, IDC_VERSION_LIST), heldFromTheStart ? kCs3 : kCs4);
    ClickButton(version, IDOK);
    HWND main = WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(VisibleDialogsOf(pid()), std::vector<HWND>{main});
    if (!hold) hold.emplace(folder_->file("config.ini"));
    ASSERT_TRUE(hold->held());
    ClickButton(main, IDC_FINISH);
    EXPECT_EQ(WaitForExit(), 0u) << "no message, no crash at the save";
    hold.reset();
    EXPECT_EQ(folder_->readFile("config.ini"), config);
    const std::vector<std::string> files = {"Sonotag.exe", "config.ini", "dictionary.txt"};
    EXPECT_EQ(FileNamesIn(folder_->path()), files);
}

INSTANTIATE_TEST_SUITE_P(Holds, HeldConfigIniTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& held) {
                             return held.param ? "FromTheStart" : "AtTheEnd";
                         });

// ---- the help page ----

// Opens .html files with a command that writes the path it was given to
// `record`, while it lives. (Machine-wide classes: Wine does not merge the
// user's own into HKEY_CLASSES_ROOT.) What .html was before comes back.
class HtmlOpenerThatRecords {
public:
    explicit HtmlOpenerThatRecords(const fs::path& record) : previous_(DefaultValue(L".html")) {
        const std::wstring command = L"cmd.exe /c echo %1>\"" + record.wstring() + L"\"";
        set_ = SetDefault(L".html", kClass) && SetDefault(std::wstring(kClass) + L"\\shell\\open\\command", command);
    }
    ~HtmlOpenerThatRecords() {
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kClass);
        if (previous_) {
            SetDefault(L".html", *previous_);
        } else {
            RegDeleteTreeW(HKEY_CLASSES_ROOT, L".html");
        }
    }
    HtmlOpenerThatRecords(const HtmlOpenerThatRecords&) = delete;
    HtmlOpenerThatRecords& operator=(const HtmlOpenerThatRecords&) = delete;
    bool set() const { return set_; }

private:
    static constexpr wchar_t kClass[] = L"SonotagTest.HelpPage";

    static std::optional<std::wstring> DefaultValue(const std::wstring& key) {
        wchar_t value[512] = {};
        DWORD bytes = sizeof value;
        if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &bytes) !=
            ERROR_SUCCESS) {
            return std::nullopt;
        }
        return std::wstring(value);
    }

    static bool SetDefault(const std::wstring& key, const std::wstring& value) {
        const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
        return RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, REG_SZ, value.c_str(), bytes) ==
               ERROR_SUCCESS;
    }

    std::optional<std::wstring> previous_;
    bool set_ = false;
};

TEST_F(SonotagTest, HelpOpensItsPageBesideTheProgram) {
    folder_->writeFile("help.html", "<html><body>help</body></html>");
    const fs::path record = folder_->file("opened.txt");
    const HtmlOpenerThatRecords opener(record);
    ASSERT_TRUE(opener.set());
    HWND main = StartToMainWindow();
    ASSERT_NE(main, nullptr);
    PostCommand(main, ID_HELP_PAGE);
    ASSERT_TRUE(WaitFor([&] { return fs::exists(record) && fs::file_size(record) > 0; })) << "the page was not opened";
    const std::string opened = folder_->readFile("opened.txt");
    EXPECT_NE(opened.find(folder_->file("help.html").make_preferred().string()), std::string::npos) << opened;
    FinishAndExpectCleanExit(main);
}

TEST_F(SonotagTest, HelpWithoutItsPageShowsNothing) {
    const fs::path record = folder_->file("opened.txt");
    const HtmlOpenerThatRecords opener(record);
    ASSERT_TRUE(opener.set());
    HWND main = StartToMainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_FALSE(folder_->exists("help.html"));
    PostCommand(main, ID_HELP_PAGE);
    // The About box, asked for after the help, shows once the help command
    // has been handled; a message of the shell would be up by then (its
    // modal loop would show the About box over it).
    PostSystemCommand(main, IDM_ABOUT);
    HWND about = WaitForDialog(pid(), kAboutCaption);
    ASSERT_NE(about, nullptr);
    Sleep(300);
    EXPECT_EQ(Sorted(VisibleWindowsOf(pid())), Sorted({main, about})) << "no message of any kind";
    EXPECT_FALSE(fs::exists(record)) << "nothing was opened";
    ClickButton(about, IDOK);
    ASSERT_TRUE(WaitUntilHidden(about));
    FinishAndExpectCleanExit(main);
}

// ---- a word list that cannot be read ----

enum class Trouble { Missing, FolderInItsPlace, HeldByAnotherProgram };

struct WordListTrouble {
    const char* name;
    Trouble trouble;
};

class UnreadableWordListTest : public SonotagWithHostTest,
                               public ::testing::WithParamInterface<WordListTrouble> {};

TEST_P(UnreadableWordListTest, StopMessageNamesTheFileAndTheRunWritesNothing) {
    const fs::path wordList = folder_->file("dictionary.txt");
    std::optional<ExclusiveHold> hold;
    switch (GetParam().trouble) {
        case Trouble::Missing: fs::remove(wordList); break;
        case Trouble::FolderInItsPlace:
            fs::remove(wordList);
            fs::create_directory(wordList);
            break;
        case Trouble::HeldByAnotherProgram:
            hold.emplace(wordList);
            ASSERT_TRUE(hold->held());
            break;
    }
    Start();
    HWND version = WaitForVersionDialog();
    ASSERT_NE(version, nullptr);
    ClickButton(version, IDOK);
    const auto box = WaitForMessageBox(pid());
    ASSERT_TRUE(box.has_value()) << "no stop message";
    EXPECT_NE(box->text.find(L"dictionary.txt"), std::wstring::npos) << "message: " << box->text;
    EXPECT_EQ(box->icon, BoxIcon::Stop);
    Dismiss(*box);
    hold.reset();

    HWND main = WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(IsTopmost(main)) << "topmost even when the word list failed";
    AnnotateAndExpectCompletion(main);
    FinishAndExpectCleanExit(main);
    const auto document = DocumentAfter();
    EXPECT_EQ(StoryText(document), kLessonText);
    EXPECT_TRUE(Runs(document).empty());
    EXPECT_TRUE(document.value("undoHistory", nlohmann::json::array()).empty()) << "the run changed nothing";
}

INSTANTIATE_TEST_SUITE_P(Troubles, UnreadableWordListTest,
                         ::testing::Values(WordListTrouble{"Missing", Trouble::Missing},
                                           WordListTrouble{"FolderInItsPlace", Trouble::FolderInItsPlace},
                                           WordListTrouble{"HeldByAnotherProgram", Trouble::HeldByAnotherProgram}),
                         test::CaseName());

// ---- a very large word list ----

TEST_F(SonotagWithHostTest, MillionLineWordListWithATenMegabyteLineLoadsToItsEnd) {
    {
        std::ofstream out(folder_->file("dictionary.txt"), std::ios::binary);
        std::string block;
        for (int line = 0; line < 1'000'000; ++line) {
            block += "w" + std::to_string(line) + "||t" + std::to_string(line) + "\r\n";
            if (block.size() > (1 << 20)) {
                out << block;
                block.clear();
            }
        }
        out << block << std::string(10 << 20, 'a') << "||5ei\r\n";
        // The lesson's words come last: annotating them proves the whole file loaded.
        std::ifstream lesson(FixtureFolder() / "dictionary.txt", std::ios::binary);
        out << lesson.rdbuf();
    }
    HWND main = StartToMainWindow(120s);
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(VisibleDialogsOf(pid()), std::vector<HWND>{main}) << "no message";
    AnnotateAndExpectCompletion(main);
    FinishAndExpectCleanExit(main);
    EXPECT_EQ(StoryText(DocumentAfter()), kAnnotatedLesson);
    fs::remove(folder_->file("dictionary.txt"));
}

// ---- config.ini full of garbage ----

std::string RandomBytes(std::size_t count, unsigned seed) {
    std::mt19937 generator(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string bytes(count, '\0');
    for (char& unit : bytes) unit = static_cast<char>(byte(generator));
    return bytes;
}

// Random bytes that start with no byte-order mark, so that they are taken
// for ANSI text.
std::string RandomAnsiBytes(std::size_t count, unsigned seed) { return "x" + RandomBytes(count, seed); }

constexpr std::size_t kTenMegabytes = 10 << 20;
// Two line ends: a lead byte of the double-byte code page before the first
// may take it with it.
const std::string kSectionOfCs4 = "\n\n[COM]\r\nIDVER=InDesign.Application.CS4\r\n";

struct GarbageConfig {
    const char* name;
    std::string (*contents)();
    const wchar_t* readVersion;  // what the version choice preselects
};

const GarbageConfig kGarbageConfigs[] = {
    {"RandomBytesInTheSection",
     [] { return kSectionOfCs4 + RandomAnsiBytes(64 << 10, 3) + "\n\nYBVER=1\r\n"; }, kCs4},
    {"NulsInKeysAndValues",
     [] {
         static constexpr char kNuls[] = "[COM]\r\nIDVER=InDesign.Application.CS4\r\nFGF=\0\0T\r\nSY\0ML=[\r\n\0\0\0\r\n";
         return std::string(kNuls, sizeof kNuls - 1) + RandomBytes(256, 4);
     },
     kCs4},
    {"Utf16MarkThenAnOddNumberOfBytes", [] { return "\xFF\xFE" + RandomBytes(4097, 5); }, kCs3},
    {"TenMegabyteValueOfAnotherKey",
     [] { return "[COM]\r\nJUNK=" + std::string(kTenMegabytes, 'j') + "\r\nIDVER=InDesign.Application.CS4\r\n"; },
     kCs4},
};

class GarbageConfigTest : public SonotagTest, public ::testing::WithParamInterface<GarbageConfig> {};

TEST_P(GarbageConfigTest, StartsWithWhatItCanReadAndEndsNormally) {
    folder_->writeFile("config.ini", GetParam().contents());
    Start();
    HWND version = WaitForVersionDialog();
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(ItemText(version, IDC_VERSION_LIST), GetParam().readVersion);
    ClickButton(version, IDOK);
    HWND main = WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(VisibleDialogsOf(pid()), std::vector<HWND>{main}) << "no message";
    FinishAndExpectCleanExit(main);
    // What the program wrote into the garbage reads back.
    const fs::path config = folder_->file("config.ini");
    EXPECT_EQ(ProfileValue(config, L"IDVER"), GetParam().readVersion);
    EXPECT_EQ(ProfileValue(config, L"SYMR"), L"\\");
    EXPECT_EQ(ProfileValue(config, L"UNICODE"), L"1");
}

INSTANTIATE_TEST_SUITE_P(Files, GarbageConfigTest, ::testing::ValuesIn(kGarbageConfigs), test::CaseName());

TEST_F(SonotagTest, TenMegabyteSymbolIsReadAndSavedWhole) {
    const std::string symbol(kTenMegabytes, 'l');
    folder_->writeFile("config.ini", "[COM]\r\nIDVER=InDesign.Application.CS4\r\nSYML=" + symbol + "\r\n");
    HWND main = StartToMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_EQ(VisibleDialogsOf(pid()), std::vector<HWND>{main}) << "no message";
    FinishAndExpectCleanExit(main);
    // Saved again at the end: cut anywhere, it would come back shorter.
    const std::wstring saved = ProfileValue(folder_->file("config.ini"), L"SYML", kTenMegabytes + 16);
    EXPECT_EQ(saved.size(), symbol.size());
    EXPECT_EQ(saved.find_first_not_of(L'l'), std::wstring::npos);
    EXPECT_EQ(ProfileValue(folder_->file("config.ini"), L"IDVER"), kCs4);
}

}  // namespace
}  // namespace sonotag::gui
