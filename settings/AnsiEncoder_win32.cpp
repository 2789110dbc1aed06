#include <windows.h>

#include "base/WideText_win32.h"
#include "settings/AnsiEncoder.h"

namespace sonotag::settings {

std::string EncodeAnsi(std::u16string_view text) {
    if (text.empty()) return {};
    const wchar_t* wide = Wide(text);
    const int length = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string encoded(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, length, encoded.data(), bytes, nullptr, nullptr);
    return encoded;
}

}  // namespace sonotag::settings
