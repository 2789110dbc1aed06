#pragma once
// Reads a text file line by line into UTF-16.
//
// A byte-order mark decides the encoding (UTF-8, UTF-16 LE or BE) and is not
// part of the first line. A file without one is text in an ANSI code page,
// read as the C runtime's text mode reads it: a byte 0x1A ends it. In every
// encoding a line ends at LF; a CR before that LF (or two, CR CR LF) and a CR
// ending the last line go with the line end; a CR inside a line stays; a NUL
// cuts the line there. Lines of any length are delivered whole.

#include <cstdio>
#include <string>

#include "base/CodePage.h"
#include "base/PlatformFile.h"
#include "base/Utf.h"

namespace sonotag::dictionary {

class EncodedTextFile {
public:
    // The bytes read from the file at a time.
    static constexpr std::size_t kDefaultChunkSize = 1 << 16;

    // Opens the file for shared reading; throws FileError. `codePage` names
    // the ANSI code page of a file without a byte-order mark (see AnsiDecoder).
    // A smaller `chunkSize` (at least 1) changes nothing but where the reads
    // fall: tests make lines and characters straddle them.
    explicit EncodedTextFile(const std::u16string& path, std::string codePage = {},
                             std::size_t chunkSize = kDefaultChunkSize);

    // True when a line was read into `line`; false at the end of the file or
    // on a read error, leaving `line` unchanged.
    bool readLine(std::u16string& line);

    void close();

private:
    bool fillBuffer();
    void detectEncoding();
    void deliver(std::string_view bytes, bool endedByLineFeed, std::u16string& line);

    FilePtr stream_;
    AnsiDecoder ansi_;
    std::size_t chunkSize_;
    bool encodingKnown_ = false;
    MarkedEncoding encoding_ = MarkedEncoding::None;  // None: the ANSI code page
    std::string buffer_;                              // raw bytes read; those before begin_ are delivered
    std::size_t begin_ = 0;
    std::size_t scanned_ = 0;  // buffer_ is searched for a line end from here on
    bool endOfInput_ = false;
};

}  // namespace sonotag::dictionary
