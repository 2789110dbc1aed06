#include "dictionary/EncodedTextFile.h"

#include <algorithm>
#include <cstring>

#include "base/Utf.h"

namespace sonotag::dictionary {
namespace {

constexpr char kEndOfFileByte = 0x1A;

// Position of the next line end (LF) at or after `from`, in file units:
// bytes for the 8-bit encodings, little- or big-endian pairs for UTF-16.
std::size_t FindLineFeed(const std::string& buffer, std::size_t from, int unitSize, bool bigEndian) {
    if (unitSize == 1) {
        const std::size_t found = buffer.find('\n', from);
        return found;
    }
    for (std::size_t i = from; i + 1 < buffer.size(); i += 2) {
        const char low = bigEndian ? buffer[i + 1] : buffer[i];
        const char high = bigEndian ? buffer[i] : buffer[i + 1];
        if (low == '\n' && high == '\0') return i;
    }
    return std::string::npos;
}

void RemoveLineEnd(std::u16string& line, bool endedByLineFeed) {
    // A line ended by LF loses the CR of a CR LF pair and one more CR
    // (CR CR LF); the last line, without LF, loses one trailing CR.
    const int crs = endedByLineFeed ? 2 : 1;
    for (int k = 0; k < crs && !line.empty() && line.back() == u'\r'; ++k) line.pop_back();
}

}  // namespace

EncodedTextFile::EncodedTextFile(const std::u16string& path, std::string codePage, std::size_t chunkSize)
    : stream_(OpenForSharedReading(path)),
      ansi_(std::move(codePage)),
      chunkSize_(std::max<std::size_t>(chunkSize, 1)) {}

void EncodedTextFile::close() {
    stream_.reset();
    buffer_.clear();
    begin_ = scanned_ = 0;
    endOfInput_ = true;
}

bool EncodedTextFile::fillBuffer() {
    if (endOfInput_ || !stream_) return false;
    // Drop the lines already delivered before reading on.
    buffer_.erase(0, begin_);
    scanned_ -= begin_;
    begin_ = 0;
    const std::size_t old = buffer_.size();
    buffer_.resize(old + chunkSize_);
    const std::size_t got = std::fread(buffer_.data() + old, 1, chunkSize_, stream_.get());
    buffer_.resize(old + got);
    if (got < chunkSize_) endOfInput_ = true;  // end of file, or a read error taken as one
    if (!encodingKnown_ && buffer_.size() >= 3) detectEncoding();
    if (encodingKnown_ && encoding_ == MarkedEncoding::None) {
        // Text mode: the byte 0x1A ends the file.
        const std::size_t stop = buffer_.find(kEndOfFileByte, old);
        if (stop != std::string::npos) {
            buffer_.resize(stop);
            endOfInput_ = true;
        }
    }
    return got > 0;
}

void EncodedTextFile::detectEncoding() {
    const ByteOrderMark mark = DetectByteOrderMark(buffer_);
    encodingKnown_ = true;
    encoding_ = mark.encoding;
    buffer_.erase(0, mark.length);
    scanned_ = 0;
    // The 0x1A scan of fillBuffer starts after the bytes already seen; a file
    // without a mark must be scanned from its first byte.
    if (encoding_ == MarkedEncoding::None) {
        const std::size_t stop = buffer_.find(kEndOfFileByte);
        if (stop != std::string::npos) {
            buffer_.resize(stop);
            endOfInput_ = true;
        }
    }
}

bool EncodedTextFile::readLine(std::u16string& line) {
    for (;;) {
        const bool utf16 = encoding_ == MarkedEncoding::Utf16Le || encoding_ == MarkedEncoding::Utf16Be;
        const std::size_t unitSize = utf16 ? 2 : 1;
        if (encodingKnown_) {
            const std::size_t lineFeed = FindLineFeed(buffer_, std::max(begin_, scanned_), static_cast<int>(unitSize),
                                                      encoding_ == MarkedEncoding::Utf16Be);
            if (lineFeed != std::string::npos) {
                deliver(std::string_view(buffer_).substr(begin_, lineFeed - begin_), true, line);
                begin_ = lineFeed + unitSize;
                scanned_ = begin_;
                return true;
            }
            // No complete line yet: remember how far we looked (whole units only).
            scanned_ = buffer_.size() - (buffer_.size() - begin_) % unitSize;
        }
        if (fillBuffer()) continue;
        if (!encodingKnown_) {
            // A file shorter than the longest byte-order mark: only now is its
            // encoding known, and its bytes are searched for line ends first.
            detectEncoding();
            continue;
        }
        const std::string_view rest = std::string_view(buffer_).substr(begin_);
        if (rest.size() < unitSize) return false;
        deliver(rest, false, line);
        begin_ = buffer_.size();
        return true;
    }
}

void EncodedTextFile::deliver(std::string_view bytes, bool endedByLineFeed, std::u16string& line) {
    line.clear();  // keeps its capacity for the next line
    if (encoding_ == MarkedEncoding::None) {
        ansi_.append(bytes, line);
    } else {
        AppendInMarkedEncoding(bytes, encoding_, line);
    }
    const std::size_t nul = line.find(u'\0');
    if (nul != std::u16string::npos) line.resize(nul);
    RemoveLineEnd(line, endedByLineFeed);
}

}  // namespace sonotag::dictionary
