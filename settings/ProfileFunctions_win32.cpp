#include <windows.h>

#include "base/WideText_win32.h"
#include "settings/ProfileFunctions.h"

namespace sonotag::settings {
namespace {

std::uint32_t ReadString(const char16_t* section, const char16_t* key, const char16_t* defaultText, char16_t* buffer,
                         std::uint32_t size, const char16_t* path) {
    return GetPrivateProfileStringW(Wide(section), Wide(key), Wide(defaultText), Wide(buffer), size, Wide(path));
}

bool WriteString(const char16_t* section, const char16_t* key, const char16_t* value, const char16_t* path) {
    return WritePrivateProfileStringW(Wide(section), Wide(key), Wide(value), Wide(path)) != FALSE;
}

}  // namespace

const ProfileFunctions& PlatformProfileFunctions() {
    static constexpr ProfileFunctions functions{"windows", &ReadString, &WriteString};
    return functions;
}

}  // namespace sonotag::settings
