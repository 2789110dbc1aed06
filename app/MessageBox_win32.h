#pragma once
// The program's one way to show a message box: captioned with the program's
// name, with the exclamation icon unless another icon is asked for.

#include <windows.h>

#include <string>

#include "app/MessageSink.h"

namespace sonotag::app {

int ShowMessageBox(HWND owner, const std::u16string& text, UINT type = MB_OK);

// The session's messages in message boxes owned by a window, and the
// window's annotate button, when it is given one.
class WindowUi : public AnnotationUi {
public:
    explicit WindowUi(HWND owner, HWND annotateButton = nullptr) : owner_(owner), button_(annotateButton) {}
    void showMessage(const std::u16string& text, MessageIcon icon) override;
    void enableAnnotateButton(bool enabled) override;

private:
    HWND owner_;
    HWND button_;
};

}  // namespace sonotag::app
