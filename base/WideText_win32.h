#pragma once
// UTF-16 text between the program's char16_t strings and the wide-character
// functions of Windows, where wchar_t is the same 16-bit unit: one view each
// way, no copies.

#include <string>
#include <string_view>

namespace sonotag {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 units");

inline const wchar_t* Wide(const char16_t* text) { return reinterpret_cast<const wchar_t*>(text); }
inline wchar_t* Wide(char16_t* buffer) { return reinterpret_cast<wchar_t*>(buffer); }
// Null-terminated.
inline const wchar_t* Wide(const std::u16string& text) { return Wide(text.c_str()); }
// Not null-terminated: for functions that take a length.
inline const wchar_t* Wide(std::u16string_view text) { return Wide(text.data()); }

inline const char16_t* Utf16(const wchar_t* text) { return reinterpret_cast<const char16_t*>(text); }

}  // namespace sonotag
