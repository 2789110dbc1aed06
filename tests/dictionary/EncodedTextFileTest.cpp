#include "dictionary/EncodedTextFile.h"

#include <string>
#include <vector>

#include <ostream>

#include <gtest/gtest.h>

#include "base/FileError.h"
#include "tests/support/CaseName.h"
#include "tests/support/TestFiles.h"

namespace sonotag {
namespace {

std::vector<std::u16string> ReadAll(const std::u16string& path, std::string codePage = {},
                                    std::size_t chunkSize = EncodedTextFile::kDefaultChunkSize) {
    EncodedTextFile file(path, std::move(codePage), chunkSize);
    std::vector<std::u16string> lines;
    std::u16string line;
    while (file.readLine(line)) lines.push_back(line);
    return lines;
}

struct LineCase {
    const char* name;
    std::string bytes;
    std::vector<std::u16string> lines;
};

void PrintTo(const LineCase& c, std::ostream* out) { *out << c.name; }

class LineSplitting : public ::testing::TestWithParam<LineCase> {};

TEST_P(LineSplitting, DeliversTheExpectedLines) {
    test::ScratchFolder folder;
    const std::u16string path = folder.write("f.txt", GetParam().bytes);
    EXPECT_EQ(ReadAll(path), GetParam().lines);
    // Reads that cut through lines, line ends, marks and characters change nothing.
    for (const std::size_t chunkSize : {1, 2, 3, 4, 5, 7}) {
        EXPECT_EQ(ReadAll(path, {}, chunkSize), GetParam().lines) << "chunks of " << chunkSize << " bytes";
    }
}

using namespace std::string_literals;

INSTANTIATE_TEST_SUITE_P(
    Ansi, LineSplitting,
    ::testing::Values(
        LineCase{"CrLf", "apple|x|5Apl\r\npear|x|pZ[\r\n", {u"apple|x|5Apl", u"pear|x|pZ["}},
        LineCase{"Lf", "apple|x|5Apl\npear|x|pZ[\n", {u"apple|x|5Apl", u"pear|x|pZ["}},
        LineCase{"LastLineWithoutEnd", "a\nb", {u"a", u"b"}},
        LineCase{"EmptyFile", "", {}},
        LineCase{"LineEndFirstInAShortFile", "\na", {u"", u"a"}},
        LineCase{"EmptyLinesCount", "\n\r\n\n", {u"", u"", u""}},
        LineCase{"CrCrLfDropsAllThree", "a\r\r\nb", {u"a", u"b"}},
        LineCase{"ThreeCrsKeepOne", "a\r\r\r\n", {u"a\r"}},
        LineCase{"CrInsideLineStays", "a\rb\n", {u"a\rb"}},
        LineCase{"CrEndingLastLine", "a\r", {u"a"}},
        LineCase{"ControlZEndsFile", "a\nb\x1A" "c\nd\n", {u"a", u"b"}},
        LineCase{"ControlZFirst", "\x1A" "a\n", {}},
        LineCase{"NulCutsLine", "ab\0cd\nef\n"s, {u"ab", u"ef"}},
        LineCase{"Gbk", "\xC6\xBB\xB9\xFB|x|5Apl\n", {u"苹果|x|5Apl"}}),
    test::CaseName());

INSTANTIATE_TEST_SUITE_P(
    ByteOrderMark, LineSplitting,
    ::testing::Values(
        LineCase{"Utf8", "\xEF\xBB\xBF" "apple|x|5Apl\r\n\xE8\x8B\xB9\xE6\x9E\x9C\n", {u"apple|x|5Apl", u"苹果"}},
        LineCase{"Utf8MarkOnly", "\xEF\xBB\xBF", {}},
        LineCase{"Utf8ControlZIsText", "\xEF\xBB\xBF" "a\x1A" "b\n", {u"a\x1A" "b"}},
        LineCase{"Utf16Le", "\xFF\xFE" "a\0|\0b\0\r\0\n\0\x0B\x4E\n\0"s, {u"a|b", u"\u4E0B"}},
        LineCase{"Utf16LeUnitWithLfLowByte", "\xFF\xFE" "\x0A\x4E\n\0"s, {u"\u4E0A"}},
        LineCase{"Utf16Be", "\xFE\xFF" "\0a\0|\0b\0\n\0c"s, {u"a|b", u"c"}},
        LineCase{"Utf16OddTrailingByteDropped", "\xFF\xFE" "a\0b"s, {u"a"}}),
    test::CaseName());

TEST(EncodedTextFile, LongLinesAreDeliveredWhole) {
    // Far past both the old 4095-byte piece and the reader's own chunk size,
    // with a two-byte character straddling every 4095-byte boundary.
    std::string line;
    std::u16string expected;
    for (int piece = 0; piece < 80; ++piece) {
        line += std::string(4094, 'a') + "\xC6\xBB";
        expected += std::u16string(4094, u'a') + u'苹';
    }
    test::ScratchFolder folder;
    const auto lines = ReadAll(folder.write("long.txt", line + "\r\nnext\r\n"));
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].size(), expected.size());
    EXPECT_EQ(lines[0], expected);
    EXPECT_EQ(lines[1], u"next");
}

TEST(EncodedTextFile, ManyLinesAcrossChunks) {
    std::string bytes;
    for (int i = 0; i < 20000; ++i) bytes += "word" + std::to_string(i) + "||t\r\n";
    test::ScratchFolder folder;
    const auto lines = ReadAll(folder.write("many.txt", bytes));
    ASSERT_EQ(lines.size(), 20000u);
    EXPECT_EQ(lines.front(), u"word0||t");
    EXPECT_EQ(lines[12345], u"word12345||t");
    EXPECT_EQ(lines.back(), u"word19999||t");
}

TEST(EncodedTextFile, ReadLineAtEndLeavesTheArgumentAlone) {
    test::ScratchFolder folder;
    EncodedTextFile file(folder.write("one.txt", "only"));
    std::u16string line;
    ASSERT_TRUE(file.readLine(line));
    EXPECT_EQ(line, u"only");
    EXPECT_FALSE(file.readLine(line));
    EXPECT_EQ(line, u"only");
    EXPECT_FALSE(file.readLine(line));
}

TEST(EncodedTextFile, MissingFileRaisesNotFoundWithItsName) {
    test::ScratchFolder folder;
    const std::u16string path = folder.programPath("absent.txt");
    try {
        EncodedTextFile file(path);
        FAIL() << "opened a missing file";
    } catch (const FileError& error) {
        EXPECT_EQ(error.cause(), FileErrorCause::NotFound);
        EXPECT_EQ(error.fileName(), path);
        EXPECT_NE(error.userText().find(path), std::u16string::npos);
    }
}

TEST(EncodedTextFile, ClosedFileReadsNothing) {
    test::ScratchFolder folder;
    EncodedTextFile file(folder.write("a.txt", "a\nb\n"));
    file.close();
    std::u16string line;
    EXPECT_FALSE(file.readLine(line));
}

}  // namespace
}  // namespace sonotag
