// Sonotag.exe under Wine driven from another process as a person would; the stand-in host read by a second client.

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "base/SystemMessage.h"
#include "base/Utf.h"
#include "host/AttachHost_win32.h"
#include "host/AutomationError.h"
#include "host/HostObject.h"
#include "res/resource.h"
#include "standin/ControlCodes.h"
#include "tests/support/CaseName.h"
#include "tests/support/StandInProcess_win32.h"

namespace sonotag::gui { namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Json = nlohmann::json;
namespace control = standin::control;

constexpr wchar_t kMainCaption[] = L"Sonotag";  // the message boxes' too
constexpr wchar_t kVersionCaption[] = L"选择Indesign版本";
constexpr wchar_t kCs3[] = L"InDesign.Application.CS3";
constexpr wchar_t kCs4[] = L"InDesign.Application.CS4";
constexpr char kLessonText[] = "apple is on the table";
constexpr char kAnnotatedLesson[] = "apple \\ˈæpl\\ is \\ɪz\\ on \\ɒn\\ the \\ðə\\ table \\ˈteɪbl\\";
constexpr wchar_t kCompletion[] = L"自动注音标完成！";

bool WaitFor(auto condition, std::chrono::milliseconds timeout = 20s) {
    for (const auto end = std::chrono::steady_clock::now() + timeout; !condition(); Sleep(50))
        if (std::chrono::steady_clock::now() > end) return false;
    return true;
}

struct Process {  // Sonotag.exe in its folder; killed, as a crash would, when it goes
    explicit Process(const fs::path& exe) {
        std::wstring command = L"\"" + exe.wstring() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        EXPECT_TRUE(CreateProcessW({}, command.data(), {}, {}, 0, 0, {}, exe.parent_path().c_str(), &startup, &info));
        CloseHandle(info.hThread);
        handle = KernelHandle(info.hProcess);
        id = info.dwProcessId;
    }
    ~Process() {
        if (TerminateProcess(handle.get(), 99)) WaitForSingleObject(handle.get(), 10000);
    }
    DWORD wait() const {  // STILL_ACTIVE while it runs after 20 s
        DWORD code = STILL_ACTIVE;
        WaitForSingleObject(handle.get(), 20000);
        GetExitCodeProcess(handle.get(), &code);
        return code;
    }
    KernelHandle handle;
    DWORD id = 0;
};

class HostProbe {                   // a client the host's counters leave out
    host::OleApartment apartment_;  // outlives the connection
    host::ObjectRef connection_;

public:
    HostProbe() {
        if (apartment_.isInitialised()) connection_ = host::AttachHost(u"InDesign.Application.CS3", nullptr);
    }

    std::int32_t count(host::DispatchId code) const {  // -1: no answer
        const auto value = call(code, 0, host::ValueType::Integer);
        return value ? value->integer() : -1;
    }
    std::optional<host::Value> call(host::DispatchId code, std::int32_t argument, host::ValueType type) const {
        const host::Value arguments[] = {host::Value(argument)};
        try {
            return host::Required(connection_)->invoke(code, host::InvokeKind::Method, std::span(arguments, argument ? 1 : 0), type);
        } catch (const host::AutomationError&) { return std::nullopt; }
    }
    Json story() const {
        const auto dump = call(control::kDumpDocumentJson, 0, host::ValueType::Text);
        const Json document = dump ? Json::parse(Utf16ToUtf8(dump->text()), nullptr, false) : Json();
        return document.is_object() ? document.value("/stories/0"_json_pointer, Json::object()) : Json::object();
    }
    bool everyRunHas(const char* field, const std::string& value) const {  // and there are runs
        const Json runs = story().value("runs", Json::array());
        return !runs.empty() && std::all_of(runs.begin(), runs.end(), [&](const Json& run) { return run.value(field, "") == value; });
    }
};

::testing::AssertionResult LiveObjectsBecome(const HostProbe& probe, std::int32_t expected) {  // releases come late
    std::int32_t seen = -1;
    const bool became = WaitFor([&] { return (seen = probe.count(control::kLiveObjects)) == expected; }, 5s);
    return (became ? ::testing::AssertionSuccess() : ::testing::AssertionFailure()) << "live host objects: " << seen;
}

std::wstring ItemText(HWND dialog, int id, UINT message = WM_GETTEXT, WPARAM wparam = 1024) {
    wchar_t text[1024] = {};  // by message: GetWindowText does not ask another process's controls
    SendDlgItemMessageW(dialog, id, message, wparam, reinterpret_cast<LPARAM>(text));
    return text;
}

std::vector<HWND> DialogsOf(DWORD processId, const wchar_t* caption = nullptr, int control = 0, const wchar_t* kind = L"#32770") {
    std::vector<HWND> found;
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, kind, caption));) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window) && (!control || GetDlgItem(window, control))) found.push_back(window);
    }
    return found;
}
HWND WaitForDialog(DWORD processId, const wchar_t* caption, int control = 0, std::chrono::milliseconds timeout = 20s) {
    std::vector<HWND> found;
    WaitFor([&] { return !(found = DialogsOf(processId, caption, control)).empty(); }, timeout);
    return found.empty() ? nullptr : found.front();
}
bool WaitUntilHidden(HWND window) {
    return WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); });
}
void ClickButton(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
void PostCommand(HWND window, int id) { PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
void PostSystemCommand(HWND window, WPARAM command) { PostMessageW(window, WM_SYSCOMMAND, command, 0); }

std::optional<std::wstring> DismissMessageBox(DWORD processId, std::chrono::milliseconds timeout = 20s) {
    HWND box = WaitForDialog(processId, kMainCaption, 0xFFFF, timeout);  // the text, which the main window lacks
    std::wstring text;
    if (!box || !WaitFor([&] { return !(text = ItemText(box, 0xFFFF)).empty(); }, 2s)) return std::nullopt;
    ClickButton(box, IDOK);
    WaitFor([&] { return !IsWindow(box); });
    return text;
}

void PressKey(WORD key, bool alt = false, HWND window = nullptr) {
    if (window && SetForegroundWindow(window)) WaitFor([&] { return GetForegroundWindow() == window; }, 3s);
    const WORD keys[] = {VK_MENU, key, key, VK_MENU};
    for (int i = alt ? 0 : 1; i < (alt ? 4 : 3); ++i, Sleep(30)) {
        INPUT input{INPUT_KEYBOARD, {}};
        input.ki = {keys[i], static_cast<WORD>(MapVirtualKeyW(keys[i], MAPVK_VK_TO_VSC)), static_cast<DWORD>(i >= 2 ? KEYEVENTF_KEYUP : 0), 0, 0};
        SendInput(1, &input, sizeof input);
    }
}

bool UseButtonMenu(HWND main, std::initializer_list<WORD> keys) {
    SetForegroundWindow(main);
    SetCursorPos(0, 0);  // on no item
    PostMessageW(GetDlgItem(main, IDC_ANNOTATE), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    if (!WaitFor([] { return IsWindowVisible(FindWindowW(L"#32768", nullptr)); }, 5s)) return false;  // the menu
    for (WORD key : keys) PressKey(key);
    return true;
}
bool PickRemoval(HWND main) { return UseButtonMenu(main, {VK_HOME, VK_DOWN, VK_RETURN}); }

std::wstring ErrorReport(host::HResult code) {  // Wine has no text for some codes
    const auto text = SystemMessage(static_cast<std::uint32_t>(code));
    wchar_t cause[64];
    swprintf(cause, 64, L"Unknown error 0x%08X", static_cast<unsigned>(code));
    std::wstring system = text ? std::wstring(text->begin(), text->end()) : cause;
    while (system.size() > 1 && (system.back() == L'\n' || system.back() == L'\r')) system.pop_back();
    return L"发生错误:(null),原因:" + system + L",描述:(null)!";
}

std::vector<std::wstring> ConfigLines(const fs::path& folder) {
    wchar_t section[1 << 14] = {};
    GetPrivateProfileSectionW(L"COM", section, std::size(section), (folder / "config.ini").c_str());
    std::vector<std::wstring> lines;
    for (const wchar_t* line = section; *line; line += lines.back().size() + 1) lines.emplace_back(line);
    return lines;
}
std::vector<std::wstring> DefaultConfigLines(const std::wstring& idver = kCs3) {
    return {L"IDVER=" + idver, L"CHARSTYLE=", L"FGF=S", L"SYML=\\", L"SYMR=\\", L"YBVER=0", L"UNICODE=1", L"LOOSE=1", L"HOMOGRAPHS=1"};
}

class SonotagTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::path(SONOTAG_GUI_WORK) / "runs" / test->test_suite_name() / test->name();
        fs::remove_all(folder_);
        CopyProgramTo(folder_);
    }
    void TearDown() override {  // neither Sonotag nor a host, hand-started or by COM, outlives a test
        process_.reset();
        for (HWND window = nullptr; (window = FindWindowExW(HWND_MESSAGE, window, standin::kWindowClass, nullptr));) PostMessageW(window, WM_CLOSE, 0, 0);
        EXPECT_TRUE(test::StandInEnded(20000)) << "a stand-in host does not end";
        host_.reset();
    }

    static void CopyProgramTo(const fs::path& folder) {
        fs::create_directories(folder);
        fs::copy_file(fs::path(SONOTAG_APP_DIR) / "Sonotag.exe", folder / "Sonotag.exe");
        fs::copy_file(fs::path(SONOTAG_GUI_FIXTURES) / "dictionary.txt", folder / "dictionary.txt");
    }
    void Write(const char* name, const std::string& text) { std::ofstream(folder_ / name, std::ios::binary) << text; }
    std::string Read(const char* name) const { return {std::istreambuf_iterator<char>(std::ifstream(folder_ / name, std::ios::binary).rdbuf()), {}}; }

    DWORD pid() const { return process_->id; }
    bool LeaveVersionChoice(const wchar_t* progId = nullptr, int button = IDOK) {
        HWND version = WaitForDialog(pid(), kVersionCaption);
        if (version && progId) SendDlgItemMessageW(version, IDC_VERSION_LIST, CB_SELECTSTRING, WPARAM(-1), LPARAM(progId));
        ClickButton(version, button);
        return version && WaitUntilHidden(version);
    }
    void StartToMainWindow(const wchar_t* progId = nullptr) {  // under ASSERT_NO_FATAL_FAILURE
        process_.emplace(folder_ / "Sonotag.exe");
        ASSERT_TRUE(LeaveVersionChoice(progId));
        ASSERT_TRUE(main_ = WaitForDialog(pid(), kMainCaption, IDC_FINISH));
    }
    void FinishAndExpectCleanExit() {
        ClickButton(main_, IDC_FINISH);
        EXPECT_EQ(process_->wait(), 0u);
    }
    void StartHost(const char* document = "lesson.json") {  // as a user's open InDesign
        host_.emplace(L"--document \"" + (fs::path(SONOTAG_GUI_FIXTURES) / document).wstring() + L"\"");
        ASSERT_TRUE(host_->waitUntilReady()) << "the stand-in host did not start";
    }
    void ExpectOneMessage(std::initializer_list<std::wstring> texts, void (*command)(HWND) = nullptr) {
        command ? command(main_) : ClickButton(main_, IDC_ANNOTATE);
        const auto text = DismissMessageBox(pid(), 60s);
        EXPECT_TRUE(text && std::find(texts.begin(), texts.end(), *text) != texts.end()) << text.value_or(L"none");
        EXPECT_FALSE(DismissMessageBox(pid(), 1s)) << "one message only";
        EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(main_, IDC_ANNOTATE)) != FALSE; }));
    }

    fs::path folder_;
    HWND main_ = nullptr;
    std::optional<Process> process_;
    std::optional<test::StandInProcess> host_;
};

enum class Trouble { None, Missing, Folder, HeldFromTheStart, HeldAtTheEnd };  // not read-only: Wine's root writes

// No `idver`: no config.ini; `file` has the trouble; no `end`: leave the start-up choice.
struct StartToEnd {
    const char *name, *idver, *file;
    Trouble trouble;
    const wchar_t* shown;
    void (*end)(HWND);
};

void Finish(HWND main) { ClickButton(main, IDC_FINISH); }

const StartToEnd kStartsToEnds[] = {
    {"FinishOnFirstStart", nullptr, "", Trouble::None, kCs3, Finish},
    {"EscOtherCase", "indesign.application.cs4", "", Trouble::None, kCs4, [](HWND m) { PressKey(VK_ESCAPE, 0, m); }},
    {"EnterPressesFinishRightAfterStartPrefix", "InDesign.Application.CS", "", Trouble::None, L"InDesign.Application.CS2",
     [](HWND m) { PressKey(VK_RETURN, false, m); }},
    {"CloseBoxVersionIndependent", "InDesign.Application", "", Trouble::None, L"InDesign.Application", [](HWND m) { PostSystemCommand(m, SC_CLOSE); }},
    {"CancelOtherCase", "indesign.application.cc.2019", "", Trouble::None, L"InDesign.Application.CC.2019", nullptr},
    {"CancelClassIdSelectsNothing", "{1FC6B073-BC41-44D1-884C-A55924E3D814}", "", Trouble::None, L"", nullptr},
    {"CloseBoxOnFirstStart", nullptr, "", Trouble::None, kCs3, nullptr},
    {"ConfigIniFolder", nullptr, "config.ini", Trouble::Folder, kCs3, Finish},
    {"ConfigIniHeldFromTheStart", "InDesign.Application.CS4", "config.ini", Trouble::HeldFromTheStart, kCs3, Finish},
    {"ConfigIniHeldAtTheEnd", "InDesign.Application.CS4", "config.ini", Trouble::HeldAtTheEnd, kCs4, Finish},
    {"WordListMissing", nullptr, "dictionary.txt", Trouble::Missing, kCs3, Finish},
    {"WordListFolder", nullptr, "dictionary.txt", Trouble::Folder, kCs3, Finish},
    {"WordListHeld", nullptr, "dictionary.txt", Trouble::HeldFromTheStart, kCs3, Finish},
};

class StartToEndTest : public SonotagTest, public ::testing::WithParamInterface<StartToEnd> {};

TEST_P(StartToEndTest, WritesTheSettingsOnlyWhenTheMainWindowEndsAndItCan) {
    const StartToEnd& row = GetParam();
    const std::string config = row.idver ? "[COM]\r\nIDVER=" + std::string(row.idver) + "\r\n" : "";
    if (row.idver) Write("config.ini", config);
    const fs::path file = folder_ / row.file;
    const bool wordList = file.filename() == "dictionary.txt";
    if (row.trouble == Trouble::Missing || row.trouble == Trouble::Folder) fs::remove(file);
    if (row.trouble == Trouble::Folder) fs::create_directory(file);
    KernelHandle held;
    const auto hold = [&] {  // no sharing, as another program may hold it
        return !!(held = KernelHandle(CreateFileW(file.c_str(), GENERIC_READ, 0, {}, OPEN_EXISTING, 0, {})));
    };
    ASSERT_TRUE(row.trouble != Trouble::HeldFromTheStart || hold());
    StartHost();
    const HostProbe probe;
    process_.emplace(folder_ / "Sonotag.exe");
    HWND version = WaitForDialog(pid(), kVersionCaption);
    ASSERT_NE(version, nullptr);
    EXPECT_EQ(ItemText(version, IDC_VERSION_LIST), row.shown);
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == version; }, 3s)) << "the version choice is active";
    if (!row.end) {
        row.idver ? ClickButton(version, IDCANCEL) : PostSystemCommand(version, SC_CLOSE);
        EXPECT_EQ(process_->wait(), 0u);
        EXPECT_EQ(Read("config.ini"), config);
        return;
    }
    PressKey(VK_RETURN);  // OK is the default button
    if (wordList) {
        EXPECT_NE(DismissMessageBox(pid()).value_or(L"").find(L"dictionary.txt"), std::wstring::npos) << "no stop";
        held = KernelHandle();
    }
    ASSERT_TRUE(main_ = WaitForDialog(pid(), kMainCaption, IDC_FINISH));
    EXPECT_TRUE(GetWindowLongW(main_, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(DialogsOf(pid()), std::vector<HWND>{main_});
    if (row.trouble != Trouble::None) {  // a word list that cannot be read: runs change nothing
        ExpectOneMessage({kCompletion});
        EXPECT_EQ(probe.story().value("text", ""), wordList ? kLessonText : kAnnotatedLesson);
        EXPECT_TRUE(!wordList || probe.count(control::kUndoStepCount) == 0) << "the run changed something";
    }
    ASSERT_TRUE(row.trouble != Trouble::HeldAtTheEnd || hold());
    row.end(main_);
    EXPECT_EQ(process_->wait(), 0u);
    held = KernelHandle();
    if (wordList || row.trouble == Trouble::None) EXPECT_EQ(ConfigLines(folder_), DefaultConfigLines(row.shown));
    else EXPECT_TRUE(row.trouble == Trouble::Folder ? fs::is_empty(file) : Read("config.ini") == config);
}

INSTANTIATE_TEST_SUITE_P(Rows, StartToEndTest, ::testing::ValuesIn(kStartsToEnds), test::CaseName());

class WithoutAHostTest : public SonotagTest, public ::testing::WithParamInterface<bool> {};

TEST_P(WithoutAHostTest, CommandsOfTheMainWindow) {
    const bool page = GetParam();
    if (page) Write("help.html", "<html><body>help</body></html>");
    const std::wstring command = L"cmd.exe /c echo %1>\"" + (folder_ / "opened.txt").wstring() + L"\"";
    ASSERT_FALSE(RegSetKeyValueW(HKEY_CLASSES_ROOT, L".html", nullptr, REG_SZ, L"SonotagTest.Help", 34));
    ASSERT_FALSE(RegSetKeyValueW(HKEY_CLASSES_ROOT, L"SonotagTest.Help\\shell\\open\\command", nullptr, REG_SZ, command.c_str(),
                                 DWORD((command.size() + 1) * sizeof(wchar_t))));  // Wine lacks HKCU
    ASSERT_NO_FATAL_FAILURE(StartToMainWindow(L"InDesign.Application.CS2"));
    PostCommand(main_, ID_HELP_PAGE);
    PostSystemCommand(main_, IDM_ABOUT);
    HWND about = WaitForDialog(pid(), L"关于 Sonotag");
    Sleep(300);
    EXPECT_EQ(DialogsOf(pid()).size(), 2u) << "a message besides the main window and About";
    EXPECT_FALSE(IsWindowEnabled(main_)) << "the About box is modal";
    const std::string path = (folder_ / "help.html").make_preferred().string();
    EXPECT_EQ(WaitFor([&] { return Read("opened.txt").find(path) != std::string::npos; }, page ? 20s : 0s), page);
    ClickButton(about, IDOK);
    ASSERT_TRUE(WaitUntilHidden(about));

    constexpr wchar_t kTable[] = L"金山IPA14音标符号对照表";
    ClickButton(main_, IDC_COMPARISON_TABLE);
    HWND table = WaitForDialog(pid(), kTable);
    EXPECT_NE(SendMessageW(GetWindow(table, GW_CHILD), STM_GETIMAGE, IMAGE_BITMAP, 0), 0) << "the picture loaded";
    ClickButton(main_, IDC_COMPARISON_TABLE);
    Sleep(500);
    EXPECT_EQ(DialogsOf(pid(), kTable), std::vector<HWND>{table});
    PostSystemCommand(table, SC_CLOSE);
    ASSERT_TRUE(WaitUntilHidden(table));
    ClickButton(main_, IDC_COMPARISON_TABLE);
    EXPECT_EQ(WaitForDialog(pid(), kTable), table) << "closing only hides it";

    ExpectOneMessage({ErrorReport(host::kInvalidPointer)});
    ASSERT_TRUE(UseButtonMenu(main_, {VK_ESCAPE}));
    EXPECT_FALSE(DismissMessageBox(pid(), 1s)) << "the dismissed menu did something";
    ExpectOneMessage({ErrorReport(host::kInvalidPointer)}, [](HWND m) { EXPECT_TRUE(PickRemoval(m)); });
    FinishAndExpectCleanExit();  // the table open
    EXPECT_EQ(ConfigLines(folder_), DefaultConfigLines(L"InDesign.Application.CS2"));
}

INSTANTIATE_TEST_SUITE_P(HelpPageBeside, WithoutAHostTest, ::testing::Bool(), ::testing::PrintToStringParamName());

TEST_F(SonotagTest, SecondInstanceRunsSilentlyWithoutTheHotKeyThatTheFirstKeeps) {
    ASSERT_NO_FATAL_FAILURE(StartToMainWindow());
    RECT before{}, after{};
    GetWindowRect(main_, &before);
    CopyProgramTo(folder_ / "second");
    Process second(folder_ / "second" / "Sonotag.exe");
    ClickButton(WaitForDialog(second.id, kVersionCaption), IDOK);
    HWND secondMain = WaitForDialog(second.id, kMainCaption, IDC_FINISH);
    for (HWND window : {main_, secondMain}) PostSystemCommand(window, SC_MINIMIZE);
    ASSERT_TRUE(WaitFor([&] { return IsIconic(main_) && IsIconic(secondMain); }));
    PressKey('1', true);
    EXPECT_TRUE(WaitFor([&] { return !IsIconic(main_) && GetWindowRect(main_, &after) && EqualRect(&after, &before); }))
        << "the first instance lost its hot key, or came back elsewhere";
    Sleep(500);
    EXPECT_TRUE(IsIconic(secondMain)) << "the second instance answered Alt+1";
    EXPECT_EQ(DialogsOf(second.id), std::vector<HWND>{secondMain}) << "the failed registration is reported";
    PostSystemCommand(secondMain, SC_CLOSE);
    EXPECT_EQ(second.wait(), 0u);
    EXPECT_EQ(ConfigLines(folder_ / "second"), DefaultConfigLines());
    FinishAndExpectCleanExit();
}

// `left`: the tab separator, `left` on the left, no Unicode; `live`: host objects held after.
struct SettingsWalk {
    const wchar_t *shown, *style, *left;
    int button;
    std::int32_t live;
};

void WalkSettings(DWORD pid, HWND main, const std::vector<std::wstring>& styles, const SettingsWalk& walk) {
    PostCommand(main, ID_SETTINGS);
    HWND dialog = WaitForDialog(pid, L"音标设置");
    ASSERT_NE(dialog, nullptr);
    std::vector<std::wstring> entries;
    for (LRESULT i = 0, n = SendDlgItemMessageW(dialog, IDC_CHARACTER_STYLE, CB_GETCOUNT, 0, 0); i < n; ++i)
        entries.push_back(ItemText(dialog, IDC_CHARACTER_STYLE, CB_GETLBTEXT, WPARAM(i)));
    EXPECT_TRUE(!walk.shown || ItemText(dialog, IDC_CHARACTER_STYLE) == walk.shown) << walk.shown;
    const auto chosen = std::find(entries.begin(), entries.end(), walk.style ? walk.style : L"?");
    if (walk.style) SendDlgItemMessageW(dialog, IDC_CHARACTER_STYLE, CB_SETCURSEL, chosen - entries.begin(), 0);
    if (walk.left) {
        ClickButton(dialog, IDC_TAB_BUTTON);
        SetDlgItemTextW(dialog, IDC_LEFT_SYMBOL, walk.left);
        CheckDlgButton(dialog, IDC_USE_UNICODE, BST_UNCHECKED);
    }
    std::sort(entries.begin(), entries.end());  // the control sorts by the user's locale
    EXPECT_EQ(entries, styles);
    ClickButton(dialog, walk.button);
    ASSERT_TRUE(WaitUntilHidden(dialog));
}

TEST_F(SonotagTest, MainPathGivesBackEveryHostObjectItTook) {
    StartHost();
    Write("config.ini", "[COM]\r\nIDVER=InDesign.Application.2024\r\nCHARSTYLE=:phonetics\r\n");
    const HostProbe probe;
    ASSERT_NO_FATAL_FAILURE(StartToMainWindow());
    ASSERT_TRUE(LiveObjectsBecome(probe, 1)) << "the saved style, and nothing else";
    ExpectOneMessage({kCompletion});
    EXPECT_TRUE(LiveObjectsBecome(probe, 1)) << "after the run";
    EXPECT_EQ(probe.story().value("text", ""), kAnnotatedLesson);
    EXPECT_TRUE(probe.everyRunHas("characterStyle", ":phonetics"));
    ASSERT_TRUE(PickRemoval(main_));
    ASSERT_TRUE(WaitFor([&] { return probe.count(control::kUndoStepCount) == 0; })) << "the removal did not run";
    EXPECT_FALSE(DismissMessageBox(pid(), 1s)) << "a removal that works says nothing";
    EXPECT_EQ(probe.story().value("text", ""), kLessonText);
    EXPECT_TRUE(LiveObjectsBecome(probe, 1)) << "after the removal";

    // Two styles differ only in case: the dialog shows the saved one, whichever sorts first.
    std::vector<std::wstring> styles{L":Group:Inner:Style", L":Group:Plain", L":Phonetics", L":[无]", L":phonetics"};
    const SettingsWalk walks[] = {
        {L":phonetics", L":Phonetics", L"[", IDOK, 1},  // the old style given back
        {L":Phonetics", L":phonetics", L"x", IDCANCEL, 1},  {L":Phonetics", nullptr, nullptr, IDOK, 1}, {nullptr, L":[无]", nullptr, IDOK, 0},
        {nullptr, L":Group:Inner:Style", nullptr, IDOK, 1},
    };
    for (const auto& walk : walks) {
        WalkSettings(pid(), main_, styles, walk);
        EXPECT_TRUE(LiveObjectsBecome(probe, walk.live)) << (walk.style ? walk.style : L"no change");
    }
    for (const int button : {IDCANCEL, IDOK}) {
        PostCommand(main_, ID_CHOOSE_VERSION);
        ASSERT_TRUE(LeaveVersionChoice(button == IDOK ? nullptr : kCs4, button));
    }
    EXPECT_TRUE(LiveObjectsBecome(probe, 1)) << "attached again: the style and nothing else";
    ExpectOneMessage({kCompletion});
    EXPECT_TRUE(probe.everyRunHas("characterStyle", ":Group:Inner:Style"));
    FinishAndExpectCleanExit();
    EXPECT_TRUE(LiveObjectsBecome(probe, 0)) << "after the main window closed";
    EXPECT_EQ(ConfigLines(folder_), (std::vector<std::wstring>{L"IDVER=InDesign.Application.2024", L"CHARSTYLE=:Group:Inner:Style", L"FGF=T", L"SYML=[",
                                                               L"SYMR=\\", L"YBVER=0", L"UNICODE=0", L"LOOSE=1", L"HOMOGRAPHS=1"}));
}

// Sent: a thread waiting on a COM call takes sent messages at once; Wine leaves posted ones until the run's box.
void SendCommand(HWND main, int id) { SendNotifyMessageW(main, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }
LRESULT Answer(HWND main, UINT message, WPARAM wparam, LPARAM lparam = 0) {  // -1: none within 20 s
    DWORD_PTR answer = 0;
    return SendMessageTimeoutW(main, message, wparam, lparam, SMTO_NORMAL, 20000, &answer) ? LRESULT(answer) : -1;
}

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
         for (int id : {IDC_ANNOTATE, ID_REMOVE_ANNOTATIONS, ID_SETTINGS, ID_CHOOSE_VERSION}) SendCommand(main, id);
     },
     false},
    {"LogOffWaitsUnlessForced",
     [](HWND main) {
         EXPECT_EQ(Answer(main, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), FALSE);
         EXPECT_EQ(Answer(main, WM_QUERYENDSESSION, 0, ENDSESSION_CRITICAL), TRUE);
     },
     false},
};

class CommandDuringARunTest : public SonotagTest, public ::testing::WithParamInterface<CommandDuringARun> {};

TEST_P(CommandDuringARunTest, WaitsForTheRunOrIsIgnored) {
    StartHost();
    const HostProbe probe;
    ASSERT_TRUE(probe.call(control::kDelayCalls, 40, host::ValueType::Any)) << "each call 40 ms longer";
    ASSERT_NO_FATAL_FAILURE(StartToMainWindow());
    ClickButton(main_, IDC_ANNOTATE);
    ASSERT_TRUE(WaitFor([&] { return probe.count(control::kCallCount) >= 3; }, 30s)) << "no run";
    GetParam().send(main_);
    EXPECT_EQ(DismissMessageBox(pid(), 60s), kCompletion);
    if (!GetParam().ends) {  // then the session ends, the settings written there and only there
        EXPECT_FALSE(DismissMessageBox(pid(), 2s)) << "one run, one completion box";
        EXPECT_EQ(DialogsOf(pid()), std::vector<HWND>{main_}) << "no dialog of the ignored commands";
        EXPECT_EQ(Answer(main_, WM_ENDSESSION, FALSE), 0);  // another program refused
        EXPECT_FALSE(fs::exists(folder_ / "config.ini"));
        EXPECT_EQ(Answer(main_, WM_QUERYENDSESSION, 0), TRUE);
        EXPECT_EQ(Answer(main_, WM_ENDSESSION, TRUE), 0);
        EXPECT_EQ(ConfigLines(folder_), DefaultConfigLines()) << "lost at the session's end";
        fs::remove(folder_ / "config.ini");
        ClickButton(main_, IDC_FINISH);
    }
    EXPECT_EQ(process_->wait(), 0u);
    EXPECT_EQ(ConfigLines(folder_), GetParam().ends ? DefaultConfigLines() : std::vector<std::wstring>{}) << "twice";
    EXPECT_TRUE(LiveObjectsBecome(probe, 0));
    EXPECT_EQ(probe.story().value("text", ""), kAnnotatedLesson) << "one run, nothing taken back";
    EXPECT_TRUE(probe.everyRunHas("font", "Lucida Sans Unicode"));
}

INSTANTIATE_TEST_SUITE_P(SlowHost, CommandDuringARunTest, ::testing::ValuesIn(kCommandsDuringARun), test::CaseName());

// Restarts the RPC service, so it runs as a step of its own.
TEST_F(SonotagTest, VanishedHostIsReportedOnceAndTheMenuAttachesAnew) {
    Write("config.ini", "[COM]\r\nIDVER=InDesign.Application.CS3\r\nCHARSTYLE=:Phonetics\r\n");
    StartHost("long-lesson.json");
    ASSERT_NO_FATAL_FAILURE(StartToMainWindow());
    std::optional<HostProbe> probe(std::in_place);
    ClickButton(main_, IDC_ANNOTATE);
    ASSERT_TRUE(WaitFor([&] { return probe->count(control::kCallCount) >= 200; }, 30s)) << "no run";
    probe.reset();
    host_->kill();
    for (void (*command)(HWND) : {+[](HWND) {}, +[](HWND m) { ClickButton(m, IDC_ANNOTATE); }, +[](HWND m) { EXPECT_TRUE(PickRemoval(m)); }})
        ExpectOneMessage({ErrorReport(host::kServerUnavailable), ErrorReport(host::kCallFailed)}, command);
    WalkSettings(pid(), main_, {}, {L":Phonetics", nullptr, nullptr, IDOK, 0});
    EXPECT_FALSE(DismissMessageBox(pid(), 1s)) << "the settings say nothing";

    EXPECT_TRUE(test::ForgetDeadServers());
    StartHost();
    PostCommand(main_, ID_CHOOSE_VERSION);
    ASSERT_TRUE(LeaveVersionChoice()) << "a hang on the dead host's references";
    ExpectOneMessage({kCompletion});
    probe.emplace();
    EXPECT_TRUE(LiveObjectsBecome(*probe, 1)) << "the style, and nothing else";
    EXPECT_TRUE(probe->everyRunHas("characterStyle", ":Phonetics"));
    FinishAndExpectCleanExit();
    EXPECT_EQ(ConfigLines(folder_).at(1), L"CHARSTYLE=:Phonetics");
}

}}  // namespace sonotag::gui
