#include <algorithm>

#include <gtest/gtest.h>

#include "base/Paths.h"
#include "dictionary/PhoneticDictionary.h"
#include "tests/support/CaseName.h"
#include "tests/support/TestFiles.h"

namespace sonotag { namespace {

using namespace sonotag::dictionary;

struct EntryCase {
    const char* name;
    std::vector<std::u16string> lines;
    std::u16string word, expected;
};

class Entries : public ::testing::TestWithParam<EntryCase> {};

TEST_P(Entries, LookUpAsStored) {
    PhoneticDictionary dictionary;
    for (const auto& line : GetParam().lines) dictionary.addLine(line);
    EXPECT_EQ(dictionary.lookup(GetParam().word), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    FileFormat, Entries,
    ::testing::Values(EntryCase{"Plain", {u"apple|x|5Apl"}, u"apple", u"5Apl"}, EntryCase{"TrailingEqualsRemoved", {u"apple==|x|5Apl"}, u"apple", u"5Apl"},
                      EntryCase{"OnlyTrailingEqualsRemoved", {u"=apple=|x|t"}, u"=apple", u"t"},
                      EntryCase{"FirstLineWins", {u"apple|x|first", u"apple|y|second"}, u"apple", u"first"},
                      EntryCase{"FirstWinsAfterEqualsRemoval", {u"apple=|x|first", u"apple|y|second"}, u"apple", u"first"},
                      EntryCase{"CaseSensitiveUpper", {u"Apple|x|t1", u"apple|x|t2"}, u"Apple", u"t1"},
                      EntryCase{"CaseSensitiveLower", {u"Apple|x|t1", u"apple|x|t2"}, u"apple", u"t2"},
                      EntryCase{"NoCaseFolding", {u"Apple|x|t1", u"apple|x|t2"}, u"APPLE", u""}, EntryCase{"KeyWithBlank", {u"apple |x|t"}, u"apple ", u"t"},
                      EntryCase{"WordAlone", {u"apple"}, u"apple", u""}, EntryCase{"TwoFields", {u"apple|x"}, u"apple", u""},
                      EntryCase{"ExtraFieldsSkipped", {u"apple|x|t|more|fields"}, u"apple", u"t"},
                      EntryCase{"TranscriptionNotTrimmed", {u"apple|| 5Apl "}, u"apple", u" 5Apl "}, EntryCase{"EmptyLineIsEmptyWord", {u""}, u"", u""},
                      EntryCase{"NonAsciiWord", {u"café||5kAfei"}, u"café", u"5kAfei"}),
    test::CaseName());

TEST(PhoneticDictionary, MissLeavesAnEmptyEntryThatStaysAMiss) {
    PhoneticDictionary dictionary;
    dictionary.addLine(u"apple||5Apl");
    for (int twice = 0; twice < 2; ++twice) {
        EXPECT_EQ(dictionary.lookup(u"pear"), u"");
        EXPECT_EQ(dictionary.size(), 2u);
    }
    dictionary.addLine(u"pear||pZ[");  // a later line does not overwrite the miss
    EXPECT_EQ(dictionary.lookup(u"pear"), u"");
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
    EXPECT_FALSE(dictionary.load(SkipListPath(test::ToProgramPath(folder.path())), {}, PhoneticDictionary::Missing::Ignore));
}

// A word of ten megabytes between two lines, its characters straddling every read.
struct HugeLineCase {
    const char* name;
    std::string mark, bigUnit /* one character encoded */;
    char16_t bigChar;
    bool utf16;
};

class HugeLine : public ::testing::TestWithParam<HugeLineCase> {};

TEST_P(HugeLine, LoadsAsOneEntry) {
    const HugeLineCase& c = GetParam();
    const auto encode = [&](const std::string& ascii) {
        std::string bytes;
        for (const char a : ascii) bytes += c.utf16 ? std::string{a, '\0'} : std::string{a};
        return bytes;
    };
    const std::size_t characters = (10 << 20) / c.bigUnit.size();
    std::string bytes = c.mark + encode("apple||5Apl\r\n");
    for (std::size_t k = 0; k < characters; ++k) bytes += c.bigUnit;
    bytes += encode("|x|t[\r\napple||again\r\npear||pZ[\r\n");
    test::ScratchFolder folder;
    PhoneticDictionary dictionary;
    ASSERT_FALSE(dictionary.load(folder.write("dictionary.txt", bytes)));
    EXPECT_EQ(dictionary.size(), 3u);
    EXPECT_EQ(dictionary.lookup(std::u16string(characters, c.bigChar)), u"t[");
    EXPECT_EQ(dictionary.lookup(u"apple"), u"5Apl");
    EXPECT_EQ(dictionary.lookup(u"pear"), u"pZ[");
}

INSTANTIATE_TEST_SUITE_P(Encodings, HugeLine,
                         ::testing::Values(HugeLineCase{"Ansi", "", "w", u'w', false}, HugeLineCase{"Gbk", "", "\xC6\xBB", u'苹', false},
                                           HugeLineCase{"Utf8", "\xEF\xBB\xBF", "\xE8\x8B\xB9", u'苹', false},
                                           HugeLineCase{"Utf16", "\xFF\xFE", "\xF9\x82", u'苹', true}),
                         test::CaseName());

TEST(ProgramFolder, IsAFolderAndQueriesNeverUseACutPath) {
    const std::u16string folder = ProgramFolder();
    EXPECT_TRUE(std::filesystem::is_directory(std::filesystem::path(folder)));
    EXPECT_EQ(FolderOf(JoinPath(folder, u"dictionary.txt")), folder);
    EXPECT_EQ(FolderOf(u"no-separator"), u"");
    // The system cuts a path silently to a full buffer: the query grows it until the path fits.
    const std::u16string longPath = u"C:\\" + std::u16string(1000, u'd') + u"\\Sonotag.exe";
    EXPECT_EQ(QueryWholePath<char16_t>([&](char16_t* buffer, std::size_t capacity) {
                  return static_cast<std::size_t>(std::copy_n(longPath.begin(), std::min(capacity, longPath.size()), buffer) - buffer);
              }),
              longPath);
    EXPECT_EQ(QueryWholePath<char16_t>([](char16_t*, std::size_t) { return std::size_t{0}; }), u"");
    EXPECT_EQ(QueryWholePath<char16_t>([](char16_t*, std::size_t capacity) { return capacity; }), u"");
}

}}  // namespace sonotag
