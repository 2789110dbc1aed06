// The committed picture of the comparison table (bitmap 139): the size and
// format the window is fitted to.

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

class Bitmap {
public:
    explicit Bitmap(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        bytes_.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    bool loaded() const { return bytes_.size() > 54; }
    std::uint32_t u32(std::size_t at) const {
        return static_cast<std::uint32_t>(byte(at)) | static_cast<std::uint32_t>(byte(at + 1)) << 8 |
               static_cast<std::uint32_t>(byte(at + 2)) << 16 | static_cast<std::uint32_t>(byte(at + 3)) << 24;
    }
    std::uint16_t u16(std::size_t at) const {
        return static_cast<std::uint16_t>(byte(at) | byte(at + 1) << 8);
    }
    std::int32_t width() const { return static_cast<std::int32_t>(u32(18)); }
    std::int32_t height() const { return static_cast<std::int32_t>(u32(22)); }
private:
    int byte(std::size_t at) const { return at < bytes_.size() ? static_cast<unsigned char>(bytes_[at]) : -1; }
    std::vector<char> bytes_;
};

const Bitmap& Table() {
    static const Bitmap bitmap(SONOTAG_COMPARISON_TABLE);
    return bitmap;
}

TEST(ComparisonTableBitmap, Is493By175In24Bits) {
    const Bitmap& table = Table();
    ASSERT_TRUE(table.loaded());
    EXPECT_EQ(table.u16(0), 0x4D42);  // "BM"
    EXPECT_EQ(table.width(), 493);
    EXPECT_EQ(table.height(), 175);
    EXPECT_EQ(table.u16(28), 24);
    EXPECT_EQ(table.u32(30), 0u);  // uncompressed
}

}  // namespace
