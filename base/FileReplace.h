#pragma once
// Replacing a file's contents so that a failure loses nothing: the bytes go
// to a file beside the target, which is renamed over the target only once
// complete. A failed write leaves the target as it was and no partial file.

#include <filesystem>
#include <string_view>
#include <system_error>

namespace sonotag {

enum class ReplaceStep {
    Done,      // the target holds the bytes
    Writing,   // the file beside the target could not be created or written
    Renaming,  // the complete file could not take the target's place
};

struct FileReplaceResult {
    ReplaceStep failedAt = ReplaceStep::Done;
    std::error_code error;  // the system's reason, where it gave one

    bool ok() const { return failedAt == ReplaceStep::Done; }
};

// The file beside `target` that holds the bytes until they are complete.
std::filesystem::path PartialFileOf(const std::filesystem::path& target);

FileReplaceResult ReplaceFileContents(const std::filesystem::path& target, std::string_view bytes);

}  // namespace sonotag
