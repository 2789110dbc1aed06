#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include "base/FileError.h"
#include "base/PlatformFile.h"
#include "base/WideText_win32.h"

namespace sonotag {
namespace {

FileErrorCause CauseOf(unsigned long win32Error) {
    switch (win32Error) {
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_INVALID_NAME:
        case ERROR_BAD_NETPATH: return FileErrorCause::NotFound;
        case ERROR_ACCESS_DENIED: return FileErrorCause::AccessDenied;
        case ERROR_SHARING_VIOLATION:
        case ERROR_LOCK_VIOLATION: return FileErrorCause::SharingViolation;
        default: return FileErrorCause::Other;
    }
}

}  // namespace

FilePtr OpenForSharedReading(const std::u16string& path) {
    // Read-only and sharing everything: a word list under Program Files is
    // read-only for a standard user, and may be open in an editor.
    HANDLE handle = CreateFileW(Wide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        throw FileError(CauseOf(error), path, static_cast<std::uint32_t>(error));
    }
    // From here the C runtime owns the handle: closing the stream closes it.
    const int descriptor = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDONLY | _O_BINARY);
    if (descriptor == -1) {
        CloseHandle(handle);
        throw FileError(FileErrorCause::Other, path, ERROR_TOO_MANY_OPEN_FILES);
    }
    FilePtr file(_fdopen(descriptor, "rb"));
    if (!file) {
        _close(descriptor);
        throw FileError(FileErrorCause::Other, path, ERROR_TOO_MANY_OPEN_FILES);
    }
    return file;
}

}  // namespace sonotag
