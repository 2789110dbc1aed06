#include "settings/ProfileFile.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <limits>
#include <string>

#include <gtest/gtest.h>

#include "tests/support/CaseName.h"
#include "tests/support/TestFiles.h"

namespace sonotag::settings {
namespace {

using namespace std::string_literals;

constexpr std::uint32_t kMax = std::numeric_limits<std::uint32_t>::max();

std::string FileBytes(const std::u16string& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::string Ascii(std::u16string_view text) { return std::string(text.begin(), text.end()); }

// A file holding one key V in section S.
std::u16string FileWithValue(const test::ScratchFolder& folder, const std::string& value) {
    return folder.write("value.ini", "[S]\r\nV=" + value + "\r\n");
}

// ---- Null arguments and paths.

TEST(ProfileFileNulls, NullSectionOrKeyGivesTheDefaultUntouched) {
    test::ScratchFolder folder;
    const ProfileFile file(FileWithValue(folder, "stored"));
    // The file's functions would trim the trailing blanks: these come back as given.
    EXPECT_EQ(file.ReadString(std::nullopt, u"V", u"a  "), u"a  ");
    EXPECT_EQ(file.ReadString(u"S", std::nullopt, u"\"q\" "), u"\"q\" ");
    EXPECT_EQ(file.ReadString(u"S", std::nullopt, std::nullopt), u"");
    EXPECT_EQ(file.ReadUnsigned(std::nullopt, u"V", 7, 10), 7u);
    EXPECT_TRUE(file.ReadBool(u"S", std::nullopt, true));
}

TEST(ProfileFileNulls, NullSectionOrKeyWritesNothing) {
    test::ScratchFolder folder;
    const ProfileFile file(folder.programPath("config.ini"));
    EXPECT_FALSE(file.WriteString(std::nullopt, u"V", u"x"));
    EXPECT_FALSE(file.WriteString(u"S", std::nullopt, u"x"));
    EXPECT_FALSE(file.WriteInt(std::nullopt, u"V", 1, 10));
    EXPECT_FALSE(file.WriteBool(u"S", std::nullopt, true));
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "config.ini"));
}

TEST(ProfileFileNulls, NullTextWritesAnEmptyValue) {
    test::ScratchFolder folder;
    const ProfileFile file(FileWithValue(folder, "stored"));
    EXPECT_TRUE(file.WriteString(u"S", u"V", std::nullopt));
    EXPECT_EQ(file.ReadString(u"S", u"V", u"default"), u"");
}

TEST(ProfileFilePath, NullPathEmptiesAKeptPath) {
    test::ScratchFolder folder;
    ProfileFile file(FileWithValue(folder, "stored"));
    EXPECT_EQ(file.ReadString(u"S", u"V", u""), u"stored");
    file.SetPath(std::nullopt);
    ASSERT_TRUE(file.path().has_value());
    EXPECT_EQ(*file.path(), u"");
    EXPECT_EQ(file.ReadString(u"S", u"V", u"default"), u"default");
    EXPECT_FALSE(file.WriteString(u"S", u"V", u"x"));
}

TEST(ProfileFilePath, NullPathLeavesNoPathAsNone) {
    ProfileFile file(std::nullopt);
    file.SetPath(std::nullopt);
    EXPECT_FALSE(file.path().has_value());
    EXPECT_EQ(file.ReadString(u"S", u"V", u"default"), u"default");
}

TEST(ProfileFilePath, NewPathReplacesTheOld) {
    test::ScratchFolder folder;
    ProfileFile file(folder.programPath("missing.ini"));
    EXPECT_EQ(file.ReadString(u"S", u"V", u"default"), u"default");
    file.SetPath(FileWithValue(folder, "stored"));
    EXPECT_EQ(file.ReadString(u"S", u"V", u"default"), u"stored");
}

// ---- Values of any length.

struct LengthCase {
    const char* name;
    std::size_t length;
    bool quoted;
};

class ProfileFileLongValue : public ::testing::TestWithParam<LengthCase> {};

TEST_P(ProfileFileLongValue, IsReadWhole) {
    std::string value;
    for (std::size_t i = 0; i < GetParam().length; ++i) value.push_back(static_cast<char>('a' + i % 26));
    test::ScratchFolder folder;
    const ProfileFile file(FileWithValue(folder, GetParam().quoted ? "\"" + value + "\"" : value));
    EXPECT_EQ(Ascii(file.ReadString(u"S", u"V", u"")), value);
}

INSTANTIATE_TEST_SUITE_P(Lengths, ProfileFileLongValue,
                         ::testing::Values(LengthCase{"Fits", 510, false}, LengthCase{"FillsFirstBuffer", 511, false},
                                           LengthCase{"OneOver", 512, false}, LengthCase{"Longer", 600, false},
                                           LengthCase{"FillsSecondBuffer", 1023, false},
                                           LengthCase{"ThreeBuffers", 1500, false},
                                           LengthCase{"QuotedFillsFirstBuffer", 511, true},
                                           LengthCase{"QuotedOneOver", 512, true},
                                           LengthCase{"QuotedLong", 5000, true}),
                         test::CaseName());

// ---- Numbers.

struct UnsignedCase {
    const char* name;
    std::string value;  // empty: the key is written without a value
    int base;
    std::uint32_t expected;
};

class ProfileFileUnsigned : public ::testing::TestWithParam<UnsignedCase> {};

TEST_P(ProfileFileUnsigned, ParsesAsTheBaseSays) {
    test::ScratchFolder folder;
    const ProfileFile file(FileWithValue(folder, GetParam().value));
    EXPECT_EQ(file.ReadUnsigned(u"S", u"V", 4242, GetParam().base), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ProfileFileUnsigned,
    ::testing::Values(UnsignedCase{"EmptyGivesDefault", "", 10, 4242}, UnsignedCase{"Decimal", "12", 10, 12},
                      UnsignedCase{"DigitThenLetters", "1abc", 10, 1}, UnsignedCase{"LettersOnly", "abc", 10, 0},
                      UnsignedCase{"Plus", "+5", 10, 5}, UnsignedCase{"MinusOne", "-1", 10, kMax},
                      UnsignedCase{"MinusTwo", "-2", 10, kMax - 1}, UnsignedCase{"MinusZero", "-0", 10, 0},
                      UnsignedCase{"Largest", "4294967295", 10, kMax},
                      UnsignedCase{"TooLarge", "4294967296", 10, kMax},
                      UnsignedCase{"TooLargeNegative", "-99999999999", 10, kMax},
                      UnsignedCase{"QuotedBlanksSkipped", "\" 7\"", 10, 7},
                      UnsignedCase{"LeadingZeroStaysDecimal", "077", 10, 77},
                      UnsignedCase{"BaseZeroIsDecimal", "0x10", 0, 0}, UnsignedCase{"BaseThreeIsDecimal", "29", 3, 29},
                      UnsignedCase{"Binary", "101", 2, 5}, UnsignedCase{"BinaryStopsAtTwo", "1012", 2, 5},
                      UnsignedCase{"Octal", "777", 8, 511}, UnsignedCase{"OctalStopsAtEight", "8", 8, 0},
                      UnsignedCase{"Hex", "ff", 16, 255}, UnsignedCase{"HexPrefix", "0x1F", 16, 31},
                      UnsignedCase{"HexPrefixWithoutDigits", "0xg", 16, 0},
                      UnsignedCase{"HexLargest", "FFFFFFFF", 16, kMax},
                      UnsignedCase{"OnlyFirst64Characters", std::string(64, '0') + "7", 10, 0},
                      UnsignedCase{"Exactly64Characters", std::string(63, '0') + "7", 10, 7}),
    test::CaseName());

struct FlagCase {
    const char* name;
    std::string value;
    bool defaultFlag;
    bool expected;
};

class ProfileFileBool : public ::testing::TestWithParam<FlagCase> {};

TEST_P(ProfileFileBool, ReadsWordsAndNumbers) {
    test::ScratchFolder folder;
    const ProfileFile file(FileWithValue(folder, GetParam().value));
    EXPECT_EQ(file.ReadBool(u"S", u"V", GetParam().defaultFlag), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, ProfileFileBool,
    ::testing::Values(FlagCase{"Yes", "yes", false, true}, FlagCase{"YesCapitals", "YES", false, true},
                      FlagCase{"TrueCapitals", "TRUE", false, true}, FlagCase{"TrueMixed", "True", false, true},
                      FlagCase{"Two", "2", false, true}, FlagCase{"MinusOne", "-1", false, true},
                      FlagCase{"OneThenLetters", "1abc", false, true}, FlagCase{"No", "no", true, false},
                      FlagCase{"Zero", "0", true, false}, FlagCase{"Letters", "on", true, false},
                      FlagCase{"YesWithMore", "yes please", true, false},
                      FlagCase{"EmptyGivesDefaultTrue", "", true, true},
                      FlagCase{"EmptyGivesDefaultFalse", "", false, false},
                      FlagCase{"HugeIsTrue", "99999999999999", false, true}),
    test::CaseName());

struct IntegerCase {
    const char* name;
    std::int32_t number;
    int base;
    std::u16string stored;
};

class ProfileFileWriteInt : public ::testing::TestWithParam<IntegerCase> {};

TEST_P(ProfileFileWriteInt, StoresTheBasesForm) {
    test::ScratchFolder folder;
    const ProfileFile file(folder.programPath("int.ini"));
    ASSERT_TRUE(file.WriteInt(u"S", u"V", GetParam().number, GetParam().base));
    EXPECT_EQ(file.ReadString(u"S", u"V", u"none"), GetParam().stored);
    if (GetParam().base == 2 || GetParam().base == 8 || GetParam().base == 16) {
        EXPECT_EQ(file.ReadUnsigned(u"S", u"V", 0, GetParam().base), static_cast<std::uint32_t>(GetParam().number));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, ProfileFileWriteInt,
    ::testing::Values(IntegerCase{"BinaryFive", 5, 2, u"101"}, IntegerCase{"BinaryZero", 0, 2, u"0"},
                      IntegerCase{"BinaryMinusOne", -1, 2, std::u16string(32, u'1')},
                      IntegerCase{"OctalEight", 8, 8, u"10"}, IntegerCase{"OctalMinusOne", -1, 8, u"37777777777"},
                      IntegerCase{"Hex", 255, 16, u"FF"}, IntegerCase{"HexMinusOne", -1, 16, u"FFFFFFFF"},
                      IntegerCase{"Decimal", 1234, 10, u"1234"}, IntegerCase{"DecimalNegative", -5, 10, u"-5"},
                      IntegerCase{"OtherBaseIsSignedDecimal", -5, 3, u"-5"},
                      IntegerCase{"Smallest", std::numeric_limits<std::int32_t>::min(), 10, u"-2147483648"}),
    test::CaseName());

TEST(ProfileFileWriteBool, StoresOneOrZero) {
    test::ScratchFolder folder;
    const ProfileFile file(folder.programPath("bool.ini"));
    ASSERT_TRUE(file.WriteBool(u"S", u"On", true));
    ASSERT_TRUE(file.WriteBool(u"S", u"Off", false));
    EXPECT_EQ(file.ReadString(u"S", u"On", u""), u"1");
    EXPECT_EQ(file.ReadString(u"S", u"Off", u""), u"0");
}

// ---- A new file is Unicode; an existing ANSI one stays ANSI.

TEST(ProfileFileEncoding, NewFileIsCreatedAsUtf16WithByteOrderMark) {
    test::ScratchFolder folder;
    const auto path = folder.programPath("config.ini");
    const ProfileFile file(path);
    ASSERT_TRUE(file.WriteString(u"COM", u"CHARSTYLE", u":音标:\U0001F600"));
    EXPECT_EQ(FileBytes(path), "\xFF\xFE[\0C\0O\0M\0]\0\r\0\n\0C\0H\0A\0R\0S\0T\0Y\0L\0E\0=\0:\0\xF3\x97\x07\x68:\0"
                               "\x3D\xD8\x00\xDE\r\0\n\0"s);
    EXPECT_EQ(file.ReadString(u"COM", u"CHARSTYLE", u""), u":音标:\U0001F600");
}

TEST(ProfileFileEncoding, ExistingAnsiFileStaysAnsi) {
    test::ScratchFolder folder;
    const auto path = folder.write("config.ini", "[COM]\r\nCHARSTYLE=:\xD2\xF4\xB1\xEA\r\n");
    const ProfileFile file(path);
    EXPECT_EQ(file.ReadString(u"COM", u"CHARSTYLE", u""), u":音标");
    ASSERT_TRUE(file.WriteString(u"COM", u"CHARSTYLE", u":果"));
    EXPECT_EQ(FileBytes(path), "[COM]\r\nCHARSTYLE=:\xB9\xFB\r\n");
}

TEST(ProfileFileEncoding, MissingFolderCreatesNothing) {
    test::ScratchFolder folder;
    const ProfileFile file(folder.programPath("gone") + u"/config.ini");
    EXPECT_FALSE(file.WriteString(u"COM", u"A", u"1"));
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "gone"));
}

}  // namespace
}  // namespace sonotag::settings
