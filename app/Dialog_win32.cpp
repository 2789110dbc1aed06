#include "app/Dialog_win32.h"

#include <algorithm>
#include <cwchar>

#include "app/Win32Text_win32.h"

namespace sonotag::app {
namespace {

// Centres a dialog on its owner, or on the work area when the owner is
// hidden, minimised or missing, and keeps it inside the work area.
void CentreOnOwner(HWND window) {
    RECT place{};
    GetWindowRect(window, &place);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT area = monitor.rcWork;
    RECT around = area;
    HWND owner = GetWindow(window, GW_OWNER);
    if (owner && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &around);

    const LONG width = place.right - place.left;
    const LONG height = place.bottom - place.top;
    LONG left = (around.left + around.right - width) / 2;
    LONG top = (around.top + around.bottom - height) / 2;
    left = std::max(area.left, std::min(left, area.right - width));
    top = std::max(area.top, std::min(top, area.bottom - height));
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

Dialog::Dialog(UINT templateId) : templateId_(templateId) {}

Dialog::~Dialog() {
    if (window_) {
        HWND window = window_;
        // The window must not call back into a half-destroyed object.
        SetWindowLongPtrW(window, DWLP_USER, 0);
        window_ = nullptr;
        DestroyWindow(window);
    }
}

INT_PTR Dialog::runModal(HWND owner) {
    modal_ = true;
    ended_ = false;
    result_ = IDCANCEL;
    if (!create(owner)) return -1;
    const bool disableOwner = owner && IsWindowEnabled(owner);
    if (!ended_) {
        if (disableOwner) EnableWindow(owner, FALSE);
        ShowWindow(window_, SW_SHOW);
        // A dialog over a hidden owner (the version choice at start-up)
        // takes the activation itself, so the keyboard reaches it at once.
        if (!owner || !IsWindowVisible(owner)) SetForegroundWindow(window_);
        runMessageLoop();
        // The owner comes back before the dialog goes, so it gets the activation.
        if (disableOwner) EnableWindow(owner, TRUE);
    }
    // The window's own destroy processing (WM_DESTROY) still reaches this object.
    if (window_) DestroyWindow(window_);
    modal_ = false;
    return result_;
}

bool Dialog::create(HWND parent) {
    HWND window = CreateDialogParamW(ProgramInstance(), MAKEINTRESOURCEW(templateId_), parent, &Dialog::procedure,
                                     reinterpret_cast<LPARAM>(this));
    return window != nullptr;
}

void Dialog::endDialog(INT_PTR result) {
    if (modal_) {
        result_ = result;
        ended_ = true;
        if (window_) PostMessageW(window_, WM_NULL, 0, 0);  // wakes the loop
    } else if (window_) {
        ShowWindow(window_, SW_HIDE);
    }
}

INT_PTR Dialog::setMessageResult(LRESULT result) {
    SetWindowLongPtrW(window_, DWLP_MSGRESULT, result);
    return TRUE;
}

void Dialog::runMessageLoop() {
    MSG message;
    while (!ended_ && window_) {
        const BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            PostQuitMessage(static_cast<int>(message.wParam));  // for the loop outside
            break;
        }
        if (!TranslateDialogMessage(message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
}

INT_PTR CALLBACK Dialog::procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrW(window, DWLP_USER, lParam);
        dialog->window_ = window;
        RECT before{};
        GetWindowRect(window, &before);
        const bool focusFirstControl = dialog->onInitDialog();
        // As the framework does: a dialog that its initialisation did not
        // move is centred.
        RECT after{};
        GetWindowRect(window, &after);
        const bool moved = before.left != after.left || before.top != after.top;
        if (IsWindow(window) && !moved && !(GetWindowLongW(window, GWL_STYLE) & WS_CHILD)) { CentreOnOwner(window); }
        // The first tab stop gets the focus the way the dialog manager moves
        // it, which also makes a push button there the one Enter presses
        // (Wine's initial focus does not).
        HWND first = focusFirstControl && IsWindow(window) ? GetNextDlgTabItem(window, nullptr, FALSE) : nullptr;
        if (!first) return focusFirstControl ? TRUE : FALSE;
        SendMessageW(window, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(first), TRUE);
        return FALSE;
    }
    auto* dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrW(window, DWLP_USER));
    if (!dialog) return FALSE;
    const INT_PTR result = dialog->handleMessage(message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(window, DWLP_USER, 0);
        dialog->window_ = nullptr;
    }
    return result;
}

INT_PTR Dialog::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_COMMAND && (lParam == 0 || HIWORD(wParam) == BN_CLICKED)) {
        const UINT id = LOWORD(wParam);
        if (id == IDOK) {
            onOK();
            return TRUE;
        }
        if (id == IDCANCEL) {
            onCancel();
            return TRUE;
        }
    }
    if (message == WM_COMMAND) return onCommand(LOWORD(wParam), HIWORD(wParam)) ? TRUE : FALSE;
    INT_PTR result = FALSE;
    if (onMessage(message, wParam, lParam, result)) return result;
    return FALSE;
}

bool TranslateDialogMessage(MSG& message) {
    if (!message.hwnd) return false;
    HWND root = GetAncestor(message.hwnd, GA_ROOT);
    if (!root) return false;
    wchar_t className[16] = {};
    GetClassNameW(root, className, 16);
    if (std::wcscmp(className, L"#32770") != 0) return false;
    return IsDialogMessageW(root, &message) != FALSE;
}

}  // namespace sonotag::app
