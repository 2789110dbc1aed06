#include "GuiDriver_win32.h"

#include <cstdint>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>

#include "host/AutomationError.h"
#include "host/HostObject.h"
#include "standin/ControlCodes.h"
#include "standin/LocalServer_win32.h"

namespace sonotag::gui {
namespace fs = std::filesystem;

fs::path ProgramBuildFolder() { return fs::path(SONOTAG_APP_DIR); }
fs::path GuiWorkFolder() { return fs::path(SONOTAG_GUI_WORK); }
fs::path FixtureFolder() { return fs::path(SONOTAG_GUI_FIXTURES); }

// ---- test folder ----

TestFolder::TestFolder(const std::string& name) : path_(GuiWorkFolder() / "runs" / name) {
    fs::remove_all(path_);
    fs::create_directories(path_);
}

void TestFolder::copyProgram() const {
    fs::copy_file(ProgramBuildFolder() / "Sonotag.exe", path_ / "Sonotag.exe", fs::copy_options::overwrite_existing);
}

void TestFolder::copyDictionary(const fs::path& source) const {
    fs::copy_file(source, path_ / "dictionary.txt", fs::copy_options::overwrite_existing);
}

void TestFolder::writeFile(const std::string& name, const std::string& bytes) const {
    std::ofstream out(path_ / name, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

bool TestFolder::exists(const std::string& name) const { return fs::exists(path_ / name); }

std::string TestFolder::readFile(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// ---- process ----

Process::Process(const fs::path& executable, const std::wstring& arguments) {
    std::wstring commandLine = L"\"" + executable.wstring() + L"\"";
    if (!arguments.empty()) commandLine += L" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    const std::wstring folder = executable.parent_path().wstring();
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &info)) {
        throw std::runtime_error("cannot start " + executable.string());
    }
    CloseHandle(info.hThread);
    process_ = KernelHandle(info.hProcess);
    id_ = info.dwProcessId;
}

Process::~Process() {
    if (process_ && running()) kill();
}

std::optional<DWORD> Process::wait(Duration timeout) {
    if (WaitForSingleObject(process_.get(), static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0) return std::nullopt;
    DWORD code = 0;
    GetExitCodeProcess(process_.get(), &code);
    return code;
}

bool Process::running() const { return WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }

void Process::kill() {
    TerminateProcess(process_.get(), 99);
    WaitForSingleObject(process_.get(), 10000);
}


StandIn::StandIn(const fs::path& document, const fs::path& dump) : dump_(dump) {
    fs::remove(dump_);
    const KernelHandle ready(CreateEventW(nullptr, TRUE, FALSE, standin::kReadyEventName));
    ResetEvent(ready.get());
    process_.emplace(fs::path(SONOTAG_STANDIN_HOST),
                     L"--document \"" + document.wstring() + L"\" --save-on-exit \"" + dump.wstring() + L"\"");
    // Ready, or ended at once (another host runs, the document is bad).
    const HANDLE events[] = {ready.get(), process_->handle()};
    ready_ = WaitForMultipleObjects(2, events, FALSE, 30000) == WAIT_OBJECT_0;
}

StandIn::~StandIn() {
    if (process_ && process_->running()) close();
}

bool StandIn::close() {
    HWND window = FindWindowExW(HWND_MESSAGE, nullptr, standin::kWindowClass, nullptr);
    if (window) PostMessageW(window, WM_CLOSE, 0, 0);
    const auto code = process_->wait(20s);
    return code == 0u && fs::exists(dump_);
}

void StandIn::kill() {
    if (process_) process_->kill();
}

bool EndStandInHosts(Duration timeout) {
    for (HWND window = FindWindowExW(HWND_MESSAGE, nullptr, standin::kWindowClass, nullptr); window;
         window = FindWindowExW(HWND_MESSAGE, window, standin::kWindowClass, nullptr)) {
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
    // The host owns its instance mutex for its whole life.
    return WaitFor(
        [] {
            const KernelHandle mutex(OpenMutexW(SYNCHRONIZE, FALSE, standin::kInstanceMutexName));
            return !mutex;
        },
        timeout);
}

// ---- the second client ----

HostProbe::HostProbe() {
    if (apartment_.isInitialised()) host::AttachHost(u"InDesign.Application.CS3", connection_);
}

HostProbe::~HostProbe() { connection_.release(); }

std::optional<std::int64_t> HostProbe::liveObjects() const { return counter(standin::control::kLiveObjects); }

std::optional<std::int64_t> HostProbe::totalCalls() const { return counter(standin::control::kCallCount); }

std::optional<std::int64_t> HostProbe::undoSteps() const { return counter(standin::control::kUndoStepCount); }

bool HostProbe::delayCalls(std::int32_t milliseconds) const {
    if (!connection_.isAttached()) return false;
    try {
        const host::Value delay(milliseconds);
        connection_.application()->invoke(standin::control::kDelayCalls, host::InvokeKind::Method, {&delay, 1},
                                           host::ValueType::Any);
        return true;
    } catch (const host::AutomationError&) {
        return false;
    }
}

std::optional<std::int64_t> HostProbe::counter(std::uint32_t code) const {
    if (!connection_.isAttached()) return std::nullopt;
    try {
        return connection_.application()
            ->invoke(code, host::InvokeKind::Method, {}, host::ValueType::Integer)
            .integer();
    } catch (const host::AutomationError&) {
        return std::nullopt;
    }
}

// ---- a file another program holds ----

ExclusiveHold::ExclusiveHold(const fs::path& file)
    : handle_(CreateFileW(file.wstring().c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                          nullptr)) {}



// ---- windows ----

std::wstring TextOf(HWND window) {
    wchar_t text[1024] = {};
    // WM_GETTEXT, not GetWindowText: the latter does not ask another process's controls.
    SendMessageTimeoutW(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                        nullptr);
    return text;
}

std::wstring ItemText(HWND dialog, int id) { return TextOf(GetDlgItem(dialog, id)); }

namespace {

std::wstring ClassOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, static_cast<int>(std::size(name)));
    return name;
}

struct Search {
    DWORD processId;
    const std::wstring* caption;
    bool visibleOnly;
    std::vector<HWND> found;
    bool dialogsOnly = true;
};

BOOL CALLBACK Collect(HWND window, LPARAM data) {
    auto& search = *reinterpret_cast<Search*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search.processId) return TRUE;
    if (search.dialogsOnly && ClassOf(window) != L"#32770") return TRUE;
    if (search.visibleOnly && !IsWindowVisible(window)) return TRUE;
    if (search.caption && TextOf(window) != *search.caption) return TRUE;
    search.found.push_back(window);
    return TRUE;
}

std::vector<HWND> FindDialogs(DWORD processId, const std::wstring* caption, bool visibleOnly) {
    Search search{processId, caption, visibleOnly, {}};
    EnumWindows(&Collect, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

HWND WaitForDialog(DWORD processId, const std::wstring& caption, Duration timeout) {
    HWND found = nullptr;
    WaitFor(
        [&] {
            const auto windows = FindDialogs(processId, &caption, true);
            if (!windows.empty()) found = windows.front();
            return found != nullptr;
        },
        timeout);
    return found;
}

std::vector<HWND> DialogsOf(DWORD processId, const std::wstring& caption) {
    return FindDialogs(processId, &caption, false);
}

std::vector<HWND> VisibleDialogsOf(DWORD processId) { return FindDialogs(processId, nullptr, true); }

std::vector<HWND> VisibleWindowsOf(DWORD processId) {
    Search search{processId, nullptr, true, {}, false};
    EnumWindows(&Collect, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

bool WaitUntilHidden(HWND window, Duration timeout) {
    return WaitFor([&] { return !IsWindow(window) || !IsWindowVisible(window); }, timeout);
}

namespace {

// A device-independent bitmap selected into a memory DC of its own, made
// compatible with the screen; every GDI object goes with it.
class Canvas {
public:
    // Rows top-down, or bottom-up as a BMP file stores them.
    Canvas(int width, int height, WORD bitCount, bool topDown) : width_(width), height_(height) {
        header_.biSize = sizeof header_;
        header_.biWidth = width;
        header_.biHeight = topDown ? -height : height;
        header_.biPlanes = 1;
        header_.biBitCount = bitCount;
        header_.biCompression = BI_RGB;
        BITMAPINFO info{};
        info.bmiHeader = header_;
        bitmap_ = CreateDIBSection(screen_, &info, DIB_RGB_COLORS, &bits_, nullptr, 0);
        previous_ = SelectObject(memory_, bitmap_);
    }
    ~Canvas() {
        SelectObject(memory_, previous_);
        DeleteObject(bitmap_);
        DeleteDC(memory_);
        ReleaseDC(nullptr, screen_);
    }
    Canvas(const Canvas&) = delete;
    Canvas& operator=(const Canvas&) = delete;

    HDC dc() const { return memory_; }
    const BITMAPINFOHEADER& header() const { return header_; }
    void copyFromScreen(int x, int y) const { BitBlt(memory_, 0, 0, width_, height_, screen_, x, y, SRCCOPY); }
    const void* bits() const {
        GdiFlush();  // what GDI still queues lands in the bits first
        return bits_;
    }
    std::vector<std::uint32_t> pixels() const {  // of a 32-bit canvas
        const auto* first = static_cast<const std::uint32_t*>(bits());
        return {first, first + static_cast<std::size_t>(width_) * static_cast<std::size_t>(height_)};
    }

private:
    int width_;
    int height_;
    HDC screen_ = GetDC(nullptr);
    HDC memory_ = CreateCompatibleDC(screen_);
    BITMAPINFOHEADER header_{};
    void* bits_ = nullptr;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ previous_ = nullptr;
};

// A system icon drawn on `background`, as the box would show it.
std::vector<std::uint32_t> DrawnIcon(LPCWSTR id, std::uint32_t background, int size) {
    const Canvas canvas(size, size, 32, true);
    HBRUSH brush = CreateSolidBrush(RGB((background >> 16) & 0xFF, (background >> 8) & 0xFF, background & 0xFF));
    RECT all{0, 0, size, size};
    FillRect(canvas.dc(), &all, brush);
    DeleteObject(brush);
    DrawIconEx(canvas.dc(), 0, 0, LoadIconW(nullptr, id), size, size, 0, nullptr, DI_NORMAL);
    return canvas.pixels();
}

// The box's icon, told by its looks: the icon control is 0x14 on Windows
// and 0x440 under Wine, and icon handles do not cross processes.
BoxIcon IconOf(HWND box) {
    HWND control = GetDlgItem(box, 0x14);
    if (!control) control = GetDlgItem(box, 0x440);
    if (!control || !IsWindowVisible(control)) return BoxIcon::None;
    const int size = GetSystemMetrics(SM_CXICON);
    RECT place{};
    GetWindowRect(control, &place);
    const Canvas canvas(size, size, 32, true);
    canvas.copyFromScreen(place.left, place.top);
    const auto shown = canvas.pixels();
    const std::pair<LPCWSTR, BoxIcon> known[] = {
        {IDI_HAND, BoxIcon::Stop},
        {IDI_EXCLAMATION, BoxIcon::Exclamation},
        {IDI_ASTERISK, BoxIcon::Information},
    };
    for (const auto& [id, kind] : known) {
        const auto drawn = DrawnIcon(id, shown.front() & 0xFFFFFF, size);
        std::size_t same = 0;
        for (std::size_t i = 0; i < shown.size(); ++i) same += (shown[i] & 0xFFFFFF) == (drawn[i] & 0xFFFFFF);
        if (same * 10 >= shown.size() * 9) return kind;
    }
    return BoxIcon::Other;
}

}  // namespace

std::optional<MessageBoxSeen> WaitForMessageBox(DWORD processId, Duration timeout) {
    const std::wstring caption = kMessageBoxCaption;
    std::optional<MessageBoxSeen> seen;
    WaitFor(
        [&] {
            for (HWND window : FindDialogs(processId, &caption, true)) {
                // A message box has its text in static control 0xFFFF; the
                // main window, also captioned "Sonotag", has none.
                HWND text = GetDlgItem(window, 0xFFFF);
                if (!text) continue;
                Sleep(300);  // let the box paint before its icon is read
                seen = MessageBoxSeen{window, TextOf(text), IconOf(window)};
                return true;
            }
            return false;
        },
        timeout);
    return seen;
}

void Dismiss(const MessageBoxSeen& box) {
    ClickButton(box.window, IDOK);
    WaitFor([&] { return !IsWindow(box.window); });
}

void ClickButton(HWND dialog, int id) { PostMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

void PostCommand(HWND window, int id) { PostMessageW(window, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void PostSystemCommand(HWND window, WPARAM command) { PostMessageW(window, WM_SYSCOMMAND, command, 0); }

bool IsTopmost(HWND window) { return (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// ---- input ----

namespace {

void SendKey(WORD virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
    Sleep(30);
}

void SendMouse(DWORD flags) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    SendInput(1, &input, sizeof input);
    Sleep(30);
}

}  // namespace

void BringToFront(HWND window) {
    SetForegroundWindow(window);
    WaitFor([&] { return GetForegroundWindow() == window; }, 3s);
}

void PressKey(WORD virtualKey) {
    SendKey(virtualKey, false);
    SendKey(virtualKey, true);
}

void PressKeyWithAlt(WORD virtualKey) {
    SendKey(VK_MENU, false);
    SendKey(virtualKey, false);
    SendKey(virtualKey, true);
    SendKey(VK_MENU, true);
}

void MoveCursorToCorner() { SetCursorPos(0, 0); }

void RightClick(HWND control) {
    RECT place{};
    GetWindowRect(control, &place);
    SetCursorPos((place.left + place.right) / 2, (place.top + place.bottom) / 2);
    Sleep(50);
    SendMouse(MOUSEEVENTF_RIGHTDOWN);
    SendMouse(MOUSEEVENTF_RIGHTUP);
}

namespace {

bool OpenButtonMenu(HWND mainWindow, HWND button) {
    BringToFront(mainWindow);
    MoveCursorToCorner();
    PostMessageW(button, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(5, 5));
    DWORD owner = 0;
    GetWindowThreadProcessId(mainWindow, &owner);
    const bool shown = WaitFor(
        [&] {
            for (HWND menu = FindWindowW(L"#32768", nullptr); menu; menu = FindWindowExW(nullptr, menu, L"#32768", nullptr)) {
                DWORD process = 0;
                GetWindowThreadProcessId(menu, &process);
                if (process == owner && IsWindowVisible(menu)) return true;
            }
            return false;
        },
        5s);
    return shown;
}

}  // namespace

bool PickFromButtonMenu(HWND mainWindow, HWND button) {
    if (!OpenButtonMenu(mainWindow, button)) return false;
    PressKey(VK_HOME);
    PressKey(VK_DOWN);
    PressKey(VK_RETURN);
    return true;
}

bool DismissButtonMenu(HWND mainWindow, HWND button) {
    if (!OpenButtonMenu(mainWindow, button)) return false;
    PressKey(VK_ESCAPE);
    return true;
}

std::vector<std::wstring> ComboEntries(HWND combo) {
    std::vector<std::wstring> entries;
    const LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        wchar_t text[512] = {};
        const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length < 0 || length >= static_cast<LRESULT>(std::size(text))) continue;
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
        entries.emplace_back(text);
    }
    return entries;
}

std::wstring SystemText(HRESULT result) {
    wchar_t* text = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(result), 0, reinterpret_cast<LPWSTR>(&text), 0, nullptr);
    std::wstring message = length && text ? std::wstring(text, length) : std::wstring();
    if (text) LocalFree(text);
    while (!message.empty() && (message.back() == L'\n' || message.back() == L'\r')) message.pop_back();
    return message;
}

// ---- screenshots ----

fs::path Screenshot(HWND window, const std::string& name) {
    RECT place{};
    GetWindowRect(window, &place);
    const int width = place.right - place.left;
    const int height = place.bottom - place.top;
    Sleep(300);  // let the last paint land

    const Canvas canvas(width, height, 24, false);
    canvas.copyFromScreen(place.left, place.top);

    const DWORD rowSize = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    const DWORD imageSize = rowSize * static_cast<DWORD>(height);
    BITMAPFILEHEADER file{};
    file.bfType = 0x4D42;  // "BM"
    file.bfOffBits = sizeof file + sizeof(BITMAPINFOHEADER);
    file.bfSize = file.bfOffBits + imageSize;
    const fs::path folder = GuiWorkFolder() / "screenshots";
    fs::create_directories(folder);
    const fs::path path = folder / (name + ".bmp");
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&canvas.header()), sizeof(BITMAPINFOHEADER));
    out.write(static_cast<const char*>(canvas.bits()), imageSize);
    return path;
}

// ---- config.ini ----

std::vector<std::wstring> ConfigLines(const TestFolder& folder) {
    const std::string bytes = folder.readFile("config.ini");
    std::wstring text;
    if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
        static_cast<unsigned char>(bytes[1]) == 0xFE) {
        text.assign(reinterpret_cast<const wchar_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
    } else if (!bytes.empty()) {
        const int length = MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
        text.resize(static_cast<std::size_t>(length));
        MultiByteToWideChar(CP_ACP, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(), length);
    }
    std::vector<std::wstring> lines;
    std::wstringstream stream(text);
    std::wstring line;
    while (std::getline(stream, line)) {
        if (!line.empty() && line.back() == L'\r') line.pop_back();
        if (!line.empty()) lines.push_back(line);
    }
    return lines;
}

}  // namespace sonotag::gui
