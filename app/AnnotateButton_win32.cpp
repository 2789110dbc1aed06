#include "app/AnnotateButton_win32.h"

#include <commctrl.h>

#include "app/Win32Text_win32.h"
#include "base/OwnedHandle_win32.h"
#include "res/resource.h"

namespace sonotag::app {
namespace {

constexpr UINT_PTR kSubclassId = 1;

// Returns the chosen command, lets the right button choose, and sends the
// owner no notifications while the menu is open.
constexpr UINT kPopupFlags = TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON;
static_assert(kPopupFlags == 0x0182);

}  // namespace

AnnotateButton::~AnnotateButton() {
    if (button_ && IsWindow(button_)) RemoveWindowSubclass(button_, &AnnotateButton::procedure, kSubclassId);
}

bool AnnotateButton::bind(HWND button) {
    if (!button || !SetWindowSubclass(button, &AnnotateButton::procedure, kSubclassId, 0)) return false;
    button_ = button;
    return true;
}

LRESULT CALLBACK AnnotateButton::procedure(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR) {
    if (message == WM_RBUTTONDOWN) return onRightButtonDown(button, message, wParam, lParam);
    if (message == WM_NCDESTROY) RemoveWindowSubclass(button, &AnnotateButton::procedure, kSubclassId);
    return DefSubclassProc(button, message, wParam, lParam);
}

LRESULT AnnotateButton::onRightButtonDown(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
    SetFocus(button);
    RECT place{};
    GetWindowRect(button, &place);
    InvalidateRect(button, nullptr, TRUE);

    const MenuHandle menu(LoadMenuW(ProgramInstance(), MAKEINTRESOURCEW(IDR_ANNOTATE_MENU)));
    const BOOL chosen =
        menu ? TrackPopupMenu(GetSubMenu(menu.get(), 0), kPopupFlags, place.left, place.bottom, 0, button, nullptr) : 0;
    InvalidateRect(button, nullptr, TRUE);

    // Posted, not sent: the removal runs once this message has been handled.
    // Nothing chosen posts command 0, which no handler takes.
    PostMessageW(GetParent(button), WM_COMMAND, MAKEWPARAM(LOWORD(static_cast<UINT>(chosen)), 0), 0);
    return DefSubclassProc(button, message, wParam, lParam);
}

}  // namespace sonotag::app
