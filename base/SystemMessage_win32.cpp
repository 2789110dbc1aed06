#include <windows.h>

#include "base/OwnedHandle_win32.h"
#include "base/SystemMessage.h"
#include "base/WideText_win32.h"

namespace sonotag {

std::optional<std::u16string> SystemMessage(std::uint32_t code) {
    LocalMemory<wchar_t> buffer;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
        MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), reinterpret_cast<wchar_t*>(buffer.put()), 0, nullptr);
    if (length == 0 || !buffer) return std::nullopt;
    return std::u16string(Utf16(buffer.get()), length);
}

}  // namespace sonotag
