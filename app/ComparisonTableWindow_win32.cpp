#include "app/ComparisonTableWindow_win32.h"

namespace sonotag::app {

void ComparisonTableWindow::show(HWND parent) {
    if (!handle() && !create(parent)) return;
    // An owned window stays above its owner; the owner is topmost, so the
    // table must be too, or the main window would cover its middle.
    const bool ownerTopmost = parent && (GetWindowLongW(parent, GWL_EXSTYLE) & WS_EX_TOPMOST);
    SetWindowPos(handle(), ownerTopmost ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ShowWindow(handle(), SW_SHOW);
}

bool ComparisonTableWindow::onInitDialog() {
    // The template's size fits the picture only in the dialog font's own
    // metrics; the window is fitted to the picture in any font.
    HWND picture = GetWindow(handle(), GW_CHILD);
    RECT place{};
    if (picture && GetWindowRect(picture, &place)) {
        MapWindowPoints(nullptr, handle(), reinterpret_cast<POINT*>(&place), 2);
        RECT frame{0, 0, place.right + place.left, place.bottom + place.top};
        AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(handle(), GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongW(handle(), GWL_EXSTYLE)));
        SetWindowPos(handle(), nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    return true;
}

}  // namespace sonotag::app
