// End-to-end tests of Sonotag.exe under Wine: each test runs the program in a
// folder of its own and drives it through its windows.

#include <algorithm>
#include <vector>

#include "GuiFixture_win32.h"
#include "tests/support/CaseName.h"

namespace sonotag::gui {
namespace {

// ---- start-up and the three ways to end ----

TEST_F(SonotagTest, FirstStartPreselectsCs3AndShowsTheTopmostMainWindow) {
    Start();
    HWND version = WaitForVersionDialog();
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(ItemText(version, IDC_VERSION_LIST), kCs3);
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == version; }, 3s)) << "the version dialog is active";
    Screenshot(version, "version-dialog");
    PressKey(VK_RETURN);  // OK is the default button

    HWND main = WaitForMainWindow();
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(IsTopmost(main));
    EXPECT_EQ(ItemText(main, IDC_COMPARISON_TABLE), L"对照表");
    EXPECT_EQ(ItemText(main, IDC_ANNOTATE), L"开始注音标>>");
    EXPECT_EQ(ItemText(main, IDC_FINISH), L"完成");
    Screenshot(main, "main-window");

    FinishAndExpectCleanExit(main);
    ExpectSevenKeysWritten();
}

struct EndingGesture {
    const char* name;
    void (*end)(HWND main);
};

const EndingGesture kEndingGestures[] = {
    {"Esc", [](HWND main) { BringToFront(main); PressKey(VK_ESCAPE); }},
    {"EnterPressesFinishRightAfterStart", [](HWND main) { BringToFront(main); PressKey(VK_RETURN); }},
    {"CloseBox", [](HWND main) { PostSystemCommand(main, SC_CLOSE); }},
};

class EndingTest : public SonotagTest, public ::testing::WithParamInterface<EndingGesture> {};

TEST_P(EndingTest, EndsTheProgramAndWritesTheSettings) {
    HWND main = StartToMainWindow();
    ASSERT_NE(main, nullptr);
    GetParam().end(main);
    EXPECT_EQ(WaitForExit(), 0u);
    ExpectSevenKeysWritten();
}

INSTANTIATE_TEST_SUITE_P(Gestures, EndingTest, ::testing::ValuesIn(kEndingGestures), test::CaseName());

// The saved version the start-up choice preselects: the entry equal to it
// (in any case) first, then the first entry it begins.
struct Preselection {
    const char* name;
    const char* idver;
    const wchar_t* shown;
};

const Preselection kPreselections[] = {
    {"Cs4", "InDesign.Application.CS4", kCs4},
    {"VersionIndependent", "InDesign.Application", L"InDesign.Application"},
    {"Cc", "InDesign.Application.CC", L"InDesign.Application.CC"},
    {"OtherCase", "indesign.application.cc.2019", L"InDesign.Application.CC.2019"},
    {"Prefix", "InDesign.Application.CS", L"InDesign.Application.CS2"},
    {"ClassIdSelectsNothing", "{1FC6B073-BC41-44D1-884C-A55924E3D814}", L""},
};

class PreselectionTest : public SonotagTest, public ::testing::WithParamInterface<Preselection> {};

TEST_P(PreselectionTest, ExitInTheStartUpChoiceEndsWithoutWriting) {
    const std::string config = "[COM]\r\nIDVER=" + std::string(GetParam().idver) + "\r\nFGF=T\r\n";
    folder_->writeFile("config.ini", config);
    Start();
    HWND version = WaitForVersionDialog();
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(ItemText(version, IDC_VERSION_LIST), GetParam().shown);
    ClickButton(version, IDCANCEL);
    EXPECT_EQ(WaitForExit(), 0u);
    EXPECT_EQ(folder_->readFile("config.ini"), config);
}

INSTANTIATE_TEST_SUITE_P(SavedVersions, PreselectionTest, ::testing::ValuesIn(kPreselections), test::CaseName());

TEST_F(SonotagTest, ExitInTheStartUpVersionChoiceWritesNoNewFile) {
    Start();
    HWND version = WaitForVersionDialog();
    ASSERT_NE(version, nullptr);
    PostSystemCommand(version, SC_CLOSE);  // the close box is Exit too
    EXPECT_EQ(WaitForExit(), 0u);
    EXPECT_FALSE(folder_->exists("config.ini"));
}

TEST_F(SonotagTest, VersionMenuExitChangesNothing) {
    HWND main = StartToMainWindow();
    ASSERT_NE(main, nullptr);
    PostCommand(main, ID_CHOOSE_VERSION);
    HWND version = WaitForVersionDialog();
    ASSERT_NE(version, nullptr);
    SendMessageW(GetDlgItem(version, IDC_VERSION_LIST), CB_SELECTSTRING, static_cast<WPARAM>(-1),
                 reinterpret_cast<LPARAM>(L"InDesign.Application.CS4"));
    ClickButton(version, IDCANCEL);
    ASSERT_TRUE(WaitUntilHidden(version));
    EXPECT_TRUE(process_->running());
    FinishAndExpectCleanExit(main);
    ExpectSevenKeysWritten(kCs3);
}

// ---- hot key, comparison table, About box ----

TEST_F(SonotagTest, AltOneRestoresTheMinimisedWindow) {
    HWND main = StartToMainWindow();
    ASSERT_NE(main, nullptr);
    RECT before{};
    GetWindowRect(main, &before);
    PostSystemCommand(main, SC_MINIMIZE);
    ASSERT_TRUE(WaitFor([&] { return IsIconic(main) != FALSE; }));
    PressKeyWithAlt('1');
    RECT after{};
    const bool restored = WaitFor([&] {
        GetWindowRect(main, &after);
        return !IsIconic(main) && EqualRect(&after, &before);
    });
    ASSERT_TRUE(restored) << "Alt+1 did not restore the window where it was";

    // Shown normally already: Alt+1 keeps size and place.
    PressKeyWithAlt('1');
    Sleep(500);
    RECT again{};
    GetWindowRect(main, &again);
    EXPECT_TRUE(EqualRect(&before, &again));
    EXPECT_FALSE(IsIconic(main));
    PostSystemCommand(main, SC_CLOSE);
    EXPECT_EQ(WaitForExit(), 0u);
}

TEST_F(SonotagTest, ComparisonTableTwiceGivesOneWindowShownAgainWhereItWas) {
    HWND main = StartToMainWindow();
    ASSERT_NE(main, nullptr);
    ClickButton(main, IDC_COMPARISON_TABLE);
    HWND table = WaitForDialog(pid(), kTableCaption);
    ASSERT_NE(table, nullptr);
    ClickButton(main, IDC_COMPARISON_TABLE);
    Sleep(500);
    EXPECT_EQ(DialogsOf(pid(), kTableCaption).size(), 1u);
    Screenshot(table, "comparison-table");

    RECT first{};
    GetWindowRect(table, &first);
    PostSystemCommand(table, SC_CLOSE);
    ASSERT_TRUE(WaitUntilHidden(table));
    EXPECT_TRUE(IsWindow(table)) << "closing only hides the table";
    ClickButton(main, IDC_COMPARISON_TABLE);
    ASSERT_EQ(WaitForDialog(pid(), kTableCaption), table);
    RECT second{};
    GetWindowRect(table, &second);
    EXPECT_TRUE(EqualRect(&first, &second));

    // Closing the main window closes the table too.
    PostSystemCommand(main, SC_CLOSE);
    EXPECT_EQ(WaitForExit(), 0u);
}

TEST_F(SonotagTest, SystemMenuAboutItemShowsTheAboutBox) {
    HWND main = StartToMainWindow();
    ASSERT_NE(main, nullptr);
    PostSystemCommand(main, IDM_ABOUT);
    HWND about = WaitForDialog(pid(), kAboutCaption);
    ASSERT_NE(about, nullptr);
    EXPECT_FALSE(IsWindowEnabled(main)) << "the About box is modal";
    Screenshot(about, "about-box");
    ClickButton(about, IDOK);
    ASSERT_TRUE(WaitUntilHidden(about));
    EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(main) != FALSE; }));
    FinishAndExpectCleanExit(main);
}

// ---- settings dialog ----

TEST_F(SonotagTest, SettingsDialogShowsTheSettingsAndItsOkTakesTheTabSeparator) {
    HWND main = StartToMainWindow();
    ASSERT_NE(main, nullptr);
    PostCommand(main, ID_SETTINGS);
    HWND dialog = WaitForDialog(pid(), kSettingsCaption);
    ASSERT_NE(dialog, nullptr);
    EXPECT_EQ(ItemText(dialog, IDC_IPA_VERSION), L"新版国际音标(IPA14)");
    EXPECT_EQ(ComboEntries(GetDlgItem(dialog, IDC_IPA_VERSION)).size(), 2u);
    EXPECT_EQ(ItemText(dialog, IDC_SEPARATOR), L" ");
    EXPECT_EQ(ItemText(dialog, IDC_LEFT_SYMBOL), L"\\");
    EXPECT_EQ(ItemText(dialog, IDC_RIGHT_SYMBOL), L"\\");
    EXPECT_EQ(SendMessageW(GetDlgItem(dialog, IDC_USE_UNICODE), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_TRUE(ComboEntries(GetDlgItem(dialog, IDC_CHARACTER_STYLE)).empty()) << "no host, no styles";
    if (!DialogsOf(pid(), kSettingsCaption).empty()) Screenshot(dialog, "settings-dialog-without-host");

    ClickButton(dialog, IDC_TAB_BUTTON);
    EXPECT_TRUE(WaitFor([&] { return ItemText(dialog, IDC_SEPARATOR) == L"\t"; }));
    SendMessageW(GetDlgItem(dialog, IDC_LEFT_SYMBOL), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"["));
    ClickButton(dialog, IDOK);
    ASSERT_TRUE(WaitUntilHidden(dialog));
    FinishAndExpectCleanExit(main);
    const std::vector<std::wstring> expected = {
        L"[COM]", L"IDVER=" + std::wstring(kCs3), L"CHARSTYLE=", L"FGF=T", L"SYML=[",
        L"SYMR=\\", L"YBVER=0", L"UNICODE=1", L"LOOSE=1",
    };
    EXPECT_EQ(ConfigLines(*folder_), expected);
}

TEST_F(SonotagTest, SettingsDialogCancelChangesNothing) {
    HWND main = StartToMainWindow();
    ASSERT_NE(main, nullptr);
    PostCommand(main, ID_SETTINGS);
    HWND dialog = WaitForDialog(pid(), kSettingsCaption);
    ASSERT_NE(dialog, nullptr);
    ClickButton(dialog, IDC_TAB_BUTTON);
    CheckDlgButton(dialog, IDC_USE_UNICODE, BST_UNCHECKED);
    ClickButton(dialog, IDCANCEL);
    ASSERT_TRUE(WaitUntilHidden(dialog));
    PostSystemCommand(main, SC_CLOSE);
    EXPECT_EQ(WaitForExit(), 0u);
    ExpectSevenKeysWritten();
}

// ---- the annotate button's menu ----

TEST_F(SonotagTest, DismissingTheButtonMenuDoesNothing) {
    HWND main = StartToMainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(DismissButtonMenu(main, GetDlgItem(main, IDC_ANNOTATE)));
    EXPECT_FALSE(WaitForMessageBox(pid(), 1s).has_value());
    EXPECT_TRUE(process_->running());
    FinishAndExpectCleanExit(main);
}

TEST_F(SonotagTest, RemovalFromTheButtonMenuWithoutAHostReportsOnce) {
    HWND main = StartToMainWindowWith(L"InDesign.Application.CS5");
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(PickFromButtonMenu(main, GetDlgItem(main, IDC_ANNOTATE)));
    const auto box = WaitForMessageBox(pid());
    ASSERT_TRUE(box.has_value()) << "the removal command did not arrive";
    EXPECT_EQ(box->text.rfind(L"发生错误:", 0), 0u) << box->text;
    Dismiss(*box);
    EXPECT_FALSE(WaitForMessageBox(pid(), 1s).has_value()) << "one report only";
    FinishAndExpectCleanExit(main);
}

// ---- the host ----

TEST_F(SonotagTest, UnregisteredCs2GivesOneErrorReportWithTheInvalidPointerText) {
    HWND main = StartToMainWindowWith(L"InDesign.Application.CS2");
    ASSERT_NE(main, nullptr);

    ClickButton(main, IDC_ANNOTATE);
    const auto box = WaitForMessageBox(pid());
    ASSERT_TRUE(box.has_value());
    // The cause is the system's text for E_POINTER; where the system has
    // none (Wine), the text names the code.
    const std::wstring head = L"发生错误:(null),原因:";
    const std::wstring tail = L",描述:(null)!";
    ASSERT_GT(box->text.size(), head.size() + tail.size()) << box->text;
    EXPECT_EQ(box->text.substr(0, head.size()), head);
    EXPECT_EQ(box->text.substr(box->text.size() - tail.size()), tail);
    const std::wstring cause = box->text.substr(head.size(), box->text.size() - head.size() - tail.size());
    const std::wstring systemText = SystemText(E_POINTER);
    if (systemText.empty()) {
        EXPECT_NE(cause.find(L"80004003"), std::wstring::npos) << cause;
    } else {
        EXPECT_EQ(cause, systemText);
    }
    EXPECT_EQ(box->icon, BoxIcon::Exclamation);
    Dismiss(*box);
    EXPECT_FALSE(WaitForMessageBox(pid(), 1s).has_value()) << "one report only";
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(main, IDC_ANNOTATE)));

    FinishAndExpectCleanExit(main);
    ExpectSevenKeysWritten(L"InDesign.Application.CS2");
}


// Attached through a later version's ProgID, as the user of a current InDesign is.
TEST_F(SonotagWithHostTest, AnnotatesTheSelectionAndReportsCompletion) {
    HWND main = StartToMainWindowWith(L"InDesign.Application.2024");
    ASSERT_NE(main, nullptr);
    AnnotateAndExpectCompletion(main);
    FinishAndExpectCleanExit(main);
    ExpectSevenKeysWritten(L"InDesign.Application.2024");

    const auto document = DocumentAfter();
    EXPECT_EQ(StoryText(document), kAnnotatedLesson);
    const auto runs = Runs(document);
    ASSERT_FALSE(runs.empty());
    for (const auto& run : runs) EXPECT_EQ(run.value("font", std::string()), "Lucida Sans Unicode") << run.dump();
}

TEST_F(SonotagWithHostTest, RemovalFromTheButtonMenuRestoresTheDocument) {
    HWND main = StartToMainWindow();
    ASSERT_NE(main, nullptr);
    AnnotateAndExpectCompletion(main);
    ASSERT_TRUE(PickFromButtonMenu(main, GetDlgItem(main, IDC_ANNOTATE))) << "no menu on the right button";
    EXPECT_FALSE(WaitForMessageBox(pid(), 2s).has_value()) << "the removal shows nothing when it works";
    FinishAndExpectCleanExit(main);

    const auto document = DocumentAfter();
    EXPECT_EQ(StoryText(document), kLessonText);
    EXPECT_TRUE(Runs(document).empty());
}

TEST_F(SonotagWithHostTest, SettingsDialogListsNestedStylesAndItsOkChangesTheNextRun) {
    HWND main = StartToMainWindow();
    ASSERT_NE(main, nullptr);
    PostCommand(main, ID_SETTINGS);
    HWND dialog = WaitForDialog(pid(), kSettingsCaption);
    ASSERT_NE(dialog, nullptr);
    HWND styles = GetDlgItem(dialog, IDC_CHARACTER_STYLE);
    auto entries = ComboEntries(styles);
    std::sort(entries.begin(), entries.end());  // the control sorts by the user's locale
    const std::vector<std::wstring> expected = {L":Group:Inner:Style", L":Group:Plain", L":Phonetics", L":[无]"};
    EXPECT_EQ(entries, expected);
    SendMessageW(styles, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(L":Group:Inner:Style"));
    SendMessageW(styles, CB_SHOWDROPDOWN, TRUE, 0);
    Screenshot(dialog, "settings-dialog");
    SendMessageW(styles, CB_SHOWDROPDOWN, FALSE, 0);
    ClickButton(dialog, IDOK);
    ASSERT_TRUE(WaitUntilHidden(dialog));
    FinishAndExpectCleanExit(main);
    const auto lines = ConfigLines(*folder_);
    ASSERT_GE(lines.size(), 3u);
    EXPECT_EQ(lines[2], L"CHARSTYLE=:Group:Inner:Style");

    // The next run of the program annotates in that style.
    main = StartToMainWindow();
    ASSERT_NE(main, nullptr);
    AnnotateAndExpectCompletion(main);
    FinishAndExpectCleanExit(main);
    const auto document = DocumentAfter();
    EXPECT_EQ(StoryText(document), kAnnotatedLesson);
    const auto runs = Runs(document);
    ASSERT_FALSE(runs.empty());
    for (const auto& run : runs) {
        EXPECT_EQ(run.value("characterStyle", std::string()), ":Group:Inner:Style") << run.dump();
    }
}

// Two styles whose names differ only in case: the dialog shows the saved
// one, and OK keeps and applies it, whichever of them sorts first.
class StyleCaseTest : public SonotagWithHostTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(StyleCaseTest, SettingsDialogSelectsTheSavedSpelling) {
    const std::string saved = GetParam();
    folder_->writeFile("styles.json", R"({"characterStyles": [":[无]", ":Phonetics", ":phonetics"],
        "stories": [{"text": "apple is on the table", "runs": []}], "selection": {"story": 0}, "undoHistory": []})");
    StartHost(folder_->file("styles.json"));
    folder_->writeFile("config.ini", "[COM]\r\nCHARSTYLE=" + saved + "\r\n");
    HWND main = StartToMainWindow();
    ASSERT_NE(main, nullptr);
    PostCommand(main, ID_SETTINGS);
    HWND dialog = WaitForDialog(pid(), kSettingsCaption);
    ASSERT_NE(dialog, nullptr);
    const std::wstring shown(saved.begin(), saved.end());
    EXPECT_EQ(ItemText(dialog, IDC_CHARACTER_STYLE), shown);
    ClickButton(dialog, IDOK);
    ASSERT_TRUE(WaitUntilHidden(dialog));
    AnnotateAndExpectCompletion(main);
    FinishAndExpectCleanExit(main);

    const auto lines = ConfigLines(*folder_);
    EXPECT_NE(std::find(lines.begin(), lines.end(), L"CHARSTYLE=" + shown), lines.end());
    const auto runs = Runs(DocumentAfter());
    ASSERT_FALSE(runs.empty());
    for (const auto& run : runs) EXPECT_EQ(run.value("characterStyle", std::string()), saved) << run.dump();
}

INSTANTIATE_TEST_SUITE_P(Spellings, StyleCaseTest, ::testing::Values(":Phonetics", ":phonetics"),
                         [](const auto& param) { return std::string(param.param + 1); });

}  // namespace
}  // namespace sonotag::gui
