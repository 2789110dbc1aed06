#include "app/MessageBox_win32.h"

#include "app/ShellRules.h"
#include "app/Win32Text_win32.h"
#include "base/Paths.h"

namespace sonotag::app {

int ShowMessageBox(HWND owner, const std::u16string& text, UINT type) {
    const std::u16string caption = ApplicationName(ExecutablePath());
    return MessageBoxW(owner, Wide(text), Wide(caption), MessageBoxTypeWithIcon(type));
}

void WindowUi::showMessage(const std::u16string& text, MessageIcon icon) {
    ShowMessageBox(owner_, text, MB_OK | MessageBoxTypeFor(icon));
}

void WindowUi::enableAnnotateButton(bool enabled) {
    if (button_) EnableWindow(button_, enabled ? TRUE : FALSE);
}

}  // namespace sonotag::app
