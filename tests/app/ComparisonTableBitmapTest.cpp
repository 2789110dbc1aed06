// The committed picture of the comparison table (bitmap 139): its format,
// its grid, its colours, and a key and a symbol drawn in every cell.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

struct Rgb {
    int red, green, blue;
    bool operator==(const Rgb&) const = default;
};

constexpr Rgb kGrey{212, 208, 200};
constexpr Rgb kWhite{255, 255, 255};

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
    // (x, y) from the top-left corner; rows are stored bottom-up.
    Rgb at(int x, int y) const {
        const std::size_t row = (static_cast<std::size_t>(width()) * 3 + 3) / 4 * 4;
        const std::size_t offset = u32(10) + row * static_cast<std::size_t>(height() - 1 - y) + 3 * static_cast<std::size_t>(x);
        return {byte(offset + 2), byte(offset + 1), byte(offset)};
    }

private:
    int byte(std::size_t at) const { return at < bytes_.size() ? static_cast<unsigned char>(bytes_[at]) : -1; }
    std::vector<char> bytes_;
};

const Bitmap& Table() {
    static const Bitmap bitmap(SONOTAG_COMPARISON_TABLE);
    return bitmap;
}

bool IsBlackish(Rgb c) { return c.red < 100 && c.green < 100 && c.blue < 100; }
bool IsBluish(Rgb c) { return c.blue > 180 && c.red < 120 && c.green < 120; }

TEST(ComparisonTableBitmap, Is493By175In24Bits) {
    const Bitmap& table = Table();
    ASSERT_TRUE(table.loaded());
    EXPECT_EQ(table.u16(0), 0x4D42);  // "BM"
    EXPECT_EQ(table.width(), 493);
    EXPECT_EQ(table.height(), 175);
    EXPECT_EQ(table.u16(28), 24);
    EXPECT_EQ(table.u32(30), 0u);  // uncompressed
}

TEST(ComparisonTableBitmap, WhiteLinesTwoPixelsWideDivideTwoRowsOfTenCells) {
    const Bitmap& table = Table();
    ASSERT_TRUE(table.loaded());
    for (int x = 48; x <= 448; x += 50) {
        for (int y : {0, 40, 84, 120, 174}) {
            EXPECT_EQ(table.at(x, y), kWhite) << x << "," << y;
            EXPECT_EQ(table.at(x + 1, y), kWhite) << x + 1 << "," << y;
        }
        EXPECT_EQ(table.at(x - 1, 1), kGrey) << "grey left of the line at " << x;
        EXPECT_EQ(table.at(x + 2, 1), kGrey) << "grey right of the line at " << x;
    }
    for (int x : {0, 20, 247, 492}) {
        EXPECT_EQ(table.at(x, 85), kWhite) << x;
        EXPECT_EQ(table.at(x, 86), kWhite) << x;
        EXPECT_EQ(table.at(x, 84), kGrey) << x;
        EXPECT_EQ(table.at(x, 87), kGrey) << x;
    }
}

TEST(ComparisonTableBitmap, EveryCellShowsABlackKeyAboveABlueSymbol) {
    const Bitmap& table = Table();
    ASSERT_TRUE(table.loaded());
    const std::array<std::pair<int, int>, 2> rows = {{{0, 85}, {87, 175}}};
    for (int column = 0; column < 10; ++column) {
        const int left = column == 0 ? 0 : 50 * column;
        const int right = column == 9 ? 493 : 48 + 50 * column;
        for (const auto& [top, bottom] : rows) {
            const int middle = (top + bottom) / 2;
            bool black = false;
            bool blue = false;
            bool blackBelow = false;
            for (int y = top; y < bottom; ++y) {
                for (int x = left; x < right; ++x) {
                    const Rgb c = table.at(x, y);
                    if (IsBlackish(c)) (y < middle ? black : blackBelow) = true;
                    if (IsBluish(c)) blue = true;
                }
            }
            EXPECT_TRUE(black) << "no key in cell " << column << " of the row at " << top;
            EXPECT_TRUE(blue) << "no symbol in cell " << column << " of the row at " << top;
            EXPECT_FALSE(blackBelow) << "black below the key in cell " << column << " of the row at " << top;
        }
    }
}

}  // namespace
