#pragma once
// The error of a file that cannot be opened: its cause and its name.

#include <cstdint>
#include <stdexcept>
#include <string>

namespace sonotag {

// UnknownCodePage: the file was named with an encoding the system lacks.
enum class FileErrorCause { NotFound, AccessDenied, SharingViolation, UnknownCodePage, Other };

class FileError : public std::runtime_error {
public:
    FileError(FileErrorCause cause, std::u16string fileName, std::uint32_t systemCode);

    FileErrorCause cause() const { return cause_; }
    const std::u16string& fileName() const { return fileName_; }
    // The platform's own code: a Win32 error on Windows, errno elsewhere.
    std::uint32_t systemCode() const { return systemCode_; }

    // The text the user reads: the file's name and the platform's text of the cause.
    std::u16string userText() const;

private:
    FileErrorCause cause_;
    std::u16string fileName_;
    std::uint32_t systemCode_;
};

}  // namespace sonotag
