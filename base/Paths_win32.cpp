#include <windows.h>

#include "base/Paths.h"
#include "base/WideText_win32.h"

namespace sonotag {

std::u16string ExecutablePath() {
    return QueryWholePath<char16_t>([](char16_t* buffer, std::size_t capacity) {
        return static_cast<std::size_t>(GetModuleFileNameW(nullptr, Wide(buffer), static_cast<DWORD>(capacity)));
    });
}

}  // namespace sonotag
