#include "base/Paths.h"

namespace sonotag {

#ifdef _WIN32
constexpr char16_t kSeparator = u'\\';
#else
constexpr char16_t kSeparator = u'/';
#endif

std::u16string ProgramFolder() { return FolderOf(ExecutablePath()); }

std::u16string JoinPath(const std::u16string& folder, const std::u16string& name) { return folder + kSeparator + name; }

std::u16string FolderOf(const std::u16string& path) {
    const std::size_t last = path.find_last_of(kSeparator);
    return last == std::u16string::npos ? std::u16string() : path.substr(0, last);
}

}  // namespace sonotag
