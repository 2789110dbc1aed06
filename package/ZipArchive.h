#pragma once
// The zip archive of a package (IDML, Word), held in memory: its entries
// read with limits, and a copy made with some entries replaced and every
// other one copied as it is stored (its compressed data untouched).

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

struct zip;

namespace sonotag::package {

// No entry the program reads may inflate to more than this.
inline constexpr std::uint64_t kMaxEntrySize = std::uint64_t{512} << 20;

class ZipArchive {
public:
    // Throws DocumentError when `bytes` are not a readable zip archive;
    // `name` names the archive in every message.
    ZipArchive(std::string bytes, std::string name);
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    const std::string& name() const { return name_; }

    // The entries' names, in the archive's order.
    const std::vector<std::string>& entries() const { return entries_; }
    bool contains(const std::string& name) const;

    // The whole entry. Throws DocumentError for a missing, damaged or
    // truncated entry, or one larger than kMaxEntrySize.
    std::string read(const std::string& name) const;

    // Reads the entry through to its end, where libzip checks its CRC,
    // keeping nothing. Throws DocumentError for a missing, encrypted,
    // unreadable, damaged or truncated entry ("IN.idml: entry X is damaged
    // (CRC error)").
    void check(const std::string& name) const;

    // The archive with the entries of `replaced` given their new content
    // (deflated) and every other entry copied raw, in the same order.
    // Throws DocumentError when libzip cannot make it.
    std::string copyWith(const std::map<std::string, std::string>& replaced) const;

private:
    struct Closer {
        void operator()(zip* archive) const;
    };
    std::string bytes_;  // what the archive reads from
    std::string name_;   // for messages
    std::unique_ptr<zip, Closer> archive_;
    std::vector<std::string> entries_;
};

}  // namespace sonotag::package
