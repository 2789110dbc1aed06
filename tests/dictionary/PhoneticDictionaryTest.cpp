#include "dictionary/PhoneticDictionary.h"

#include <algorithm>
#include <vector>

#include <ostream>

#include <gtest/gtest.h>

#include "base/Paths.h"
#include "tests/support/CaseName.h"
#include "tests/support/TestFiles.h"

namespace sonotag {
namespace {

struct EntryCase {
    const char* name;
    std::vector<std::u16string> lines;
    std::u16string word;
    std::u16string expected;
};

void PrintTo(const EntryCase& c, std::ostream* out) { *out << c.name; }

class Entries : public ::testing::TestWithParam<EntryCase> {};

TEST_P(Entries, LookUpAsStored) {
    PhoneticDictionary dictionary;
    for (const auto& line : GetParam().lines) dictionary.addLine(line);
    EXPECT_EQ(dictionary.lookup(GetParam().word), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    FileFormat, Entries,
    ::testing::Values(
        EntryCase{"Plain", {u"apple|x|5Apl"}, u"apple", u"5Apl"},
        EntryCase{"TrailingEqualsRemoved", {u"apple==|x|5Apl"}, u"apple", u"5Apl"},
        EntryCase{"OnlyTrailingEqualsRemoved", {u"=apple=|x|t"}, u"=apple", u"t"},
        EntryCase{"FirstLineWins", {u"apple|x|first", u"apple|y|second"}, u"apple", u"first"},
        EntryCase{"FirstWinsAfterEqualsRemoval", {u"apple=|x|first", u"apple|y|second"}, u"apple", u"first"},
        EntryCase{"CaseSensitiveUpper", {u"Apple|x|t1", u"apple|x|t2"}, u"Apple", u"t1"},
        EntryCase{"CaseSensitiveLower", {u"Apple|x|t1", u"apple|x|t2"}, u"apple", u"t2"},
        EntryCase{"NoCaseFolding", {u"Apple|x|t1", u"apple|x|t2"}, u"APPLE", u""},
        EntryCase{"TrailingBlankIsPartOfKey", {u"apple |x|t"}, u"apple", u""},
        EntryCase{"KeyWithBlank", {u"apple |x|t"}, u"apple ", u"t"},
        EntryCase{"WordAlone", {u"apple"}, u"apple", u""},
        EntryCase{"TwoFields", {u"apple|x"}, u"apple", u""},
        EntryCase{"ExtraFieldsSkipped", {u"apple|x|t|more|fields"}, u"apple", u"t"},
        EntryCase{"TranscriptionNotTrimmed", {u"apple|| 5Apl "}, u"apple", u" 5Apl "},
        EntryCase{"EmptyLineIsEmptyWord", {u""}, u"", u""},
        EntryCase{"PunctuationKept", {u"apple,||5Apl,"}, u"apple,", u"5Apl,"},
        EntryCase{"NonAsciiWord", {u"café||5kAfei"}, u"café", u"5kAfei"}),
    test::CaseName());

TEST(PhoneticDictionary, MissLeavesAnEmptyEntryThatStaysAMiss) {
    PhoneticDictionary dictionary;
    dictionary.addLine(u"apple||5Apl");
    EXPECT_EQ(dictionary.size(), 1u);
    EXPECT_EQ(dictionary.lookup(u"pear"), u"");
    EXPECT_EQ(dictionary.size(), 2u);
    EXPECT_EQ(dictionary.lookup(u"pear"), u"");
    EXPECT_EQ(dictionary.size(), 2u);
    // A later line for a word that missed does not overwrite the empty entry.
    dictionary.addLine(u"pear||pZ[");
    EXPECT_EQ(dictionary.lookup(u"pear"), u"");
}

TEST(PhoneticDictionary, LoadsAFileAndReportsNothing) {
    test::ScratchFolder folder;
    const auto path = folder.write("dictionary.txt", "apple||5Apl\r\nbook||buk\r\napple||other\r\n");
    PhoneticDictionary dictionary;
    EXPECT_FALSE(dictionary.load(path));
    EXPECT_EQ(dictionary.size(), 2u);
    EXPECT_EQ(dictionary.lookup(u"apple"), u"5Apl");
    EXPECT_EQ(dictionary.lookup(u"book"), u"buk");
}

TEST(PhoneticDictionary, Utf16FileWithMarkIsUsable) {
    // A word list saved as "Unicode" by Notepad.
    const std::u16string text = u"apple||5Apl\r\n苹果||pin\r\n";
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    test::ScratchFolder folder;
    PhoneticDictionary dictionary;
    ASSERT_FALSE(dictionary.load(folder.write("dictionary.txt", bytes)));
    EXPECT_EQ(dictionary.lookup(u"apple"), u"5Apl");
    EXPECT_EQ(dictionary.lookup(u"苹果"), u"pin");
}

TEST(PhoneticDictionary, EmptyFileGivesEmptyStore) {
    test::ScratchFolder folder;
    PhoneticDictionary dictionary;
    EXPECT_FALSE(dictionary.load(folder.write("dictionary.txt", "")));
    EXPECT_EQ(dictionary.size(), 0u);
}

TEST(PhoneticDictionary, MissingFileGivesItsErrorNamingItAndKeepsTheStore) {
    test::ScratchFolder folder;
    const std::u16string path = DictionaryPath(test::ToProgramPath(folder.path()));
    PhoneticDictionary dictionary;
    dictionary.addLine(u"kept||k");
    const std::optional<FileError> error = dictionary.load(path);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(error->cause(), FileErrorCause::NotFound);
    EXPECT_NE(error->userText().find(path), std::u16string::npos);
    EXPECT_EQ(dictionary.lookup(u"kept"), u"k");
}

TEST(ProgramFolder, IsTheFolderOfThisExecutable) {
    const std::u16string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_NE(folder.back(), u'/');
    EXPECT_NE(folder.back(), u'\\');
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(folder)));
}

TEST(ProgramFolder, PathLongerThanTheFirstBufferIsQueriedWhole) {
    // The system truncates silently and reports a full buffer; such a result
    // must never be used.
    const std::u16string longPath = u"C:\\" + std::u16string(1000, u'd') + u"\\Sonotag.exe";
    std::vector<std::size_t> capacities;
    const auto query = [&](char16_t* buffer, std::size_t capacity) {
        capacities.push_back(capacity);
        const std::size_t written = std::min(capacity, longPath.size());
        std::copy_n(longPath.begin(), written, buffer);
        return written;
    };
    EXPECT_EQ(QueryWholePath<char16_t>(query), longPath);
    EXPECT_EQ(capacities.front(), 260u);
    EXPECT_GT(capacities.back(), longPath.size());
}

TEST(ProgramFolder, FailedOrEndlessQueriesGiveEmpty) {
    EXPECT_EQ(QueryWholePath<char16_t>([](char16_t*, std::size_t) { return std::size_t{0}; }), u"");
    EXPECT_EQ(QueryWholePath<char16_t>([](char16_t*, std::size_t capacity) { return capacity; }), u"");
}

TEST(ProgramFolder, FolderOfCutsBeforeTheLastSeparator) {
    const std::u16string folder = ProgramFolder();
    EXPECT_EQ(FolderOf(JoinPath(folder, u"dictionary.txt")), folder);
    EXPECT_EQ(FolderOf(u"no-separator"), u"");
}

}  // namespace
}  // namespace sonotag
