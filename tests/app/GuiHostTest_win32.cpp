// End-to-end tests of Sonotag.exe with the stand-in host as the user's
// InDesign: every host object Sonotag takes is given back, and a host that
// vanishes under a run is reported once and can be attached again.
//
// The driver reads the host's count of live objects through a client of its
// own (HostProbe), beside Sonotag's connection; the application object is
// not counted, so the count is 0 before Sonotag starts and after it ends.

#include <algorithm>
#include <string>
#include <utility>

#include "GuiFixture_win32.h"
#include "host/HResult.h"
#include "tests/support/CaseName.h"

namespace sonotag::gui {
namespace {

constexpr wchar_t kGroupStyle[] = L":Group:Inner:Style";
constexpr wchar_t kTopLevelStyle[] = L":Phonetics";

// Waits until the host's live count is `expected`: releases reach the host
// from Sonotag's thread after the window that ends a command has gone.
::testing::AssertionResult LiveObjectsBecome(const HostProbe& probe, std::int64_t expected) {
    std::optional<std::int64_t> seen;
    if (WaitFor([&] { return (seen = probe.liveObjects()) == expected; }, 5s)) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "live host objects: "
                                         << (seen ? std::to_string(*seen) : std::string("no answer")) << ", expected "
                                         << expected;
}

class SonotagReferencesTest : public SonotagWithHostTest {
protected:
    // Opens the settings dialog, chooses `style` when given, and leaves it
    // with `button`.
    void WalkSettingsDialog(HWND main, const wchar_t* style, int button) {
        PostCommand(main, ID_SETTINGS);
        HWND dialog = WaitForDialog(pid(), kSettingsCaption);
        ASSERT_NE(dialog, nullptr);
        ASSERT_EQ(ComboEntries(GetDlgItem(dialog, IDC_CHARACTER_STYLE)).size(), 4u) << "the styles were walked";
        if (style) {
            ASSERT_NE(SendMessageW(GetDlgItem(dialog, IDC_CHARACTER_STYLE), CB_SELECTSTRING, static_cast<WPARAM>(-1),
                                   reinterpret_cast<LPARAM>(style)),
                      CB_ERR);
        }
        ClickButton(dialog, button);
        ASSERT_TRUE(WaitUntilHidden(dialog));
    }
};

TEST_F(SonotagReferencesTest, EveryCommandGivesBackTheHostObjectsItTook) {
    folder_->writeFile("config.ini", "[COM]\r\nCHARSTYLE=:Group:Inner:Style\r\n");
    const HostProbe probe;
    ASSERT_TRUE(probe.attached());
    ASSERT_TRUE(LiveObjectsBecome(probe, 0));

    HWND main = StartToMainWindow();
    ASSERT_NE(main, nullptr);
    // Sonotag holds the style it resolved at start-up, and nothing else.
    ASSERT_TRUE(LiveObjectsBecome(probe, 1));

    AnnotateAndExpectCompletion(main);
    EXPECT_TRUE(LiveObjectsBecome(probe, 1)) << "after the run";
    ASSERT_GT(probe.undoSteps().value_or(0), 0);
    ASSERT_TRUE(PickFromButtonMenu(main, GetDlgItem(main, IDC_ANNOTATE)));
    ASSERT_TRUE(WaitFor([&] { return probe.undoSteps() == 0; })) << "the removal did not run";
    EXPECT_TRUE(LiveObjectsBecome(probe, 1)) << "after the removal";

    WalkSettingsDialog(main, nullptr, IDCANCEL);
    EXPECT_TRUE(LiveObjectsBecome(probe, 1)) << "after the style walk and Cancel";
    WalkSettingsDialog(main, kGroupStyle, IDOK);
    EXPECT_TRUE(LiveObjectsBecome(probe, 1)) << "after OK with the same style";
    WalkSettingsDialog(main, kTopLevelStyle, IDOK);
    EXPECT_TRUE(LiveObjectsBecome(probe, 1)) << "after OK with another style: the old one is given back";
    WalkSettingsDialog(main, L":[无]", IDOK);
    EXPECT_TRUE(LiveObjectsBecome(probe, 0)) << "after OK with no style";
    WalkSettingsDialog(main, kTopLevelStyle, IDOK);
    EXPECT_TRUE(LiveObjectsBecome(probe, 1));

    // Attaching again keeps the style and takes nothing else.
    PostCommand(main, ID_CHOOSE_VERSION);
    HWND version = WaitForVersionDialog();
    ASSERT_NE(version, nullptr);
    ClickButton(version, IDOK);
    ASSERT_TRUE(WaitUntilHidden(version));
    EXPECT_TRUE(LiveObjectsBecome(probe, 1)) << "after the version choice";
    AnnotateAndExpectCompletion(main);
    EXPECT_TRUE(LiveObjectsBecome(probe, 1)) << "after the second run";

    FinishAndExpectCleanExit(main);
    EXPECT_TRUE(LiveObjectsBecome(probe, 0)) << "after the main window closed";
    const auto lines = ConfigLines(*folder_);
    EXPECT_NE(std::find(lines.begin(), lines.end(), L"CHARSTYLE=:Phonetics"), lines.end());
}

// Commands that reach the main window while a run waits on a slow host: an
// ending command ends the program once the run is over; any other host
// command is ignored, so there is one run and one completion box. They are
// sent, not posted: a thread waiting on a COM call takes sent messages at
// once, where Wine leaves posted ones in the queue until the run's own box.
void SendCommand(HWND main, int id) { SendNotifyMessageW(main, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

struct CommandDuringARun {
    const char* name;
    void (*send)(HWND main);
    bool ends;
};

const CommandDuringARun kCommandsDuringARun[] = {
    {"CloseBox", [](HWND main) { SendNotifyMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0); }, true},
    {"Finish", [](HWND main) { SendCommand(main, IDC_FINISH); }, true},
    {"Esc", [](HWND main) { SendCommand(main, IDCANCEL); }, true},
    {"EveryOtherHostCommand",
     [](HWND main) {
         for (const int command : {IDC_ANNOTATE, ID_REMOVE_ANNOTATIONS, ID_SETTINGS, ID_CHOOSE_VERSION}) {
             SendCommand(main, command);
         }
     },
     false},
};

class CommandDuringARunTest : public SonotagWithHostTest, public ::testing::WithParamInterface<CommandDuringARun> {};

TEST_P(CommandDuringARunTest, WaitsForTheRunOrIsIgnored) {
    const HostProbe probe;
    ASSERT_TRUE(probe.delayCalls(40));
    HWND main = StartToMainWindow();
    ASSERT_NE(main, nullptr);
    ClickButton(main, IDC_ANNOTATE);
    ASSERT_TRUE(WaitFor([&] { return probe.totalCalls().value_or(0) >= 3; }, 30s)) << "the run did not start";
    GetParam().send(main);

    const auto box = WaitForMessageBox(pid(), 60s);
    ASSERT_TRUE(box.has_value()) << "the run did not end";
    EXPECT_EQ(box->text, kCompletion);
    Dismiss(*box);
    if (GetParam().ends) {
        EXPECT_EQ(WaitForExit(), 0u);
        ExpectSevenKeysWritten();
    } else {
        EXPECT_FALSE(WaitForMessageBox(pid(), 2s).has_value()) << "one run, one completion box";
        EXPECT_TRUE(DialogsOf(pid(), kSettingsCaption).empty());
        EXPECT_TRUE(DialogsOf(pid(), kVersionCaption).empty());
        FinishAndExpectCleanExit(main);
    }
    EXPECT_TRUE(LiveObjectsBecome(probe, 0));
    EXPECT_EQ(StoryText(DocumentAfter()), kAnnotatedLesson) << "one run, nothing taken back";
}

INSTANTIATE_TEST_SUITE_P(SlowHost, CommandDuringARunTest, ::testing::ValuesIn(kCommandsDuringARun),
                         test::CaseName());

// A document long enough that a run is still going when the host is killed.
std::string LongLessonDocument() {
    std::string text;
    for (int sentence = 0; sentence < 1000; ++sentence) text += "apple is on the table ";
    text.pop_back();
    return R"({"characterStyles": [":[无]", ":Phonetics"], "stories": [{"text": ")" + text +
           R"(", "runs": []}], "selection": {"story": 0}, "undoHistory": []})";
}

class SonotagVanishedHostTest : public SonotagWithHostTest {
protected:
    // Each test starts its own host.
    void SetUp() override {
        SonotagTest::SetUp();
        dump_ = folder_->file("document-after.json");
        // A saved style: the killed host's style object goes with it.
        folder_->writeFile("config.ini", "[COM]\r\nCHARSTYLE=:Phonetics\r\n");
    }

    // Later tests must find the host's registration of a live server.
    void TearDown() override {
        SonotagWithHostTest::TearDown();
        EXPECT_TRUE(ForgetDeadServers());
    }

    // One report of the lost host, and the button enabled again.
    void ExpectOneLostHostReport(HWND main) {
        const auto box = WaitForMessageBox(pid(), 30s);
        ASSERT_TRUE(box.has_value()) << "no report within 30 s";
        const std::wstring head = L"发生错误:(null),原因:";
        const std::wstring tail = L",描述:(null)!";
        ASSERT_GT(box->text.size(), head.size() + tail.size()) << box->text;
        EXPECT_EQ(box->text.substr(0, head.size()), head) << box->text;
        EXPECT_EQ(box->text.substr(box->text.size() - tail.size()), tail) << box->text;
        const std::wstring cause = box->text.substr(head.size(), box->text.size() - head.size() - tail.size());
        EXPECT_TRUE(IsLostHostText(cause)) << "cause: " << cause;
        EXPECT_EQ(box->icon, BoxIcon::Exclamation);
        Dismiss(*box);
        EXPECT_FALSE(WaitForMessageBox(pid(), 1s).has_value()) << "one report only";
        EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(main, IDC_ANNOTATE)) != FALSE; }));
    }

    // The system's text of RPC_S_SERVER_UNAVAILABLE or RPC_S_CALL_FAILED or,
    // where the system has none (Wine), the text naming the code.
    static bool IsLostHostText(const std::wstring& cause) {
        const std::pair<host::HResult, const wchar_t*> lost[] = {
            {host::kServerUnavailable, L"800706BA"},
            {host::kCallFailed, L"800706BE"},
        };
        for (const auto& [result, hex] : lost) {
            const std::wstring systemText = SystemText(static_cast<HRESULT>(result));
            const bool matches = systemText.empty() ? cause.find(hex) != std::wstring::npos : cause == systemText;
            if (matches) return true;
        }
        return false;
    }
};

TEST_F(SonotagVanishedHostTest, HostKilledDuringARunIsReportedOnceAndTheMenuAttachesAnew) {
    folder_->writeFile("long-lesson.json", LongLessonDocument());
    StartHost(folder_->file("long-lesson.json"));
    HWND main = StartToMainWindow();
    ASSERT_NE(main, nullptr);
    HWND button = GetDlgItem(main, IDC_ANNOTATE);
    {
        HostProbe probe;
        ASSERT_TRUE(probe.attached());
        ClickButton(main, IDC_ANNOTATE);
        ASSERT_TRUE(WaitFor([&] { return !IsWindowEnabled(button); })) << "the run did not start";
        ASSERT_TRUE(WaitFor([&] { return probe.totalCalls().value_or(0) >= 200; }, 30s)) << "the run makes no calls";
        probe.release();
        host_->kill();
    }
    ExpectOneLostHostReport(main);

    // A run after the host has gone fails alike, and so does the removal.
    ClickButton(main, IDC_ANNOTATE);
    ExpectOneLostHostReport(main);
    ASSERT_TRUE(PickFromButtonMenu(main, button));
    ExpectOneLostHostReport(main);

    // The host comes back; Wine's RPC service must first forget the dead one.
    ASSERT_TRUE(ForgetDeadServers());
    StartHost(FixtureFolder() / "lesson.json");
    PostCommand(main, ID_CHOOSE_VERSION);
    HWND version = WaitForVersionDialog();
    ASSERT_NE(version, nullptr);
    ClickButton(version, IDOK);
    ASSERT_TRUE(WaitUntilHidden(version));
    AnnotateAndExpectCompletion(main);
    {
        const HostProbe probe;
        EXPECT_TRUE(LiveObjectsBecome(probe, 1)) << "the style, and nothing else";
    }
    ClickButton(main, IDC_FINISH);
    EXPECT_EQ(WaitForExit(), 0u) << "the dead references went without a hang";
    const auto document = DocumentAfter();
    EXPECT_EQ(StoryText(document), kAnnotatedLesson);
    const auto runs = Runs(document);
    ASSERT_FALSE(runs.empty());
    for (const auto& run : runs) {
        EXPECT_EQ(run.value("characterStyle", std::string()), ":Phonetics") << "the style, resolved in the new host";
    }
}

TEST_F(SonotagVanishedHostTest, HostKilledBetweenRunsIsReportedOnceAndTheProgramStillEnds) {
    StartHost(FixtureFolder() / "lesson.json");
    HWND main = StartToMainWindow();
    ASSERT_NE(main, nullptr);
    AnnotateAndExpectCompletion(main);
    host_->kill();
    ClickButton(main, IDC_ANNOTATE);
    ExpectOneLostHostReport(main);

    // The settings dialog shows no styles and says nothing; OK keeps the name.
    PostCommand(main, ID_SETTINGS);
    HWND dialog = WaitForDialog(pid(), kSettingsCaption);
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(ComboEntries(GetDlgItem(dialog, IDC_CHARACTER_STYLE)).empty());
    EXPECT_EQ(ItemText(dialog, IDC_CHARACTER_STYLE), kTopLevelStyle);
    ClickButton(dialog, IDOK);
    ASSERT_TRUE(WaitUntilHidden(dialog));
    EXPECT_FALSE(WaitForMessageBox(pid(), 1s).has_value());

    ClickButton(main, IDC_FINISH);
    EXPECT_EQ(WaitForExit(), 0u) << "the references of the dead host went without a hang";
    const auto lines = ConfigLines(*folder_);
    EXPECT_NE(std::find(lines.begin(), lines.end(), L"CHARSTYLE=:Phonetics"), lines.end());
}

}  // namespace
}  // namespace sonotag::gui
