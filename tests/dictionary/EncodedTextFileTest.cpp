#include <gtest/gtest.h>

#include "dictionary/EncodedTextFile.h"
#include "tests/support/CaseName.h"
#include "tests/support/TestFiles.h"

namespace sonotag { namespace {

using namespace sonotag::dictionary;

using namespace std::string_literals;

struct LineCase {
    const char* name;
    std::string bytes;
    std::vector<std::u16string> lines;
};

class LineSplitting : public ::testing::TestWithParam<LineCase> {};

// Reads that cut through lines, line ends, marks and characters change nothing.
TEST_P(LineSplitting, DeliversTheSameLinesInChunksOfAnySize) {
    test::ScratchFolder folder;
    const std::u16string path = folder.write("f.txt", GetParam().bytes);
    for (const std::size_t chunkSize : std::initializer_list<std::size_t>{EncodedTextFile::kDefaultChunkSize, 1, 2, 3, 4, 5, 7}) {
        EncodedTextFile file(path, {}, chunkSize);
        std::vector<std::u16string> lines;
        std::u16string line = u"before";
        while (file.readLine(line)) lines.push_back(line);
        EXPECT_EQ(lines, GetParam().lines) << "chunks of " << chunkSize << " bytes";
        EXPECT_EQ(line, lines.empty() ? u"before" : lines.back());  // the end leaves the line alone
        EXPECT_FALSE(file.readLine(line));
    }
}

INSTANTIATE_TEST_SUITE_P(Files, LineSplitting,
                         ::testing::Values(LineCase{"CrLf", "apple|x|5Apl\r\npear|x|pZ[\r\n", {u"apple|x|5Apl", u"pear|x|pZ["}},
                                           LineCase{"LastLineWithoutEnd", "a\nb", {u"a", u"b"}}, LineCase{"EmptyFile", "", {}},
                                           LineCase{"LineEndFirstInAShortFile", "\na", {u"", u"a"}}, LineCase{"EmptyLinesCount", "\n\r\n\n", {u"", u"", u""}},
                                           LineCase{"CrCrLfDropsAllThree", "a\r\r\nb", {u"a", u"b"}}, LineCase{"ThreeCrsKeepOne", "a\r\r\r\n", {u"a\r"}},
                                           LineCase{"CrInsideLineStays", "a\rb\n", {u"a\rb"}}, LineCase{"CrEndingLastLine", "a\r", {u"a"}},
                                           LineCase{"TwoCrsEndingLastLineKeepOne", "a\r\r", {u"a\r"}},
                                           LineCase{"ControlZEndsFile",
                                                    "a\nb\x1A"
                                                    "c\nd\n",
                                                    {u"a", u"b"}},
                                           LineCase{"ControlZFirst",
                                                    "\x1A"
                                                    "a\n",
                                                    {}},
                                           LineCase{"NulCutsLine", "ab\0cd\nef\n"s, {u"ab", u"ef"}},
                                           LineCase{"Gbk", "\xC6\xBB\xB9\xFB|x|5Apl\n", {u"苹果|x|5Apl"}},
                                           LineCase{"Utf8",
                                                    "\xEF\xBB\xBF"
                                                    "apple|x|5Apl\r\n\xE8\x8B\xB9\xE6\x9E\x9C\n",
                                                    {u"apple|x|5Apl", u"苹果"}},
                                           LineCase{"Utf8MarkOnly", "\xEF\xBB\xBF", {}},
                                           LineCase{"Utf8ControlZIsText",
                                                    "\xEF\xBB\xBF"
                                                    "a\x1A"
                                                    "b\n",
                                                    {u"a\x1A"
                                                     "b"}},
                                           LineCase{"Utf16Le",
                                                    "\xFF\xFE"
                                                    "a\0|\0b\0\r\0\n\0\x0B\x4E\n\0"s,
                                                    {u"a|b", u"\u4E0B"}},
                                           LineCase{"Utf16LeUnitWithLfLowByte",
                                                    "\xFF\xFE"
                                                    "\x0A\x4E\n\0"s,
                                                    {u"\u4E0A"}},
                                           LineCase{"Utf16Be",
                                                    "\xFE\xFF"
                                                    "\0a\0|\0b\0\n\0c"s,
                                                    {u"a|b", u"c"}},
                                           LineCase{"Utf16OddTrailingByteDropped",
                                                    "\xFF\xFE"
                                                    "a\0b"s,
                                                    {u"a"}}),
                         test::CaseName());

}}  // namespace sonotag
