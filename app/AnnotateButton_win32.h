#pragma once
// The annotate button (control 1003 of the main window): a push button
// whose right mouse button opens the menu with "撤销音标". The chosen
// command is posted to the main window, so it runs after the menu is gone.

#include <windows.h>

namespace sonotag::app {

class AnnotateButton {
public:
    AnnotateButton() = default;
    ~AnnotateButton();
    AnnotateButton(const AnnotateButton&) = delete;
    AnnotateButton& operator=(const AnnotateButton&) = delete;

    // Takes over the right mouse button of `button`.
    bool bind(HWND button);

private:
    static LRESULT CALLBACK procedure(HWND button, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                      DWORD_PTR data);
    static LRESULT onRightButtonDown(HWND button, UINT message, WPARAM wParam, LPARAM lParam);

    HWND button_ = nullptr;
};

}  // namespace sonotag::app
