#include "app/MainWindow_win32.h"

#include <shellapi.h>

#include <array>
#include <utility>

#include "app/AboutBox_win32.h"
#include "app/ShellRules.h"
#include "app/MessageBox_win32.h"
#include "app/SettingsDialog_win32.h"
#include "app/VersionDialog_win32.h"
#include "app/Win32Text_win32.h"
#include "base/Paths.h"
#include "res/resource.h"

namespace sonotag {
namespace {

constexpr UINT kHotKeyModifiers = MOD_ALT;
constexpr UINT kHotKey = 0x31;  // "1" of the main keyboard

// While the document is being changed, a session end that waits for it
// shows the user why (without a reason, only the program's name).
class ShutdownBlock {
public:
    ShutdownBlock(HWND window, const std::u16string& reason)
        : window_(window), blocked_(ShutdownBlockReasonCreate(window, Wide(reason)) != FALSE) {}
    ~ShutdownBlock() {
        if (blocked_) ShutdownBlockReasonDestroy(window_);
    }
    ShutdownBlock(const ShutdownBlock&) = delete;
    ShutdownBlock& operator=(const ShutdownBlock&) = delete;

private:
    HWND window_;
    bool blocked_;
};

}  // namespace

const CommandHandler<MainWindow> MainWindow::kCommands[] = {
    CommandHandler<MainWindow>{IDC_ANNOTATE, BN_CLICKED, &MainWindow::OnAnnotate},
    CommandHandler<MainWindow>{ID_REMOVE_ANNOTATIONS, 0, &MainWindow::OnRemoveAnnotations},
    CommandHandler<MainWindow>{IDC_COMPARISON_TABLE, BN_CLICKED, &MainWindow::OnComparisonTable},
    CommandHandler<MainWindow>{IDC_FINISH, BN_CLICKED, &MainWindow::OnFinish},
    CommandHandler<MainWindow>{ID_CHOOSE_VERSION, 0, &MainWindow::OnChooseVersion},
    CommandHandler<MainWindow>{ID_SETTINGS, 0, &MainWindow::OnSettings},
    CommandHandler<MainWindow>{ID_HELP_PAGE, 0, &MainWindow::OnHelp},
};

const MessageHandler<MainWindow> MainWindow::kMessages[] = {
    MessageHandler<MainWindow>{WM_SYSCOMMAND, &MainWindow::OnSysCommand},
    MessageHandler<MainWindow>{WM_HOTKEY, &MainWindow::OnHotKey},
    MessageHandler<MainWindow>{WM_CLOSE, &MainWindow::OnClose},
    MessageHandler<MainWindow>{WM_QUERYENDSESSION, &MainWindow::OnQueryEndSession},
    MessageHandler<MainWindow>{WM_ENDSESSION, &MainWindow::OnEndSession},
    MessageHandler<MainWindow>{WM_DESTROY, &MainWindow::OnDestroy},
    MessageHandler<MainWindow>{WM_PAINT, &MainWindow::OnPaint},
    MessageHandler<MainWindow>{WM_QUERYDRAGICON, &MainWindow::OnQueryDragIcon},
};

MainWindow::MainWindow()
    : Dialog(IDD_MAIN),
      icon_(LoadIconW(ProgramInstance(), MAKEINTRESOURCEW(IDI_APPLICATION_ICON))),
      comparisonTable_(std::make_unique<ComparisonTableWindow>()),
      session_(ProgramFolder(), host::AttachHost),
      hostOperations_([this](std::intptr_t result) { EndDialog(result); }) {}

MainWindow::~MainWindow() = default;

bool MainWindow::OnInitDialog() {
    ole_.emplace();
    annotateButton_.Bind(Item(IDC_ANNOTATE));
    AppendAboutItem();
    // Without the hot key (another program may own Alt+1) the window works all the same.
    RegisterHotKey(handle(), ID_SHOW_HOTKEY, kHotKeyModifiers, kHotKey);
    // The taskbar button and Alt+Tab show the program's icon.
    SendMessageW(handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));

    // Start-up: the settings, the version choice (attaching the host), the
    // saved style resolved there, the word list, then topmost.
    const LoadOutcome outcome = session_.loadSettings([this] { return ChooseHostVersion(); });
    // Exit ends the program at once, without writing the settings: the one
    // place the program ends other than by closing its window.
    if (outcome == LoadOutcome::ExitChosen) ExitProcess(0);
    WindowUi ui(handle());
    session_.loadDictionary(ui);
    // Topmost also after a failed load: the window is as usable as ever.
    SetWindowPos(handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return true;
}

void MainWindow::AppendAboutItem() {
    HMENU systemMenu = GetSystemMenu(handle(), FALSE);
    const std::u16string aboutItem = ResourceString(IDS_ABOUT_ITEM);
    if (!systemMenu || aboutItem.empty()) return;
    AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(systemMenu, MF_STRING, IDM_ABOUT, Wide(aboutItem));
}

bool MainWindow::OnCommand(UINT id, UINT notification) {
    return DispatchCommand<MainWindow>(*this, kCommands, id, notification);
}

bool MainWindow::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    return DispatchMessage<MainWindow>(*this, kMessages, message, wParam, lParam, result);
}

// Enter does nothing at window level; it still presses the focused button.
void MainWindow::OnOK() {}

void MainWindow::OnCancel() { hostOperations_.EndWhenIdle(IDCANCEL); }

void MainWindow::OnFinish() { hostOperations_.EndWhenIdle(IDOK); }

void MainWindow::RunHostOperation(const std::function<void()>& operation, HostOperationKind kind) {
    hostOperations_.Run(
        [&] {
            std::optional<ShutdownBlock> block;
            if (kind == HostOperationKind::ChangesDocument) block.emplace(handle(), ResourceString(IDS_SHUTDOWN_WAITS));
            operation();
        },
        kind);
}

void MainWindow::OnAnnotate() {
    RunHostOperation(
        [this] {
            WindowUi ui(handle(), Item(IDC_ANNOTATE));
            session_.annotate(ui);
        },
        HostOperationKind::ChangesDocument);
}

void MainWindow::OnRemoveAnnotations() {
    RunHostOperation(
        [this] {
            WindowUi ui(handle());
            session_.removeAnnotations(ui);
        },
        HostOperationKind::ChangesDocument);
}

void MainWindow::OnComparisonTable() {
    if (comparisonTable_) comparisonTable_->Show(handle());
}

void MainWindow::OnChooseVersion() {
    RunHostOperation([this] { ChooseHostVersion(); }, HostOperationKind::Dialog);
}

// The dialog walks the host's styles when it opens and resolves the chosen
// one on OK.
void MainWindow::OnSettings() {
    RunHostOperation(
        [this] {
            SettingsDialog dialog(session_.settingsDialogControls(),
                                  [this](const SettingsDialogControls& controls) { session_.acceptSettingsDialog(controls); });
            dialog.RunModal(handle());
        },
        HostOperationKind::Dialog);
}

void MainWindow::OnHelp() {
    const std::u16string path = session_.helpPagePath();
    SHELLEXECUTEINFOW request{};
    request.cbSize = sizeof request;
    request.fMask = SEE_MASK_FLAG_NO_UI;
    request.lpVerb = L"open";
    request.lpFile = Wide(path);
    request.nShow = SW_SHOWMAXIMIZED;
    // A missing page or no program for it: nothing happens, by design.
    ShellExecuteExW(&request);
}

bool MainWindow::ChooseHostVersion() {
    VersionDialog dialog(kHostProgIds, session_.hostProgId(),
                         [this](const std::u16string& progId) { session_.confirmHostVersion(progId); });
    return dialog.RunModal(handle()) == IDOK;
}

void MainWindow::SaveSettings() {
    if (!std::exchange(settingsSaved_, true)) session_.saveSettings();
}

INT_PTR MainWindow::OnSysCommand(WPARAM command, LPARAM) {
    if (!IsAboutCommand(static_cast<unsigned>(command))) return FALSE;  // default processing
    AboutBox about;
    about.RunModal(handle());
    return TRUE;
}

INT_PTR MainWindow::OnHotKey(WPARAM id, LPARAM) {
    if (id == ID_SHOW_HOTKEY) ShowWindow(handle(), SW_SHOWNORMAL);
    return TRUE;
}

INT_PTR MainWindow::OnClose(WPARAM, LPARAM) {
    if (!hostOperations_.busy()) comparisonTable_.reset();  // closes its window, if it has one
    OnCancel();
    return TRUE;
}

// Log-off or shutdown: refused while the document is being changed, unless
// the system does not let the program refuse. A dialog procedure gives the
// answer through DWLP_MSGRESULT.
INT_PTR MainWindow::OnQueryEndSession(WPARAM, LPARAM flags) {
    const bool forced = (flags & ENDSESSION_CRITICAL) != 0;
    return SetMessageResult(hostOperations_.MaySessionEnd(forced) ? TRUE : FALSE);
}

// The process may go as soon as this returns, without WM_DESTROY: the
// settings are written now, as at a normal close.
INT_PTR MainWindow::OnEndSession(WPARAM ending, LPARAM) {
    if (ending) SaveSettings();
    return SetMessageResult(0);
}

INT_PTR MainWindow::OnDestroy(WPARAM, LPARAM) {
    SaveSettings();
    UnregisterHotKey(handle(), ID_SHOW_HOTKEY);
    return FALSE;  // the default destroy processing runs as well
}

INT_PTR MainWindow::OnPaint(WPARAM, LPARAM) {
    if (!IsIconic(handle())) return FALSE;
    PAINTSTRUCT paint;
    HDC context = BeginPaint(handle(), &paint);
    SendMessageW(handle(), WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(context), 0);
    RECT client{};
    GetClientRect(handle(), &client);
    const int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
    const int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
    DrawIcon(context, x, y, icon_);
    EndPaint(handle(), &paint);
    return TRUE;
}

INT_PTR MainWindow::OnQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<INT_PTR>(icon_); }

}  // namespace sonotag
