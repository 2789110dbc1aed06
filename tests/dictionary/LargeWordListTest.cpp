// Word lists far beyond the shipped one: a line of ten megabytes and a list
// of a million lines load whole. (Their load times are in bench/.)

#include <string>

#include <gtest/gtest.h>

#include "dictionary/PhoneticDictionary.h"
#include "tests/support/CaseName.h"
#include "tests/support/TestFiles.h"

namespace sonotag {
namespace {

constexpr std::size_t kTenMegabytes = 10 << 20;

struct HugeLineCase {
    const char* name;
    std::string mark;      // byte-order mark, if any
    std::string bigUnit;   // one character in the file's encoding
    char16_t bigChar;      // the same character in memory
    std::string (*encode)(const std::string& ascii);
};

std::string Ascii(const std::string& text) { return text; }
std::string Utf16Le(const std::string& ascii) {
    std::string bytes;
    for (const char c : ascii) bytes += std::string{c, '\0'};
    return bytes;
}

class HugeLine : public ::testing::TestWithParam<HugeLineCase> {};

// A word of ten megabytes between two ordinary lines: all three are entries.
TEST_P(HugeLine, LoadsAsOneEntry) {
    const HugeLineCase& c = GetParam();
    std::string bytes = c.mark + c.encode("apple||5Apl\r\n");
    const std::size_t characters = kTenMegabytes / c.bigUnit.size();
    bytes.reserve(bytes.size() + kTenMegabytes + 64);
    for (std::size_t k = 0; k < characters; ++k) bytes += c.bigUnit;
    bytes += c.encode("|x|t[\r\npear||pZ[\r\n");
    test::ScratchFolder folder;
    PhoneticDictionary dictionary;
    ASSERT_FALSE(dictionary.load(folder.write("dictionary.txt", bytes)));
    EXPECT_EQ(dictionary.size(), 3u);
    EXPECT_EQ(dictionary.lookup(std::u16string(characters, c.bigChar)), u"t[");
    EXPECT_EQ(dictionary.lookup(u"apple"), u"5Apl");
    EXPECT_EQ(dictionary.lookup(u"pear"), u"pZ[");
}

INSTANTIATE_TEST_SUITE_P(Encodings, HugeLine,
                         ::testing::Values(HugeLineCase{"Ansi", "", "w", u'w', &Ascii},
                                           HugeLineCase{"Gbk", "", "\xC6\xBB", u'苹', &Ascii},
                                           HugeLineCase{"Utf8", "\xEF\xBB\xBF", "\xE8\x8B\xB9", u'苹', &Ascii},
                                           HugeLineCase{"Utf16", "\xFF\xFE", "\xF9\x82", u'苹', &Utf16Le}),
                         test::CaseName());

// A million lines, each its own word, with a repeat of the first at the end
// that must not replace it.
TEST(LargeWordList, MillionLinesLoad) {
    constexpr int kLines = 1'000'000;
    std::string bytes;
    bytes.reserve(std::size_t{kLines} * 24);
    for (int i = 0; i < kLines; ++i) bytes += "w" + std::to_string(i) + "||t" + std::to_string(i) + "\r\n";
    bytes += "w0||again\r\n";
    test::ScratchFolder folder;
    PhoneticDictionary dictionary;
    ASSERT_FALSE(dictionary.load(folder.write("dictionary.txt", bytes)));
    EXPECT_EQ(dictionary.size(), std::size_t{kLines});
    for (const int i : {0, 1, 499'999, 765'432, kLines - 1}) {
        const std::string index = std::to_string(i);
        EXPECT_EQ(dictionary.lookup(u"w" + std::u16string(index.begin(), index.end())),
                  u"t" + std::u16string(index.begin(), index.end()));
    }
    EXPECT_EQ(dictionary.lookup(u"w1000000"), u"");
    EXPECT_EQ(dictionary.size(), std::size_t{kLines} + 1);  // the miss is remembered
}

}  // namespace
}  // namespace sonotag
