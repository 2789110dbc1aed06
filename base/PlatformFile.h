#pragma once
// Opening a file for reading: Win32 and the C runtime on Windows, POSIX
// elsewhere.

#include <cstdio>
#include <memory>
#include <string>

namespace sonotag {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens an existing file for reading bytes, letting other programs read and
// write it meanwhile. Throws FileError.
FilePtr OpenForSharedReading(const std::u16string& path);

}  // namespace sonotag
