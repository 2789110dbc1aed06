#pragma once
// UTF-16 text between the program's std::u16string and the wide-character
// functions of Windows, where wchar_t is the same 16-bit unit.

#include <windows.h>

#include <string>

namespace sonotag {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 units");

inline const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

// The whole text of a window or control.
std::u16string WindowText(HWND window);

// A string resource of the executable, empty when it is missing.
std::u16string ResourceString(UINT id);

// The executable's full path, of any length.
std::u16string ExecutablePath();

// The module the resources come from: the executable.
HINSTANCE ProgramInstance();

}  // namespace sonotag
