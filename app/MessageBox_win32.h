#pragma once
// The program's one way to show a message box: captioned with the program's
// name, with the exclamation icon unless another icon is asked for.

#include <windows.h>

#include <string>

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

}  // namespace sonotag
