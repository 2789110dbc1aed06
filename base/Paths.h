#pragma once
// Paths: joining and splitting them, and where the running executable is.

#include <cstddef>
#include <string>

namespace sonotag {

// The running executable's full path, of any length; empty when the system
// cannot tell.
std::u16string ExecutablePath();

// The folder of the running executable, without a trailing separator; empty
// when the system cannot tell.
std::u16string ProgramFolder();

// folder + the platform's path separator + name.
std::u16string JoinPath(const std::u16string& folder, const std::u16string& name);

// The folder part of a path: everything before its last separator, or empty.
std::u16string FolderOf(const std::u16string& path);

// Asks `query(buffer, capacity)` for a path with ever larger buffers until it
// fits. The query returns the count of units written; a full buffer may be a
// silently truncated path, and is asked again; 0 means failure. Empty when
// the query fails or no buffer up to 32768 units is enough.
template <class Char, class Query>
std::basic_string<Char> QueryWholePath(Query query) {
    std::basic_string<Char> buffer(260, Char{});
    while (buffer.size() <= 32768) {
        const std::size_t length = query(buffer.data(), buffer.size());
        if (length == 0) break;
        if (length < buffer.size()) {
            buffer.resize(length);
            return buffer;
        }
        buffer.resize(buffer.size() * 2);
    }
    return {};
}

}  // namespace sonotag
