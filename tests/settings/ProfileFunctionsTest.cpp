// What the profile functions do with INI files, held against the platform's
// own functions under Wine and against the portable ones everywhere.

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <tuple>

#include <gtest/gtest.h>

#include "settings/ProfileFunctions.h"
#include "tests/settings/ProfileSuite.h"
#include "tests/support/TestFiles.h"

namespace sonotag::settings {
namespace {

using namespace std::string_literals;

struct Read {
    std::uint32_t length;
    std::u16string text;
};

Read ReadValue(const ProfileFunctions& functions, const char16_t* section, const char16_t* key,
               const char16_t* defaultText, const std::u16string& path, std::uint32_t size = 100) {
    std::u16string buffer(size, u'*');
    const std::uint32_t length = functions.readString(section, key, defaultText, buffer.data(), size, path.c_str());
    return {length, buffer.substr(0, buffer.find(u'\0'))};
}

std::string FileBytes(const std::u16string& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// ---- Reading one key of a file.

struct ReadCase {
    const char* name;
    std::string file;
    const char16_t* section;
    const char16_t* key;
    std::u16string expected;  // "<default>" stands for the default
};

class ProfileRead : public ::testing::TestWithParam<std::tuple<const ProfileFunctions*, ReadCase>> {};

TEST_P(ProfileRead, GivesTheValueOrTheDefault) {
    const auto& [functions, c] = GetParam();
    test::ScratchFolder folder;
    const auto path = folder.write("read.ini", c.file);
    const Read read = ReadValue(*functions, c.section, c.key, u"<default>", path);
    EXPECT_EQ(read.text, c.expected);
    EXPECT_EQ(read.length, c.expected.size());
}

const ReadCase kReadCases[] = {
    {"Plain", "[COM]\r\nFGF=S\r\n", u"COM", u"FGF", u"S"},
    {"BlanksAroundValueTrimmed", "[COM]\r\nA =  x  \r\n", u"COM", u"A", u"x"},
    {"TabsAroundValueTrimmed", "[COM]\r\nK=\t tab\t\r\n", u"COM", u"K", u"tab"},
    {"BlanksInsideValueKept", "[COM]\r\nK=a  b\r\n", u"COM", u"K", u"a  b"},
    {"SectionAndKeyWithoutCase", "[com]\r\nfgf=T\r\n", u"COM", u"FGF", u"T"},
    {"BlanksAroundArgumentsIgnored", "[COM]\r\nA=1\r\n", u" COM ", u" A ", u"1"},
    {"HeaderLineWithBlanksAround", "  [COM]  \r\nA=1\r\n", u"COM", u"A", u"1"},
    {"BlanksInsideHeaderIgnored", "[ COM ]\r\nA=1\r\n", u"COM", u"A", u"1"},
    {"TextAfterHeaderIgnored", "[COM] ; settings\r\nA=1\r\n", u"COM", u"A", u"1"},
    {"HeaderWithoutClosingBracketIsNoHeader", "[COM\r\nA=1\r\n", u"COM", u"A", u"<default>"},
    {"DoubleQuotesStripped", "[COM]\r\nB=\"q\"\r\n", u"COM", u"B", u"q"},
    {"SingleQuotesStripped", "[COM]\r\nB='q'\r\n", u"COM", u"B", u"q"},
    {"QuotesKeepBlanksInside", "[COM]\r\nG= \" in \" \r\n", u"COM", u"G", u" in "},
    {"OnlyOnePairStripped", "[COM]\r\nB=\"\"q\"\"\r\n", u"COM", u"B", u"\"q\""},
    {"UnmatchedQuotesKept", "[COM]\r\nD=\"q'\r\n", u"COM", u"D", u"\"q'"},
    {"LoneQuoteKept", "[COM]\r\nE=\"\r\n", u"COM", u"E", u"\""},
    {"EmptyQuotesGiveEmpty", "[COM]\r\nF=\"\"\r\n", u"COM", u"F", u""},
    {"EqualsInsideValue", "[COM]\r\nH=a=b\r\n", u"COM", u"H", u"a=b"},
    {"EmptyValueIsNotTheDefault", "[COM]\r\nJ=\r\n", u"COM", u"J", u""},
    {"KeyWithoutEqualsGivesDefault", "[COM]\r\nI\r\n", u"COM", u"I", u"<default>"},
    {"CommentedKeyIsNotTheKey", "[COM]\r\n;I=c\r\n", u"COM", u"I", u"<default>"},
    {"CommentedKeyCanBeAskedForByItsName", "[COM]\r\n;I=c\r\n", u"COM", u";I", u"c"},
    {"FirstOfDuplicateKeysWins", "[COM]\r\nA=first\r\nA=second\r\n", u"COM", u"A", u"first"},
    {"OnlyFirstOfDuplicateSectionsSearched", "[COM]\r\nA=1\r\n[com]\r\nM=2\r\n", u"COM", u"M", u"<default>"},
    {"KeyOfAnotherSectionNotFound", "[X]\r\nA=1\r\n[COM]\r\nB=2\r\n", u"COM", u"A", u"<default>"},
    {"KeysBeforeAnySectionNotFound", "A=1\r\n[COM]\r\nB=2\r\n", u"COM", u"A", u"<default>"},
    {"MissingSection", "[X]\r\nA=1\r\n", u"COM", u"A", u"<default>"},
    {"MissingKey", "[COM]\r\nA=1\r\n", u"COM", u"B", u"<default>"},
    {"BlankLinesSkipped", "\r\n\r\n[COM]\r\n\r\n  \r\nA=1\r\n", u"COM", u"A", u"1"},
    {"LineFeedsOnly", "[COM]\nA=1\nB=2", u"COM", u"B", u"2"},
    {"LastLineWithoutEnd", "[COM]\r\nA=1", u"COM", u"A", u"1"},
    {"EmptyFile", "", u"COM", u"A", u"<default>"},
    {"AnsiChinese", "[COM]\r\nC=\xC6\xBB\xB9\xFB\r\n", u"COM", u"C", u"苹果"},
    {"Utf16LittleEndianWithMark", "\xFF\xFE[\0C\0O\0M\0]\0\r\0\n\0C\0=\0\xF9\x82\x9C\x67\r\0\n\0"s, u"COM", u"C",
     u"苹果"},
    {"IdeographicSpaceIsNotTrimmed", "\xFF\xFE[\0C\0O\0M\0]\0\r\0\n\0C\0=\0\x00\x30x\0\x00\x30\r\0\n\0"s, u"COM",
     u"C", u"\u3000x\u3000"},
};

INSTANTIATE_TEST_SUITE_P(Profile, ProfileRead,
                         ::testing::Combine(::testing::ValuesIn(test::ProfileBackends()),
                                            ::testing::ValuesIn(kReadCases)),
                         test::BackendAndCaseName());

// ---- The default, the buffer and the missing file.

class ProfileFunctionsTest : public ::testing::TestWithParam<const ProfileFunctions*> {
protected:
    const ProfileFunctions& functions() const { return *GetParam(); }
};

TEST_P(ProfileFunctionsTest, DefaultLosesTrailingSpacesButNotItsFirstCharacter) {
    test::ScratchFolder folder;
    const auto path = folder.write("d.ini", "[COM]\r\nA=1\r\n");
    EXPECT_EQ(ReadValue(functions(), u"COM", u"Z", u" ", path).text, u" ");
    EXPECT_EQ(ReadValue(functions(), u"COM", u"Z", u"a  ", path).text, u"a");
    EXPECT_EQ(ReadValue(functions(), u"COM", u"Z", u"  a", path).text, u"  a");
    EXPECT_EQ(ReadValue(functions(), u"COM", u"Z", u"a\t", path).text, u"a\t");
    EXPECT_EQ(ReadValue(functions(), u"COM", u"Z", u"\"q\"", path).text, u"q");
    const Read none = ReadValue(functions(), u"COM", u"Z", nullptr, path);
    EXPECT_EQ(none.text, u"");
    EXPECT_EQ(none.length, 0u);
}

TEST_P(ProfileFunctionsTest, MissingFileGivesTheDefault) {
    test::ScratchFolder folder;
    const auto path = folder.programPath("none.ini");
    EXPECT_EQ(ReadValue(functions(), u"COM", u"A", u"InDesign.Application.CS3", path).text,
              u"InDesign.Application.CS3");
    EXPECT_EQ(ReadValue(functions(), u"COM", u"A", u" ", path).text, u" ");
    EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(path)));
}

TEST_P(ProfileFunctionsTest, ValueThatDoesNotFitGivesSizeMinusOne) {
    test::ScratchFolder folder;
    const auto path = folder.write("long.ini", "[S]\r\nV=0123456789\r\n");
    const struct {
        std::uint32_t size;
        std::uint32_t length;
        std::u16string text;
    } cases[] = {{5, 4, u"0123"}, {10, 9, u"012345678"}, {11, 10, u"0123456789"}, {1, 0, u""}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.size);
        const Read read = ReadValue(functions(), u"S", u"V", u"d", path, c.size);
        EXPECT_EQ(read.length, c.length);
        EXPECT_EQ(read.text, c.text);
    }
    const Read cutDefault = ReadValue(functions(), u"S", u"X", u"abcdefgh", path, 5);
    EXPECT_EQ(cutDefault.length, 4u);
    EXPECT_EQ(cutDefault.text, u"abcd");
}

// ---- Writing.

TEST_P(ProfileFunctionsTest, WriteCreatesFileAndSectionInTheAnsiCodePage) {
    test::ScratchFolder folder;
    const auto path = folder.programPath("new.ini");
    ASSERT_TRUE(functions().writeString(u"COM", u"IDVER", u"InDesign.Application.CS3", path.c_str()));
    ASSERT_TRUE(functions().writeString(u"COM", u"CHARSTYLE", u"苹果", path.c_str()));
    EXPECT_EQ(FileBytes(path), "[COM]\r\nIDVER=InDesign.Application.CS3\r\nCHARSTYLE=\xC6\xBB\xB9\xFB\r\n");
    EXPECT_EQ(ReadValue(functions(), u"COM", u"CHARSTYLE", u"", path).text, u"苹果");
}

TEST_P(ProfileFunctionsTest, WriteReplacesTheKeysLineInPlace) {
    test::ScratchFolder folder;
    const auto path = folder.write("replace.ini", "[COM]\r\nA=1\r\nB=2\r\n");
    ASSERT_TRUE(functions().writeString(u"com", u"a", u"3", path.c_str()));
    EXPECT_EQ(FileBytes(path), "[COM]\r\nA=3\r\nB=2\r\n");
}

TEST_P(ProfileFunctionsTest, WriteAddsKeyToItsSectionBeforeTheNext) {
    test::ScratchFolder folder;
    const auto path = folder.write("append.ini", "[COM]\r\nA=1\r\n[X]\r\nB=2\r\n");
    ASSERT_TRUE(functions().writeString(u"COM", u"C", u"3", path.c_str()));
    ASSERT_TRUE(functions().writeString(u"Y", u"D", u"4", path.c_str()));
    EXPECT_EQ(FileBytes(path), "[COM]\r\nA=1\r\nC=3\r\n[X]\r\nB=2\r\n[Y]\r\nD=4\r\n");
    EXPECT_EQ(ReadValue(functions(), u"X", u"C", u"none", path).text, u"none");
}

TEST_P(ProfileFunctionsTest, WriteKeepsCommentsAndOtherKeys) {
    test::ScratchFolder folder;
    const auto path = folder.write("comments.ini", "; settings\r\n[COM]\r\n;FGF=old\r\nA=1\r\n");
    ASSERT_TRUE(functions().writeString(u"COM", u"FGF", u"T", path.c_str()));
    const std::string bytes = FileBytes(path);
    EXPECT_NE(bytes.find("; settings"), std::string::npos);
    EXPECT_NE(bytes.find(";FGF=old"), std::string::npos);
    EXPECT_EQ(ReadValue(functions(), u"COM", u"FGF", u"", path).text, u"T");
    EXPECT_EQ(ReadValue(functions(), u"COM", u"A", u"", path).text, u"1");
}

TEST_P(ProfileFunctionsTest, WrittenBlanksAtTheEndsDoNotComeBack) {
    test::ScratchFolder folder;
    const auto path = folder.programPath("blanks.ini");
    ASSERT_TRUE(functions().writeString(u"COM", u"FGF", u"  ", path.c_str()));
    ASSERT_TRUE(functions().writeString(u"COM", u"SYML", u" [ ", path.c_str()));
    ASSERT_TRUE(functions().writeString(u"COM", u"SYMR", u"\" ] \"", path.c_str()));
    EXPECT_EQ(ReadValue(functions(), u"COM", u"FGF", u"x", path).text, u"");
    EXPECT_EQ(ReadValue(functions(), u"COM", u"SYML", u"x", path).text, u"[");
    EXPECT_EQ(ReadValue(functions(), u"COM", u"SYMR", u"x", path).text, u" ] ");
}

TEST_P(ProfileFunctionsTest, WriteKeepsUtf16File) {
    test::ScratchFolder folder;
    const auto path = folder.write("unicode.ini", "\xFF\xFE[\0C\0O\0M\0]\0\r\0\n\0A\0=\0\x31\0\r\0\n\0"s);
    ASSERT_TRUE(functions().writeString(u"COM", u"C", u"音标\U0001F600", path.c_str()));
    const std::string bytes = FileBytes(path);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(ReadValue(functions(), u"COM", u"C", u"", path).text, u"音标\U0001F600");
    EXPECT_EQ(ReadValue(functions(), u"COM", u"A", u"", path).text, u"1");
}

TEST_P(ProfileFunctionsTest, FileWithOnlyAByteOrderMarkIsWrittenInUtf16) {
    test::ScratchFolder folder;
    const auto path = folder.write("mark.ini", "\xFF\xFE");
    ASSERT_TRUE(functions().writeString(u"COM", u"Y", u"苹果", path.c_str()));
    EXPECT_EQ(FileBytes(path), "\xFF\xFE[\0C\0O\0M\0]\0\r\0\n\0Y\0=\0\xF9\x82\x9C\x67\r\0\n\0"s);
}

TEST_P(ProfileFunctionsTest, WriteKeepsAnsiFileAnsi) {
    test::ScratchFolder folder;
    const auto path = folder.write("ansi.ini", "[COM]\r\nC=\xC6\xBB\xB9\xFB\r\n");
    ASSERT_TRUE(functions().writeString(u"COM", u"N", u"果", path.c_str()));
    EXPECT_EQ(FileBytes(path), "[COM]\r\nC=\xC6\xBB\xB9\xFB\r\nN=\xB9\xFB\r\n");
}

TEST_P(ProfileFunctionsTest, CharacterMissingFromTheAnsiCodePageBecomesQuestionMark) {
    test::ScratchFolder folder;
    const auto path = folder.write("lossy.ini", "[COM]\r\n");
    ASSERT_TRUE(functions().writeString(u"COM", u"X", u"a\u263Ab", path.c_str()));
    EXPECT_EQ(ReadValue(functions(), u"COM", u"X", u"", path).text, u"a?b");
}

TEST_P(ProfileFunctionsTest, WriteIntoMissingFolderFails) {
    test::ScratchFolder folder;
    const auto path = folder.programPath("missing") + u"/sub/w.ini";
    EXPECT_FALSE(functions().writeString(u"COM", u"A", u"1", path.c_str()));
}

INSTANTIATE_TEST_SUITE_P(Profile, ProfileFunctionsTest, ::testing::ValuesIn(test::ProfileBackends()),
                         test::BackendName());

}  // namespace
}  // namespace sonotag::settings
