#include <windows.h>

#include <fcntl.h>
#include <io.h>

#include <cstdlib>
#include <stdexcept>

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

struct AnsiDecoder::State {
    UINT codePage = 0;  // 0: the system's ANSI code page, asked at each conversion
};

AnsiDecoder::AnsiDecoder(std::string codePage) : state_(std::make_unique<State>()) {
    if (codePage.empty()) return;
    char* end = nullptr;
    const unsigned long number = std::strtoul(codePage.c_str(), &end, 10);
    if (*end != '\0' || !IsValidCodePage(static_cast<UINT>(number))) {
        throw std::invalid_argument("unknown code page: " + codePage);
    }
    state_->codePage = static_cast<UINT>(number);
}

AnsiDecoder::~AnsiDecoder() = default;

void AnsiDecoder::append(std::string_view bytes, std::u16string& out) {
    if (bytes.empty()) return;
    const UINT codePage = state_->codePage != 0 ? state_->codePage : GetACP();
    // MB_PRECOMPOSED is not allowed with UTF-8.
    const DWORD flags = codePage == CP_UTF8 ? 0 : MB_PRECOMPOSED;
    const int inputLength = static_cast<int>(bytes.size());
    const std::size_t start = out.size();
    out.resize(start + bytes.size());  // one byte never gives more than one unit
    const int units = MultiByteToWideChar(codePage, flags, bytes.data(), inputLength,
                                          Wide(out.data() + start), inputLength);
    out.resize(start + static_cast<std::size_t>(units > 0 ? units : 0));
}

}  // namespace sonotag
