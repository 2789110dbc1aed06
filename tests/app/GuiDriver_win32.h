#pragma once
// Drives Sonotag.exe as a person would, from another process: finds its
// windows by class, caption and process, clicks buttons, posts menu
// commands, types keys, reads message boxes, and takes screenshots.

#include <windows.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/AttachHost_win32.h"
#include "base/OwnedHandle_win32.h"
#include "tests/support/RpcService_win32.h"

namespace sonotag::gui {

using namespace std::chrono_literals;
using Duration = std::chrono::milliseconds;

inline constexpr Duration kWindowTimeout = 20s;

// The captions of the program's windows.
inline constexpr wchar_t kMainCaption[] = L"Sonotag";
inline constexpr wchar_t kVersionCaption[] = L"选择Indesign版本";
inline constexpr wchar_t kSettingsCaption[] = L"音标设置";
inline constexpr wchar_t kTableCaption[] = L"金山IPA14音标符号对照表";
inline constexpr wchar_t kAboutCaption[] = L"关于 Sonotag";
inline constexpr wchar_t kMessageBoxCaption[] = L"Sonotag";

// Where the driver works: set by the build.
std::filesystem::path ProgramBuildFolder();  // Sonotag.exe, dictionary.txt, help.html
std::filesystem::path GuiWorkFolder();       // test folders and screenshots
std::filesystem::path FixtureFolder();

// A folder of its own for one test: the program and, as the test asks, its
// word list and config.ini.
class TestFolder {
public:
    explicit TestFolder(const std::string& name);
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path file(const std::string& name) const { return path_ / name; }
    void copyProgram() const;
    void copyDictionary(const std::filesystem::path& source) const;
    void writeFile(const std::string& name, const std::string& bytes) const;
    bool exists(const std::string& name) const;
    std::string readFile(const std::string& name) const;

private:
    std::filesystem::path path_;
};

// A process this driver started; ended when the object goes unless it has
// ended by itself.
class Process {
public:
    Process(const std::filesystem::path& executable, const std::wstring& arguments = {});
    ~Process();
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    DWORD id() const { return id_; }
    HANDLE handle() const { return process_.get(); }
    // The exit code, or nothing when the process still runs after `timeout`.
    std::optional<DWORD> wait(Duration timeout);
    bool running() const;
    // Ends the process at once, as a crash or the task manager would.
    void kill();

private:
    KernelHandle process_;
    DWORD id_ = 0;
};

// standin-host.exe started by hand with a document, like a user's open
// InDesign; closing it writes its document to a file the test reads.
class StandIn {
public:
    StandIn(const std::filesystem::path& document, const std::filesystem::path& dump);
    ~StandIn();
    StandIn(const StandIn&) = delete;
    StandIn& operator=(const StandIn&) = delete;

    bool ready() const { return ready_; }
    // Closes the host as a user closes an application; true when it ended
    // and wrote its document.
    bool close();
    // Ends the host at once, without writing its document: the host
    // application vanishes under its clients.
    void kill();

private:
    std::filesystem::path dump_;
    std::optional<Process> process_;
    bool ready_ = false;
};

// Closes every stand-in host of this prefix, hand-started or started by COM
// (one that a killed client still holds would wait for it for good), and
// waits until none runs. False when one still runs after `timeout`.
bool EndStandInHosts(Duration timeout = kWindowTimeout);

using test::ForgetDeadServers;

// A second client of the running stand-in host, beside Sonotag, through the
// same registration (InDesign.Application.CS3): reads the host's own
// counters, which these reads change neither. Empty when no host answered.
class HostProbe {
public:
    HostProbe();
    ~HostProbe();
    HostProbe(const HostProbe&) = delete;
    HostProbe& operator=(const HostProbe&) = delete;

    bool attached() const { return connection_.isAttached(); }
    // Host objects handed out to clients and not yet released (the
    // application object not counted); nothing when the host did not answer.
    std::optional<std::int64_t> liveObjects() const;
    // The calls clients made so far (the probe's own are not counted).
    std::optional<std::int64_t> totalCalls() const;
    // The active document's undo steps.
    std::optional<std::int64_t> undoSteps() const;
    // Makes each of the host's counted calls take `milliseconds` more (0:
    // none), so that a run lasts; false when the host did not answer.
    bool delayCalls(std::int32_t milliseconds) const;
    // Lets go of the host before it goes away.
    void release() { connection_.release(); }

private:
    std::optional<std::int64_t> counter(std::uint32_t code) const;

    host::OleApartment apartment_;
    host::HostConnection connection_;
};

// A file held open by this process without sharing, as another program may
// hold it: nobody else can open it meanwhile.
class ExclusiveHold {
public:
    explicit ExclusiveHold(const std::filesystem::path& file);
    ExclusiveHold(const ExclusiveHold&) = delete;
    ExclusiveHold& operator=(const ExclusiveHold&) = delete;
    bool held() const { return static_cast<bool>(handle_); }

private:
    KernelHandle handle_;
};

// The first visible top-level dialog (#32770) of `processId` with exactly
// `caption`, waited for; nullptr when none came within `timeout`.
HWND WaitForDialog(DWORD processId, const std::wstring& caption, Duration timeout = kWindowTimeout);
// Every top-level window of `processId` with `caption`, visible or not.
std::vector<HWND> DialogsOf(DWORD processId, const std::wstring& caption);
// Every visible top-level dialog of `processId`, whatever its caption.
std::vector<HWND> VisibleDialogsOf(DWORD processId);
// Every visible top-level window of `processId`, of any class.
std::vector<HWND> VisibleWindowsOf(DWORD processId);
// Waits until `window` is gone or hidden.
bool WaitUntilHidden(HWND window, Duration timeout = kWindowTimeout);

std::wstring TextOf(HWND window);
std::wstring ItemText(HWND dialog, int id);

enum class BoxIcon { None, Stop, Exclamation, Information, Other };

// A message box of the program: its text (control 0xFFFF) and its icon.
struct MessageBoxSeen {
    HWND window = nullptr;
    std::wstring text;
    BoxIcon icon = BoxIcon::None;
};
std::optional<MessageBoxSeen> WaitForMessageBox(DWORD processId, Duration timeout = kWindowTimeout);
// Presses the box's OK button and waits until it is gone.
void Dismiss(const MessageBoxSeen& box);

// Clicks a button of a dialog (BM_CLICK, posted so a modal box it opens
// does not block the driver).
void ClickButton(HWND dialog, int id);
// Picks a menu command of a window, as the menu does.
void PostCommand(HWND window, int id);
void PostSystemCommand(HWND window, WPARAM command);

// Keyboard and mouse through the system's input queue.
void BringToFront(HWND window);
void PressKey(WORD virtualKey);
void PressKeyWithAlt(WORD virtualKey);
void MoveCursorToCorner();
void RightClick(HWND control);

bool IsTopmost(HWND window);

// Opens the annotate button's menu with the right button and picks its
// first item with the keyboard (Home, Down, Enter; the cursor kept in a
// corner so it points at no item). False when no menu came.
bool PickFromButtonMenu(HWND mainWindow, HWND button);
// Opens the same menu and closes it with Esc, choosing nothing.
bool DismissButtonMenu(HWND mainWindow, HWND button);

// The entries of a combo box of another process, in the order shown.
std::vector<std::wstring> ComboEntries(HWND combo);

// The system's text for a result, as a message box shows it.
std::wstring SystemText(HRESULT result);

// Saves the window as it is on screen to `name`.bmp in the screenshot folder.
std::filesystem::path Screenshot(HWND window, const std::string& name);

// The lines of config.ini in order, decoded (UTF-16 with a byte-order mark
// or the ANSI code page).
std::vector<std::wstring> ConfigLines(const TestFolder& folder);

// Runs `condition` until it holds or `timeout` passes.
template <class Condition>
bool WaitFor(Condition condition, Duration timeout = kWindowTimeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > end) return false;
        Sleep(50);
    }
    return true;
}

}  // namespace sonotag::gui
