#pragma once
// Texts the shell reads from Windows: a window's text and the executable's
// string resources.

#include <windows.h>

#include <string>

#include "base/WideText_win32.h"

namespace sonotag::app {

// The whole text of a window or control.
std::u16string WindowText(HWND window);

// A string resource of the executable, empty when it is missing.
std::u16string ResourceString(UINT id);

// The module the resources come from: the executable.
HINSTANCE ProgramInstance();

}  // namespace sonotag::app
