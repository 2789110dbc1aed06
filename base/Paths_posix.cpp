#include <unistd.h>

#include "base/Paths.h"
#include "base/Utf.h"

namespace sonotag {

std::u16string ExecutablePath() {
    return Utf8ToUtf16(QueryWholePath<char>([](char* buffer, std::size_t capacity) {
        const ssize_t length = readlink("/proc/self/exe", buffer, capacity);
        return length < 0 ? std::size_t{0} : static_cast<std::size_t>(length);
    }));
}

}  // namespace sonotag
