#pragma once
// A zip archive's entries as they are stored (name, compressed data and
// method, in the archive's order), for tests that compare packages byte for
// byte.

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <zip.h>

namespace sonotag::test {

struct StoredEntry {
    std::string name, data;
    zip_int32_t method = 0;
    bool operator==(const StoredEntry&) const = default;
};

inline std::vector<StoredEntry> StoredEntries(const std::string& path) {
    std::vector<StoredEntry> entries;
    const std::unique_ptr<zip_t, decltype(&zip_discard)> archive(zip_open(path.c_str(), ZIP_RDONLY, nullptr), zip_discard);
    EXPECT_TRUE(archive) << path;
    for (zip_int64_t index = 0; archive && index < zip_get_num_entries(archive.get(), 0); ++index) {
        zip_stat_t stat;
        zip_stat_index(archive.get(), static_cast<zip_uint64_t>(index), 0, &stat);
        std::string data(stat.comp_size, '\0');
        zip_file_t* file = zip_fopen_index(archive.get(), static_cast<zip_uint64_t>(index), ZIP_FL_COMPRESSED);
        EXPECT_EQ(zip_fread(file, data.data(), data.size()), static_cast<zip_int64_t>(data.size()));
        zip_fclose(file);
        entries.push_back({stat.name, std::move(data), stat.comp_method});
    }
    return entries;
}

}  // namespace sonotag::test
