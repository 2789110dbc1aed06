// Sonotag.exe under Wine, driven from another process as a person would, in a folder of the test's own; the
// stand-in host read through a second client.

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

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

namespace sonotag::gui {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using Json = nlohmann::json;
namespace control = standin::control;

inline constexpr wchar_t kMainCaption[] = L"Sonotag";  // the message boxes' too
inline constexpr wchar_t kVersionCaption[] = L"选择Indesign版本";
inline constexpr wchar_t kCs3[] = L"InDesign.Application.CS3";
inline constexpr wchar_t kCs4[] = L"InDesign.Application.CS4";
// The lesson fixture before and after a run with the default settings.
inline constexpr char kLessonText[] = "apple is on the table";
inline constexpr char kAnnotatedLesson[] = "apple \\ˈæpl\\ is \\ɪz\\ on \\ɒn\\ the \\ðə\\ table \\ˈteɪbl\\";
inline constexpr wchar_t kCompletion[] = L"自动注音标完成！";

inline fs::path Fixture(const char* name) { return fs::path(SONOTAG_GUI_FIXTURES) / name; }

template <class Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds timeout = 20s) {
    for (const auto end = std::chrono::steady_clock::now() + timeout; !condition(); Sleep(50)) {
        if (std::chrono::steady_clock::now() > end) return false;
    }
    return true;
}

// Sonotag.exe started in its folder; ended at once, as a crash would, when the object goes.
struct Process {
    explicit Process(const fs::path& executable) {
        std::wstring commandLine = L"\"" + executable.wstring() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION info{};
        EXPECT_TRUE(CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                   executable.parent_path().c_str(), &startup, &info));
        thread = KernelHandle(info.hThread);
        handle = KernelHandle(info.hProcess);
        id = info.dwProcessId;
    }
    ~Process() {
        if (TerminateProcess(handle.get(), 99)) WaitForSingleObject(handle.get(), 10000);
    }
    std::optional<DWORD> wait() const {  // nothing while it still runs after 20 s
        DWORD code = 0;
        if (WaitForSingleObject(handle.get(), 20000) != WAIT_OBJECT_0) return std::nullopt;
        return GetExitCodeProcess(handle.get(), &code) ? std::optional<DWORD>(code) : std::nullopt;
    }
    KernelHandle thread, handle;
    DWORD id = 0;
};

// A second client of the running host beside Sonotag, which the host's counters leave out.
class HostProbe {
public:
    HostProbe() {
        if (apartment_.isInitialised()) host::AttachHost(u"InDesign.Application.CS3", connection_);
    }
    ~HostProbe() { release(); }  // before the apartment goes
    void release() { connection_.release(); }

    // Live host objects (the application object not counted), calls made, undo steps; -1: no answer.
    std::int32_t count(host::DispatchId code) const {
        const auto value = Call(code, 0, host::ValueType::Integer);
        return value ? value->integer() : -1;
    }
    // Each counted call takes `milliseconds` longer from now on: a run lasts.
    bool delayCalls(std::int32_t milliseconds) const {
        return Call(control::kDelayCalls, milliseconds, host::ValueType::Any).has_value();
    }
    Json story() const {  // the active story as the host holds it now
        const auto dump = Call(control::kDumpDocumentJson, 0, host::ValueType::Text);
        const Json document = dump ? Json::parse(Utf16ToUtf8(dump->text()), nullptr, false) : Json();
        return document.is_object() ? document.value("/stories/0"_json_pointer, Json::object()) : Json::object();
    }
    std::string storyText() const { return story().value("text", ""); }
    // True when the story has runs and each has `field` set to `value`.
    bool everyRunHas(const char* field, const std::string& value) const {
        const Json runs = story().value("runs", Json::array());
        return !runs.empty() &&
               std::all_of(runs.begin(), runs.end(), [&](const Json& run) { return run.value(field, "") == value; });
    }

private:
    std::optional<host::Value> Call(host::DispatchId code, std::int32_t argument, host::ValueType type) const {
        const host::Value arguments[] = {host::Value(argument)};
        try {
            return host::Required(connection_.application())
                ->invoke(code, host::InvokeKind::Method, std::span(arguments, argument ? 1 : 0), type);
        } catch (const host::AutomationError&) {
            return std::nullopt;  // no host, or it did not answer
        }
    }

    host::OleApartment apartment_;
    host::HostConnection connection_;
};

// Releases reach the host after the window that ends a command has gone.
inline ::testing::AssertionResult LiveObjectsBecome(const HostProbe& probe, std::int32_t expected) {
    std::int32_t seen = -1;
    const bool became = WaitFor([&] { return (seen = probe.count(control::kLiveObjects)) == expected; }, 5s);
    return (became ? ::testing::AssertionSuccess() : ::testing::AssertionFailure()) << "live host objects: " << seen;
}

inline std::wstring TextOf(HWND window) {
    wchar_t text[1024] = {};  // WM_GETTEXT: GetWindowText does not ask another process's controls
    SendMessageW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text));
    return text;
}
inline std::wstring ItemText(HWND dialog, int id) { return TextOf(GetDlgItem(dialog, id)); }

// The visible top-level windows of `processId` of a class, with `caption` if given; sorted.
inline std::vector<HWND> DialogsOf(DWORD processId, const wchar_t* caption = nullptr, const wchar_t* kind = L"#32770") {
    std::vector<HWND> found;
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, kind, caption));) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner == processId && IsWindowVisible(window)) found.push_back(window);
    }
    std::sort(found.begin(), found.end());
    return found;
}
// The first such dialog that has control `control` (any, when 0), waited for.
inline HWND WaitForDialog(DWORD processId, const wchar_t* caption, int control = 0,
                          std::chrono::milliseconds timeout = 20s) {
    HWND found = nullptr;
    WaitFor([&] {
        for (HWND window : DialogsOf(processId, caption)) {
            if (!found && (!control || GetDlgItem(window, control))) found = window;
        }
        return found != nullptr;
    }, timeout);
    return found;
}
inline bool WaitUntilHidden(HWND window) {
    return WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); });
}
inline void ClickButton(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }
inline void PostCommand(HWND window, int id) { PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0); }
inline void PostSystemCommand(HWND window, WPARAM command) { PostMessageW(window, WM_SYSCOMMAND, command, 0); }

// The text of the program's message box (control 0xFFFF, which the main window lacks) once one shows; then OK.
inline std::optional<std::wstring> DismissMessageBox(DWORD processId, std::chrono::milliseconds timeout = 20s) {
    HWND box = WaitForDialog(processId, kMainCaption, 0xFFFF, timeout);
    std::wstring text;
    if (!box || !WaitFor([&] { return !(text = ItemText(box, 0xFFFF)).empty(); }, 2s)) return std::nullopt;
    ClickButton(box, IDOK);
    WaitFor([&] { return !IsWindow(box); });
    return text;
}

// A key through the system's input queue, Alt held when asked, into `window` brought to the front if given.
inline void PressKey(WORD key, bool alt = false, HWND window = nullptr) {
    if (window && SetForegroundWindow(window)) WaitFor([&] { return GetForegroundWindow() == window; }, 3s);
    const WORD keys[] = {VK_MENU, key, key, VK_MENU};
    for (int i = alt ? 0 : 1; i < (alt ? 4 : 3); ++i) {
        INPUT input{};
        input.type = INPUT_KEYBOARD;
        input.ki.wVk = keys[i];
        input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(keys[i], MAPVK_VK_TO_VSC));
        input.ki.dwFlags = i >= 2 ? KEYEVENTF_KEYUP : 0;
        SendInput(1, &input, sizeof input);
        Sleep(30);
    }
}

// Opens the annotate button's menu (the cursor in a corner, on no item) and presses `keys`; false: no menu.
inline bool UseButtonMenu(HWND main, std::initializer_list<WORD> keys) {
    SetForegroundWindow(main);
    SetCursorPos(0, 0);
    PostMessageW(GetDlgItem(main, IDC_ANNOTATE), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    DWORD owner = 0;
    GetWindowThreadProcessId(main, &owner);
    if (!WaitFor([&] { return !DialogsOf(owner, nullptr, L"#32768").empty(); }, 5s)) return false;
    for (WORD key : keys) PressKey(key);
    return true;
}
inline bool PickRemoval(HWND main) { return UseButtonMenu(main, {VK_HOME, VK_DOWN, VK_RETURN}); }

// The entries of another process's combo box, in the order shown.
inline std::vector<std::wstring> ComboEntries(HWND combo) {
    std::vector<std::wstring> entries;
    for (LRESULT i = 0, count = SendMessageW(combo, CB_GETCOUNT, 0, 0); i < count; ++i) {
        wchar_t text[256] = {};  // the fixtures' names are short
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        entries.emplace_back(text);
    }
    return entries;
}

// The report of a failed host call: the system's text for `code`, or where it has none (Wine) the code.
inline std::wstring ErrorReport(host::HResult code) {
    const auto text = SystemMessage(static_cast<std::uint32_t>(code));
    wchar_t cause[64];
    swprintf(cause, 64, L"Unknown error 0x%08X", static_cast<unsigned>(code));
    std::wstring system = text ? std::wstring(text->begin(), text->end()) : cause;
    while (system.size() > 1 && (system.back() == L'\n' || system.back() == L'\r')) system.pop_back();
    return L"发生错误:(null),原因:" + system + L",描述:(null)!";
}

// Sonotag.exe and the fixture word list in a folder of the test's own.
class SonotagTest : public ::testing::Test {
protected:
    void SetUp() override {
        const auto* test = ::testing::UnitTest::GetInstance()->current_test_info();
        folder_ = fs::path(SONOTAG_GUI_WORK) / "runs" / test->test_suite_name() / test->name();
        fs::remove_all(folder_);
        CopyProgramTo(folder_);
    }
    // Neither Sonotag nor a host (hand-started or by COM) outlives a test.
    void TearDown() override {
        process_.reset();
        for (HWND window = nullptr; (window = FindWindowExW(HWND_MESSAGE, window, standin::kWindowClass, nullptr));) {
            PostMessageW(window, WM_CLOSE, 0, 0);
        }
        EXPECT_TRUE(test::StandInEnded(20000)) << "a stand-in host does not end";
        host_.reset();
    }

    static void CopyProgramTo(const fs::path& folder) {
        fs::create_directories(folder);
        fs::copy_file(fs::path(SONOTAG_APP_DIR) / "Sonotag.exe", folder / "Sonotag.exe");
        fs::copy_file(Fixture("dictionary.txt"), folder / "dictionary.txt");
    }
    void Write(const char* name, const std::string& text) const {
        std::ofstream(folder_ / name, std::ios::binary) << text;
    }
    std::string Read(const char* name) const {
        std::ifstream in(folder_ / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    // The keys of config.ini in order, as the profile functions read them.
    static std::vector<std::wstring> ConfigLines(const fs::path& folder) {
        std::vector<wchar_t> section(1 << 16);
        GetPrivateProfileSectionW(L"COM", section.data(), static_cast<DWORD>(section.size()),
                                  (folder / "config.ini").wstring().c_str());
        std::vector<std::wstring> lines;
        for (const wchar_t* line = section.data(); *line; line += lines.back().size() + 1) lines.emplace_back(line);
        return lines;
    }
    // The keys as the program writes them with the default settings.
    static std::vector<std::wstring> DefaultConfigLines(const std::wstring& idver = kCs3) {
        return {L"IDVER=" + idver, L"CHARSTYLE=", L"FGF=S",     L"SYML=\\",
                L"SYMR=\\",        L"YBVER=0",    L"UNICODE=1", L"LOOSE=1"};
    }

    void Start() { process_.emplace(folder_ / "Sonotag.exe"); }
    DWORD pid() const { return process_->id; }
    // Leaves the version choice with `button`, `progId` chosen if given.
    bool LeaveVersionChoice(const wchar_t* progId = nullptr, int button = IDOK) {
        HWND version = WaitForDialog(pid(), kVersionCaption);
        if (version && progId) {
            SendMessageW(GetDlgItem(version, IDC_VERSION_LIST), CB_SELECTSTRING, static_cast<WPARAM>(-1),
                         reinterpret_cast<LPARAM>(progId));
        }
        ClickButton(version, button);
        return version && WaitUntilHidden(version);
    }
    // Starts the program and confirms `progId`, or the version preselected.
    HWND StartToMainWindow(const wchar_t* progId = nullptr) {
        Start();
        return LeaveVersionChoice(progId) ? WaitForDialog(pid(), kMainCaption, IDC_FINISH) : nullptr;
    }
    void FinishAndExpectCleanExit(HWND main) {
        ClickButton(main, IDC_FINISH);
        EXPECT_EQ(process_->wait(), 0u);
    }
    // standin-host.exe started by hand on `document`, like a user's open InDesign.
    void StartHost(const fs::path& document = Fixture("lesson.json")) {
        host_.emplace(L"--document \"" + document.wstring() + L"\"");
        ASSERT_TRUE(host_->waitUntilReady()) << "the stand-in host did not start";
    }
    // "开始注音标>>" (or `command`): one message, one of `texts`; then the button enabled again.
    void ExpectOneMessage(HWND main, std::initializer_list<std::wstring> texts, void (*command)(HWND) = nullptr) {
        command ? command(main) : ClickButton(main, IDC_ANNOTATE);
        const auto text = DismissMessageBox(pid(), 60s);
        EXPECT_TRUE(text && std::find(texts.begin(), texts.end(), *text) != texts.end()) << text.value_or(L"none");
        EXPECT_FALSE(DismissMessageBox(pid(), 1s)) << "one message only";
        EXPECT_TRUE(WaitFor([&] { return IsWindowEnabled(GetDlgItem(main, IDC_ANNOTATE)) != FALSE; }));
    }

    fs::path folder_;
    std::optional<Process> process_;
    std::optional<test::StandInProcess> host_;
};

namespace {

// Start to end: the start-up choice preselects the saved version (equal in any case, else the first it begins),
// and leaving it writes nothing; every way to end the topmost main window writes the settings. A config.ini that
// cannot be written (read-only is no test: Wine's root writes it) stays as it was; a word list that cannot be read
// gets a stop message naming it, and runs then change nothing. Nothing else is ever said.
enum class Trouble { None, Missing, Folder, HeldFromTheStart, HeldAtTheEnd };

// No `idver`: no config.ini; `file` has the trouble; no `end`: leave the start-up choice.
struct StartToEnd { const char *name, *idver, *file; Trouble trouble; const wchar_t* shown; void (*end)(HWND); };

void Finish(HWND main) { ClickButton(main, IDC_FINISH); }

const StartToEnd kStartsToEnds[] = {
    {"FinishOnFirstStart", nullptr, "", Trouble::None, kCs3, Finish},
    {"EscOtherCase", "indesign.application.cs4", "", Trouble::None, kCs4, [](HWND m) { PressKey(VK_ESCAPE, 0, m); }},
    {"EnterPressesFinishRightAfterStartPrefix", "InDesign.Application.CS", "", Trouble::None,
     L"InDesign.Application.CS2", [](HWND m) { PressKey(VK_RETURN, false, m); }},
    {"CloseBoxVersionIndependent", "InDesign.Application", "", Trouble::None, L"InDesign.Application",
     [](HWND m) { PostSystemCommand(m, SC_CLOSE); }},
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
        held = KernelHandle(CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
        return static_cast<bool>(held);
    };
    ASSERT_TRUE(row.trouble != Trouble::HeldFromTheStart || hold());
    StartHost();
    const HostProbe probe;
    Start();
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
    HWND main = WaitForDialog(pid(), kMainCaption, IDC_FINISH);
    ASSERT_NE(main, nullptr);
    EXPECT_TRUE(GetWindowLongW(main, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(DialogsOf(pid()), std::vector<HWND>{main});
    if (row.trouble != Trouble::None) {
        ExpectOneMessage(main, {kCompletion});
        EXPECT_EQ(probe.storyText(), wordList ? kLessonText : kAnnotatedLesson);
        EXPECT_TRUE(!wordList || probe.count(control::kUndoStepCount) == 0) << "the run changed something";
    }
    ASSERT_TRUE(row.trouble != Trouble::HeldAtTheEnd || hold());
    row.end(main);
    EXPECT_EQ(process_->wait(), 0u);
    held = KernelHandle();
    if (wordList || row.trouble == Trouble::None) {
        EXPECT_EQ(ConfigLines(folder_), DefaultConfigLines(row.shown));
    } else {
        EXPECT_TRUE(row.trouble == Trouble::Folder ? fs::is_empty(file) : Read("config.ini") == config);
    }
}

INSTANTIATE_TEST_SUITE_P(Rows, StartToEndTest, ::testing::ValuesIn(kStartsToEnds), test::CaseName());

// The main window's commands without a host: help opens the page beside the program, if any, silently (the modal
// About box, asked for next, shows alone); the comparison table is one window that closing hides; a run and the
// menu's removal each report the missing host once, and the menu dismissed does nothing.
class WithoutAHostTest : public SonotagTest, public ::testing::WithParamInterface<bool> {};

TEST_P(WithoutAHostTest, CommandsOfTheMainWindow) {
    const bool page = GetParam();  // help.html beside the program
    if (page) Write("help.html", "<html><body>help</body></html>");
    // .html opens with a command writing the path it gets (machine-wide: Wine merges no user classes).
    const fs::path record = folder_ / "opened.txt";
    const std::wstring command = L"cmd.exe /c echo %1>\"" + record.wstring() + L"\"";
    ASSERT_FALSE(RegSetKeyValueW(HKEY_CLASSES_ROOT, L".html", nullptr, REG_SZ, L"SonotagTest.Help", 34));
    ASSERT_FALSE(RegSetKeyValueW(HKEY_CLASSES_ROOT, L"SonotagTest.Help\\shell\\open\\command", nullptr, REG_SZ,
                                 command.c_str(), static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t))));
    HWND main = StartToMainWindow(L"InDesign.Application.CS2");
    ASSERT_NE(main, nullptr);
    PostCommand(main, ID_HELP_PAGE);
    PostSystemCommand(main, IDM_ABOUT);
    HWND about = WaitForDialog(pid(), L"关于 Sonotag");
    ASSERT_NE(about, nullptr);
    Sleep(300);
    EXPECT_EQ(DialogsOf(pid()).size(), 2u) << "a message besides the main window and About";
    EXPECT_FALSE(IsWindowEnabled(main)) << "the About box is modal";
    EXPECT_TRUE(page ? WaitFor([&] { return fs::exists(record) && fs::file_size(record) > 0; }) : !fs::exists(record));
    EXPECT_EQ(Read("opened.txt").find((folder_ / "help.html").make_preferred().string()) != std::string::npos, page);
    ClickButton(about, IDOK);
    ASSERT_TRUE(WaitUntilHidden(about));

    constexpr wchar_t kTable[] = L"金山IPA14音标符号对照表";
    ClickButton(main, IDC_COMPARISON_TABLE);
    HWND table = WaitForDialog(pid(), kTable);
    ASSERT_NE(table, nullptr);
    EXPECT_NE(SendMessageW(GetWindow(table, GW_CHILD), STM_GETIMAGE, IMAGE_BITMAP, 0), 0) << "the picture loaded";
    ClickButton(main, IDC_COMPARISON_TABLE);
    Sleep(500);
    EXPECT_EQ(DialogsOf(pid(), kTable), std::vector<HWND>{table});
    PostSystemCommand(table, SC_CLOSE);
    ASSERT_TRUE(WaitUntilHidden(table));
    ClickButton(main, IDC_COMPARISON_TABLE);
    EXPECT_EQ(WaitForDialog(pid(), kTable), table) << "closing only hides it";

    ExpectOneMessage(main, {ErrorReport(host::kInvalidPointer)});
    ASSERT_TRUE(UseButtonMenu(main, {VK_ESCAPE}));
    EXPECT_FALSE(DismissMessageBox(pid(), 1s)) << "the dismissed menu did something";
    ExpectOneMessage(main, {ErrorReport(host::kInvalidPointer)}, [](HWND m) { EXPECT_TRUE(PickRemoval(m)); });
    FinishAndExpectCleanExit(main);  // the table open
    EXPECT_EQ(ConfigLines(folder_), DefaultConfigLines(L"InDesign.Application.CS2"));
}

INSTANTIATE_TEST_SUITE_P(HelpPage, WithoutAHostTest, ::testing::Bool(),
                         [](const auto& page) { return page.param ? "Beside" : "Missing"; });

// Alt+1 restores the minimised window where it was; a second instance runs without it, silently.
TEST_F(SonotagTest, SecondInstanceRunsSilentlyWithoutTheHotKeyThatTheFirstKeeps) {
    HWND first = StartToMainWindow();
    ASSERT_NE(first, nullptr);
    RECT before{}, after{};
    GetWindowRect(first, &before);
    CopyProgramTo(folder_ / "second");
    Process second(folder_ / "second" / "Sonotag.exe");
    HWND version = WaitForDialog(second.id, kVersionCaption);
    ASSERT_NE(version, nullptr);
    ClickButton(version, IDOK);
    HWND secondMain = WaitForDialog(second.id, kMainCaption, IDC_FINISH);
    ASSERT_NE(secondMain, nullptr);
    PostSystemCommand(first, SC_MINIMIZE);
    PostSystemCommand(secondMain, SC_MINIMIZE);
    ASSERT_TRUE(WaitFor([&] { return IsIconic(first) && IsIconic(secondMain); }));
    PressKey('1', true);
    EXPECT_TRUE(WaitFor([&] { return !IsIconic(first) && GetWindowRect(first, &after) && EqualRect(&after, &before); }))
        << "the first instance lost its hot key, or came back elsewhere";
    Sleep(500);
    EXPECT_TRUE(IsIconic(secondMain)) << "the second instance answered Alt+1";
    EXPECT_EQ(DialogsOf(second.id), std::vector<HWND>{secondMain}) << "the failed registration is reported";
    PostSystemCommand(secondMain, SC_CLOSE);
    EXPECT_EQ(second.wait(), 0u);
    EXPECT_EQ(ConfigLines(folder_ / "second"), DefaultConfigLines());
    FinishAndExpectCleanExit(first);
}

// One visit of the settings: the styles listed (sorted: the control sorts by the user's locale) and the one shown;
// the entry spelled `style` chosen; with `left`, the tab separator, `left` on the left, no Unicode; then `button`.
struct SettingsWalk { const wchar_t *shown, *style, *left; int button; std::int32_t live; /* held after */ };

void WalkSettings(DWORD pid, HWND main, const std::vector<std::wstring>& styles, const SettingsWalk& walk) {
    PostCommand(main, ID_SETTINGS);
    HWND dialog = WaitForDialog(pid, L"音标设置");
    ASSERT_NE(dialog, nullptr);
    HWND combo = GetDlgItem(dialog, IDC_CHARACTER_STYLE);
    auto entries = ComboEntries(combo);
    EXPECT_TRUE(!walk.shown || ItemText(dialog, IDC_CHARACTER_STYLE) == walk.shown) << walk.shown;
    const auto chosen = std::find(entries.begin(), entries.end(), walk.style ? walk.style : L"?");
    if (walk.style) SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(chosen - entries.begin()), 0);
    if (walk.left) {
        ClickButton(dialog, IDC_TAB_BUTTON);
        SendMessageW(GetDlgItem(dialog, IDC_LEFT_SYMBOL), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(walk.left));
        CheckDlgButton(dialog, IDC_USE_UNICODE, BST_UNCHECKED);
    }
    std::sort(entries.begin(), entries.end());
    EXPECT_EQ(entries, styles);
    ClickButton(dialog, walk.button);
    ASSERT_TRUE(WaitUntilHidden(dialog));
}

// Attached through a later version's ProgID, as the user of a current InDesign is.
TEST_F(SonotagTest, MainPathGivesBackEveryHostObjectItTook) {
    StartHost();
    Write("config.ini", "[COM]\r\nIDVER=InDesign.Application.2024\r\nCHARSTYLE=:phonetics\r\n");
    const HostProbe probe;
    ASSERT_TRUE(LiveObjectsBecome(probe, 0));
    HWND main = StartToMainWindow();
    ASSERT_NE(main, nullptr);
    ASSERT_TRUE(LiveObjectsBecome(probe, 1)) << "the saved style, and nothing else";

    ExpectOneMessage(main, {kCompletion});
    EXPECT_TRUE(LiveObjectsBecome(probe, 1)) << "after the run";
    EXPECT_EQ(probe.storyText(), kAnnotatedLesson);
    EXPECT_TRUE(probe.everyRunHas("characterStyle", ":phonetics"));
    ASSERT_TRUE(PickRemoval(main));
    ASSERT_TRUE(WaitFor([&] { return probe.count(control::kUndoStepCount) == 0; })) << "the removal did not run";
    EXPECT_FALSE(DismissMessageBox(pid(), 1s)) << "a removal that works says nothing";
    EXPECT_EQ(probe.storyText(), kLessonText);
    EXPECT_TRUE(LiveObjectsBecome(probe, 1)) << "after the removal";

    // Two styles differ only in case: the dialog shows the saved one, whichever sorts first.
    const std::vector<std::wstring> styles = {L":Group:Inner:Style", L":Group:Plain", L":Phonetics", L":[无]",
                                              L":phonetics"};
    const SettingsWalk walks[] = {
        {L":phonetics", L":Phonetics", L"[", IDOK, 1},  // the old style given back
        {L":Phonetics", L":phonetics", L"x", IDCANCEL, 1},
        {L":Phonetics", nullptr, nullptr, IDOK, 1},
        {nullptr, L":[无]", nullptr, IDOK, 0},
        {nullptr, L":Group:Inner:Style", nullptr, IDOK, 1},
    };
    for (const auto& walk : walks) {
        WalkSettings(pid(), main, styles, walk);
        EXPECT_TRUE(LiveObjectsBecome(probe, walk.live)) << (walk.style ? walk.style : L"no change");
    }
    for (const int button : {IDCANCEL, IDOK}) {
        PostCommand(main, ID_CHOOSE_VERSION);
        ASSERT_TRUE(LeaveVersionChoice(button == IDOK ? nullptr : kCs4, button));
    }
    EXPECT_TRUE(LiveObjectsBecome(probe, 1)) << "attached again: the style and nothing else";
    ExpectOneMessage(main, {kCompletion});
    EXPECT_TRUE(probe.everyRunHas("characterStyle", ":Group:Inner:Style"));
    FinishAndExpectCleanExit(main);
    EXPECT_TRUE(LiveObjectsBecome(probe, 0)) << "after the main window closed";
    const std::vector<std::wstring> config = {L"IDVER=InDesign.Application.2024", L"CHARSTYLE=:Group:Inner:Style",
                                              L"FGF=T", L"SYML=[", L"SYMR=\\", L"YBVER=0", L"UNICODE=0", L"LOOSE=1"};
    EXPECT_EQ(ConfigLines(folder_), config);
}

// During a run on a slow host an ending command ends the program after the run, any other host command is ignored.
// Sent: a thread waiting on a COM call takes sent messages at once; Wine leaves posted ones until the run's box.
void SendCommand(HWND main, int id) { SendNotifyMessageW(main, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0); }

struct CommandDuringARun { const char* name; void (*send)(HWND main); bool ends; };

const CommandDuringARun kCommandsDuringARun[] = {
    {"CloseBox", [](HWND main) { SendNotifyMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0); }, true},
    {"Finish", [](HWND main) { SendCommand(main, IDC_FINISH); }, true},
    {"Esc", [](HWND main) { SendCommand(main, IDCANCEL); }, true},
    {"EveryOtherHostCommand", [](HWND main) {
         for (int id : {IDC_ANNOTATE, ID_REMOVE_ANNOTATIONS, ID_SETTINGS, ID_CHOOSE_VERSION}) SendCommand(main, id);
     }, false},
};

class CommandDuringARunTest : public SonotagTest, public ::testing::WithParamInterface<CommandDuringARun> {};

TEST_P(CommandDuringARunTest, WaitsForTheRunOrIsIgnored) {
    StartHost();
    const HostProbe probe;
    ASSERT_TRUE(probe.delayCalls(40));
    HWND main = StartToMainWindow();
    ASSERT_NE(main, nullptr);
    ClickButton(main, IDC_ANNOTATE);
    ASSERT_TRUE(WaitFor([&] { return probe.count(control::kCallCount) >= 3; }, 30s)) << "no run";
    GetParam().send(main);
    EXPECT_EQ(DismissMessageBox(pid(), 60s), kCompletion);
    if (!GetParam().ends) {
        EXPECT_FALSE(DismissMessageBox(pid(), 2s)) << "one run, one completion box";
        EXPECT_EQ(DialogsOf(pid()), std::vector<HWND>{main}) << "no dialog of the ignored commands";
        ClickButton(main, IDC_FINISH);
    }
    EXPECT_EQ(process_->wait(), 0u);
    EXPECT_EQ(ConfigLines(folder_), DefaultConfigLines());
    EXPECT_TRUE(LiveObjectsBecome(probe, 0));
    EXPECT_EQ(probe.storyText(), kAnnotatedLesson) << "one run, nothing taken back";
    EXPECT_TRUE(probe.everyRunHas("font", "Lucida Sans Unicode"));
}

INSTANTIATE_TEST_SUITE_P(SlowHost, CommandDuringARunTest, ::testing::ValuesIn(kCommandsDuringARun),
                         test::CaseName());

// Killed mid-run, the host is reported once per command and the settings show no styles; the menu attaches a new
// one, which resolves the saved style. Restarts the RPC service, so it runs as a step of its own.
TEST_F(SonotagTest, VanishedHostIsReportedOnceAndTheMenuAttachesAnew) {
    Write("config.ini", "[COM]\r\nIDVER=InDesign.Application.CS3\r\nCHARSTYLE=:Phonetics\r\n");
    StartHost(Fixture("long-lesson.json"));
    HWND main = StartToMainWindow();
    ASSERT_NE(main, nullptr);
    {
        HostProbe probe;
        ClickButton(main, IDC_ANNOTATE);
        ASSERT_TRUE(WaitFor([&] { return probe.count(control::kCallCount) >= 200; }, 30s)) << "no run";
        probe.release();
        host_->kill();
    }
    for (void (*command)(HWND) : {+[](HWND) {}, +[](HWND m) { ClickButton(m, IDC_ANNOTATE); },
                                  +[](HWND m) { EXPECT_TRUE(PickRemoval(m)); }}) {
        ExpectOneMessage(main, {ErrorReport(host::kServerUnavailable), ErrorReport(host::kCallFailed)}, command);
    }
    WalkSettings(pid(), main, {}, {L":Phonetics", nullptr, nullptr, IDOK, 0});
    EXPECT_FALSE(DismissMessageBox(pid(), 1s)) << "the settings say nothing";

    EXPECT_TRUE(test::ForgetDeadServers());
    StartHost();
    PostCommand(main, ID_CHOOSE_VERSION);
    ASSERT_TRUE(LeaveVersionChoice()) << "a hang on the dead host's references";
    ExpectOneMessage(main, {kCompletion});
    const HostProbe probe;
    EXPECT_TRUE(LiveObjectsBecome(probe, 1)) << "the style, and nothing else";
    EXPECT_TRUE(probe.everyRunHas("characterStyle", ":Phonetics"));
    FinishAndExpectCleanExit(main);
    EXPECT_EQ(ConfigLines(folder_).at(1), L"CHARSTYLE=:Phonetics");
}

}  // namespace
}  // namespace sonotag::gui
