// config.ini full of garbage: random bytes, binary, a line of megabytes, no
// section. Loading never fails; it takes the keys it can find and the
// defaults for the rest, and a save afterwards still reads back.

#include <random>
#include <string>

#include <gtest/gtest.h>

#include "settings/ProfileFile.h"
#include "settings/SettingsFile.h"
#include "tests/support/CaseName.h"
#include "tests/support/TestFiles.h"

namespace sonotag::settings {
namespace {

using namespace std::string_literals;

// Bytes of every value but the line ends, so the garbage stays one line.
std::string GarbageLine(std::size_t size, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string bytes(size, '\0');
    for (char& c : bytes) {
        do c = static_cast<char>(byte(random));
        while (c == '\r' || c == '\n');
    }
    return bytes;
}

std::string RandomBytes(std::size_t size, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string bytes(size, '\0');
    for (char& c : bytes) c = static_cast<char>(byte(random));
    return bytes;
}

AnnotationSettings Load(const std::u16string& path) { return ReadSettings(path); }

AnnotationSettings WithLeftSymbol(std::u16string symbol) {
    AnnotationSettings settings;
    settings.leftSymbol = std::move(symbol);
    return settings;
}

struct GarbageCase {
    const char* name;
    std::string bytes;
    AnnotationSettings expected;
};

class GarbageConfig : public ::testing::TestWithParam<GarbageCase> {};

TEST_P(GarbageConfig, LoadsWhatItCanAndSavesOverIt) {
    test::ScratchFolder folder;
    const std::u16string path = folder.write("config.ini", GetParam().bytes);
    EXPECT_EQ(Load(path), GetParam().expected);

    AnnotationSettings changed = GetParam().expected;
    changed.rightSymbol = u"]";
    changed.ipaVersion = 1;
    SaveSettings(path, changed);
    EXPECT_EQ(Load(path), changed);
}

const std::string kSectionWithLeftSymbol = "\r\n[COM]\r\nSYML=<\r\n";

INSTANTIATE_TEST_SUITE_P(
    Files, GarbageConfig,
    ::testing::Values(
        GarbageCase{"RandomBytes", RandomBytes(1 << 16, 1), AnnotationSettings()},
        GarbageCase{"RandomBytesAroundTheSection",
                    GarbageLine(5000, 2) + kSectionWithLeftSymbol + GarbageLine(5000, 3), WithLeftSymbol(u"<")},
        GarbageCase{"Utf16MarkThenRandomUnits", "\xFF\xFE" + RandomBytes(1 << 14, 4), AnnotationSettings()},
        GarbageCase{"Utf8MarkThenRandomBytes", "\xEF\xBB\xBF" + RandomBytes(1 << 14, 5), AnnotationSettings()},
        GarbageCase{"KeysWithoutSection", "IDVER=x\r\nFGF=T\r\nSYML=<\r\n", AnnotationSettings()},
        GarbageCase{"SectionWithoutClosingBracket", "[COM\r\nSYML=<\r\n", AnnotationSettings()},
        GarbageCase{"KeysWithoutEquals", "[COM]\r\nSYML\r\nYBVER\r\n", AnnotationSettings()},
        GarbageCase{"OnlyLineEnds", std::string(10000, '\n') + std::string(10000, '\r'), AnnotationSettings()},
        GarbageCase{"NulCutsAValue", "[COM]\r\nSYML=<\0>\r\n"s, WithLeftSymbol(u"<")},
        GarbageCase{"BinaryValues", "[COM]\r\nYBVER=\x01\x02\r\nUNICODE=\xFF\xFE\r\nSYML=<\r\n",
                    [] {
                        AnnotationSettings settings = WithLeftSymbol(u"<");
                        settings.useUnicode = false;  // a flag without digits is false
                        return settings;
                    }()}),
    test::CaseName());

// Megabytes on one line: every read of a value goes through the whole file,
// and a value far longer than the first buffer takes several reads.
constexpr std::size_t kHugeLine = 2 << 20;

// A huge line is one value, read whole, and the keys around it still count.
TEST(GarbageConfigHugeLine, HugeValueIsReadWhole) {
    const std::string style = ":" + std::string(kHugeLine, 'x');
    test::ScratchFolder folder;
    const std::u16string path =
        folder.write("config.ini", "[COM]\r\nSYML=<\r\nCHARSTYLE=" + style + "\r\nSYMR=>\r\n");
    const AnnotationSettings loaded = Load(path);
    EXPECT_EQ(loaded.characterStyleName.size(), style.size());
    EXPECT_EQ(loaded.characterStyleName, std::u16string(style.begin(), style.end()));
    EXPECT_EQ(loaded.leftSymbol, u"<");
    EXPECT_EQ(loaded.rightSymbol, u">");
}

TEST(GarbageConfigHugeLine, HugeLineOfGarbageIsSkipped) {
    test::ScratchFolder folder;
    const std::u16string path = folder.write("config.ini", GarbageLine(kHugeLine, 6) + kSectionWithLeftSymbol);
    EXPECT_EQ(Load(path), WithLeftSymbol(u"<"));
}

}  // namespace
}  // namespace sonotag::settings
