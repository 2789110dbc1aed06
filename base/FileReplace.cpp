#include "base/FileReplace.h"

#include <cerrno>
#include <fstream>

namespace sonotag {

std::filesystem::path PartialFileOf(const std::filesystem::path& target) {
    std::filesystem::path partial = target;
    partial += ".partial";
    return partial;
}

FileReplaceResult ReplaceFileContents(const std::filesystem::path& target, std::string_view bytes) {
    const std::filesystem::path partial = PartialFileOf(target);
    FileReplaceResult result;
    std::error_code ignored;
    {
        errno = 0;
        std::ofstream file(partial, std::ios::binary | std::ios::trunc);
        file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
        file.close();
        if (!file) {
            // The streams keep no reason of their own; errno is the C library's, when it set one.
            if (errno != 0) result.error = std::error_code(errno, std::generic_category());
            result.failedAt = ReplaceStep::Writing;
            std::filesystem::remove(partial, ignored);
            return result;
        }
    }
    std::filesystem::rename(partial, target, result.error);
    if (result.error) {
        result.failedAt = ReplaceStep::Renaming;
        std::filesystem::remove(partial, ignored);
    }
    return result;
}

}  // namespace sonotag
