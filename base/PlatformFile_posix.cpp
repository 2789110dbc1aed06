#include <cerrno>
#include <cstdint>

#include <sys/stat.h>

#include "base/FileError.h"
#include "base/PlatformFile.h"
#include "base/Utf.h"

namespace sonotag {

FilePtr OpenForSharedReading(const std::u16string& path) {
    FilePtr file(std::fopen(Utf16ToUtf8(path).c_str(), "rb"));
    if (!file) {
        const int error = errno;
        const FileErrorCause cause = error == ENOENT || error == ENOTDIR ? FileErrorCause::NotFound
                                     : error == EACCES || error == EPERM ? FileErrorCause::AccessDenied
                                                                         : FileErrorCause::Other;
        throw FileError(cause, path, static_cast<std::uint32_t>(error));
    }
    // A folder opens here but not on Windows, where it is denied; it has no
    // bytes to read either way.
    struct stat status {};
    if (fstat(fileno(file.get()), &status) == 0 && S_ISDIR(status.st_mode)) {
        throw FileError(FileErrorCause::AccessDenied, path, EISDIR);
    }
    return file;
}

}  // namespace sonotag
