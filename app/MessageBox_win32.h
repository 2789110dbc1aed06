#pragma once
// The program's one way to show a message box: captioned with the program's
// name, with the exclamation icon unless another icon is asked for.

#include <windows.h>

#include <string>

#include "annotation/Annotation.h"
#include "app/MessageSink.h"

namespace sonotag {

int ShowMessageBox(HWND owner, const std::u16string& text, UINT type = MB_OK);

// Shows the portable core's messages in message boxes owned by a window.
class WindowMessageSink : public MessageSink {
public:
    explicit WindowMessageSink(HWND owner) : owner_(owner) {}
    void showMessage(const std::u16string& text, MessageIcon icon) override;

private:
    HWND owner_;
};

// What the annotation run does to the main window: its annotate button and
// its message boxes.
class WindowAnnotationUi : public AnnotationUi {
public:
    WindowAnnotationUi(HWND owner, HWND annotateButton) : owner_(owner), button_(annotateButton) {}
    void showMessage(const std::u16string& text, MessageIcon icon) override;
    void enableAnnotateButton(bool enabled) override;

private:
    HWND owner_;
    HWND button_;
};

}  // namespace sonotag
