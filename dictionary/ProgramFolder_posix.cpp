#include <unistd.h>

#include "dictionary/ProgramFolder.h"
#include "dictionary/Utf.h"

namespace sonotag {

std::u16string ProgramFolder() {
    const std::string path = QueryWholePath<char>([](char* buffer, std::size_t capacity) {
        const ssize_t length = readlink("/proc/self/exe", buffer, capacity);
        return length < 0 ? std::size_t{0} : static_cast<std::size_t>(length);
    });
    return FolderOf(Utf8ToUtf16(path));
}

}  // namespace sonotag
