#pragma once
// The zip archive of an IDML package: its entries read with limits, and a
// copy written with some entries replaced and every other one copied as
// it is stored (its compressed data untouched).

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct zip;

namespace sonotag::idml {

// No entry the program reads may inflate to more than this.
inline constexpr std::uint64_t kMaxEntrySize = std::uint64_t{512} << 20;

class ZipPackage {
public:
    // Throws PackageError when `path` is not a readable zip archive.
    explicit ZipPackage(const std::filesystem::path& path);
    ~ZipPackage();
    ZipPackage(const ZipPackage&) = delete;
    ZipPackage& operator=(const ZipPackage&) = delete;

    // The entries' names, in the archive's order.
    const std::vector<std::string>& entries() const { return entries_; }
    bool contains(const std::string& name) const;

    // The whole entry. Throws PackageError for a missing, damaged or
    // truncated entry, or one larger than kMaxEntrySize.
    std::string read(const std::string& name) const;

    // Reads the entry through to its end, where libzip checks its CRC,
    // keeping nothing. Throws PackageError for a missing, encrypted,
    // unreadable, damaged or truncated entry ("IN.idml: entry X is damaged
    // (CRC error)").
    void check(const std::string& name) const;

    // Writes the archive to `output` with the entries of `replaced` given
    // their new content (deflated) and every other entry copied raw, in the
    // same order. libzip writes a temporary file beside `output` and renames
    // it into place once complete, so a failure leaves no output. Throws
    // std::runtime_error when the output cannot be written.
    void writeCopy(const std::filesystem::path& output, const std::map<std::string, std::string>& replaced) const;

private:
    struct Closer {
        void operator()(zip* archive) const;
    };
    std::unique_ptr<zip, Closer> archive_;
    std::string name_;  // the file name, for messages
    std::vector<std::string> entries_;
};

}  // namespace sonotag::idml
