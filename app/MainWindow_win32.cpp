#include "app/MainWindow_win32.h"

#include <array>
#include <utility>

#include <shellapi.h>

#include "app/AboutBox_win32.h"
#include "app/MessageBox_win32.h"
#include "app/SettingsDialog_win32.h"
#include "app/ShellRules.h"
#include "app/VersionDialog_win32.h"
#include "app/Win32Text_win32.h"
#include "base/Paths.h"
#include "res/resource.h"

namespace sonotag::app {
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
    CommandHandler<MainWindow>{IDC_ANNOTATE, BN_CLICKED, &MainWindow::onAnnotate},
    CommandHandler<MainWindow>{ID_REMOVE_ANNOTATIONS, 0, &MainWindow::onRemoveAnnotations},
    CommandHandler<MainWindow>{IDC_COMPARISON_TABLE, BN_CLICKED, &MainWindow::onComparisonTable},
    CommandHandler<MainWindow>{IDC_FINISH, BN_CLICKED, &MainWindow::onFinish},
    CommandHandler<MainWindow>{ID_CHOOSE_VERSION, 0, &MainWindow::onChooseVersion},
    CommandHandler<MainWindow>{ID_SETTINGS, 0, &MainWindow::onSettings},
    CommandHandler<MainWindow>{ID_HELP_PAGE, 0, &MainWindow::onHelp},
};

const MessageHandler<MainWindow> MainWindow::kMessages[] = {
    MessageHandler<MainWindow>{WM_SYSCOMMAND, &MainWindow::onSysCommand},
    MessageHandler<MainWindow>{WM_HOTKEY, &MainWindow::onHotKey},
    MessageHandler<MainWindow>{WM_CLOSE, &MainWindow::onClose},
    MessageHandler<MainWindow>{WM_QUERYENDSESSION, &MainWindow::onQueryEndSession},
    MessageHandler<MainWindow>{WM_ENDSESSION, &MainWindow::onEndSession},
    MessageHandler<MainWindow>{WM_DESTROY, &MainWindow::onDestroy},
    MessageHandler<MainWindow>{WM_PAINT, &MainWindow::onPaint},
    MessageHandler<MainWindow>{WM_QUERYDRAGICON, &MainWindow::onQueryDragIcon},
};

MainWindow::MainWindow()
    : Dialog(IDD_MAIN),
      icon_(LoadIconW(ProgramInstance(), MAKEINTRESOURCEW(IDI_APPLICATION_ICON))),
      comparisonTable_(std::make_unique<ComparisonTableWindow>()),
      session_(ProgramFolder(), host::AttachHost),
      hostOperations_([this](std::intptr_t result) { endDialog(result); }) {}

MainWindow::~MainWindow() = default;

bool MainWindow::onInitDialog() {
    ole_.emplace();
    annotateButton_.bind(item(IDC_ANNOTATE));
    appendAboutItem();
    // Without the hot key (another program may own Alt+1) the window works all the same.
    RegisterHotKey(handle(), ID_SHOW_HOTKEY, kHotKeyModifiers, kHotKey);
    // The taskbar button and Alt+Tab show the program's icon.
    SendMessageW(handle(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageW(handle(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));

    // Start-up: the settings, the version choice (attaching the host), the
    // saved style resolved there, the word list, then topmost.
    const LoadOutcome outcome = session_.loadSettings([this] { return chooseHostVersion(); });
    // Exit ends the program at once, without writing the settings: the one
    // place the program ends other than by closing its window.
    if (outcome == LoadOutcome::ExitChosen) ExitProcess(0);
    WindowUi ui(handle());
    session_.loadDictionary(ui);
    // Topmost also after a failed load: the window is as usable as ever.
    SetWindowPos(handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    return true;
}

void MainWindow::appendAboutItem() {
    HMENU systemMenu = GetSystemMenu(handle(), FALSE);
    const std::u16string aboutItem = ResourceString(IDS_ABOUT_ITEM);
    if (!systemMenu || aboutItem.empty()) return;
    AppendMenuW(systemMenu, MF_SEPARATOR, 0, nullptr);
    AppendMenuW(systemMenu, MF_STRING, IDM_ABOUT, Wide(aboutItem));
}

bool MainWindow::onCommand(UINT id, UINT notification) {
    return DispatchCommand<MainWindow>(*this, kCommands, id, notification);
}

bool MainWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
    return DispatchMessage<MainWindow>(*this, kMessages, message, wParam, lParam, result);
}

// Enter does nothing at window level; it still presses the focused button.
void MainWindow::onOK() {}

void MainWindow::onCancel() { hostOperations_.endWhenIdle(IDCANCEL); }

void MainWindow::onFinish() { hostOperations_.endWhenIdle(IDOK); }

void MainWindow::runHostOperation(const std::function<void()>& operation, HostOperationKind kind) {
    hostOperations_.run(
        [&] {
            std::optional<ShutdownBlock> block;
            if (kind == HostOperationKind::ChangesDocument) block.emplace(handle(), ResourceString(IDS_SHUTDOWN_WAITS));
            operation();
        },
        kind);
}

void MainWindow::onAnnotate() {
    runHostOperation(
        [this] {
            WindowUi ui(handle(), item(IDC_ANNOTATE));
            session_.annotate(ui);
        },
        HostOperationKind::ChangesDocument);
}

void MainWindow::onRemoveAnnotations() {
    runHostOperation(
        [this] {
            WindowUi ui(handle());
            session_.removeAnnotations(ui);
        },
        HostOperationKind::ChangesDocument);
}

void MainWindow::onComparisonTable() {
    if (comparisonTable_) comparisonTable_->show(handle());
}

void MainWindow::onChooseVersion() {
    runHostOperation([this] { chooseHostVersion(); }, HostOperationKind::Dialog);
}

// The dialog walks the host's styles when it opens and resolves the chosen
// one on OK.
void MainWindow::onSettings() {
    runHostOperation(
        [this] {
            SettingsDialog dialog(session_.settingsDialogControls(), [this](const SettingsDialogControls& controls) {
                session_.acceptSettingsDialog(controls);
            });
            dialog.runModal(handle());
        },
        HostOperationKind::Dialog);
}

void MainWindow::onHelp() {
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

bool MainWindow::chooseHostVersion() {
    VersionDialog dialog(kHostProgIds, session_.hostProgId(),
                         [this](const std::u16string& progId) { session_.confirmHostVersion(progId); });
    return dialog.runModal(handle()) == IDOK;
}

void MainWindow::saveSettings() {
    if (!std::exchange(settingsSaved_, true)) session_.saveSettings();
}

INT_PTR MainWindow::onSysCommand(WPARAM command, LPARAM) {
    if (!IsAboutCommand(static_cast<unsigned>(command))) return FALSE;  // default processing
    AboutBox about;
    about.runModal(handle());
    return TRUE;
}

INT_PTR MainWindow::onHotKey(WPARAM id, LPARAM) {
    if (id == ID_SHOW_HOTKEY) ShowWindow(handle(), SW_SHOWNORMAL);
    return TRUE;
}

INT_PTR MainWindow::onClose(WPARAM, LPARAM) {
    if (!hostOperations_.busy()) comparisonTable_.reset();  // closes its window, if it has one
    onCancel();
    return TRUE;
}

// Log-off or shutdown: refused while the document is being changed, unless
// the system does not let the program refuse. A dialog procedure gives the
// answer through DWLP_MSGRESULT.
INT_PTR MainWindow::onQueryEndSession(WPARAM, LPARAM flags) {
    const bool forced = (flags & ENDSESSION_CRITICAL) != 0;
    return setMessageResult(hostOperations_.maySessionEnd(forced) ? TRUE : FALSE);
}

// The process may go as soon as this returns, without WM_DESTROY: the
// settings are written now, as at a normal close.
INT_PTR MainWindow::onEndSession(WPARAM ending, LPARAM) {
    if (ending) saveSettings();
    return setMessageResult(0);
}

INT_PTR MainWindow::onDestroy(WPARAM, LPARAM) {
    saveSettings();
    UnregisterHotKey(handle(), ID_SHOW_HOTKEY);
    return FALSE;  // the default destroy processing runs as well
}

INT_PTR MainWindow::onPaint(WPARAM, LPARAM) {
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

INT_PTR MainWindow::onQueryDragIcon(WPARAM, LPARAM) { return reinterpret_cast<INT_PTR>(icon_); }

}  // namespace sonotag::app
