#pragma once
// The few file and code-page services the word-list reader needs from the
// platform: Win32 and the C runtime on Windows, POSIX and iconv elsewhere.

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>

namespace sonotag {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

// Opens an existing file for reading bytes, letting other programs read and
// write it meanwhile. Throws FileError.
FilePtr OpenForSharedReading(const std::u16string& path);

// Decodes bytes of an ANSI code page. The empty name means the system's ANSI
// code page (Windows: asked anew at each conversion; elsewhere CP936, the code
// page of the program's users). Invalid bytes never fail the conversion.
class AnsiDecoder {
public:
    explicit AnsiDecoder(std::string codePage = {});
    ~AnsiDecoder();
    AnsiDecoder(const AnsiDecoder&) = delete;
    AnsiDecoder& operator=(const AnsiDecoder&) = delete;

    void append(std::string_view bytes, std::u16string& out);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace sonotag
