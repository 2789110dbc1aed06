#include <windows.h>

#include "dictionary/ProgramFolder.h"

namespace sonotag {

std::u16string ProgramFolder() {
    return FolderOf(QueryWholePath<char16_t>([](char16_t* buffer, std::size_t capacity) {
        return static_cast<std::size_t>(
            GetModuleFileNameW(nullptr, reinterpret_cast<wchar_t*>(buffer), static_cast<DWORD>(capacity)));
    }));
}

}  // namespace sonotag
