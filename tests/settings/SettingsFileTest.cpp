// config.ini: both profile backends held to one read and one write table, typed reads, garbage, round trips.

#include <filesystem>
#include <limits>
#include <optional>
#include <random>

#include <gtest/gtest.h>

#include "base/Utf.h"
#include "settings/ProfileFile.h"
#include "settings/ProfileFunctions.h"
#include "settings/SettingsFile.h"
#include "tests/support/CaseName.h"
#include "tests/support/TestFiles.h"

namespace sonotag::settings { namespace {

using namespace sonotag::notation;

using namespace std::string_literals;

std::vector<const ProfileFunctions*> Backends() {  // Windows' own under Wine, and the portable ones
    if (&PlatformProfileFunctions() == &PortableProfileFunctions()) return {&PortableProfileFunctions()};
    return {&PlatformProfileFunctions(), &PortableProfileFunctions()};
}

template <class Case>
std::string BackendAndCase(const ::testing::TestParamInfo<std::tuple<const ProfileFunctions*, Case>>& info) {
    return std::string(std::get<0>(info.param)->name) + "_" + std::get<1>(info.param).name;
}

std::string Utf16Le(std::u16string_view text) {
    std::string bytes = "\xFF\xFE";
    for (const char16_t unit : text) bytes += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    return bytes;
}

std::string FileBytes(const std::u16string& path) { return test::FileBytes(std::filesystem::path(path)); }

struct ReadCase {  // a file (none: no file), the key, what it reads, with the default and the buffer's size
    const char* name;
    std::optional<std::string> file;
    const char16_t* key;
    std::u16string expected;
    const char16_t* fallback = u"<default>";
    std::uint32_t size = 100;
    const char16_t* section = u"COM";
};

class ProfileRead : public ::testing::TestWithParam<std::tuple<const ProfileFunctions*, ReadCase>> {};

TEST_P(ProfileRead, GivesTheValueOrTheDefault) {
    const auto& [functions, c] = GetParam();
    test::ScratchFolder folder;
    const auto path = c.file ? folder.write("read.ini", *c.file) : folder.programPath("none.ini");
    std::u16string buffer(c.size, u'*');
    EXPECT_EQ(functions->readString(c.section, c.key, c.fallback, buffer.data(), c.size, path.c_str()), c.expected.size());
    EXPECT_EQ(buffer.substr(0, buffer.find(u'\0')), c.expected);
    EXPECT_EQ(std::filesystem::exists(std::filesystem::path(path)), c.file.has_value());
}

const ReadCase kReadCases[] = {
    {"Plain", "[COM]\r\nFGF=S\r\n", u"FGF", u"S"},
    {"BlanksAndTabsAroundValueTrimmed", "[COM]\r\nA = \t x \t\r\n", u"A", u"x"},
    {"BlanksInsideValueKept", "[COM]\r\nK=a  b\r\n", u"K", u"a  b"},
    {"SectionAndKeyWithoutCase", "[com]\r\nfgf=T\r\n", u"FGF", u"T"},
    {"BlanksAroundArgumentsIgnored", "[COM]\r\nA=1\r\n", u" A ", u"1", u"", 100, u" COM "},
    {"HeaderWithBlanksAndTextAfterIt", "  [ COM ] ; c \r\nA=1\r\n", u"A", u"1"},
    {"HeaderWithoutClosingBracketIsNoHeader", "[COM\r\nA=1\r\n", u"A", u"<default>"},
    {"DoubleQuotesStripped", "[COM]\r\nB=\"q\"\r\n", u"B", u"q"},
    {"SingleQuotesStripped", "[COM]\r\nB='q'\r\n", u"B", u"q"},
    {"QuotesKeepBlanksInside", "[COM]\r\nG= \" in \" \r\n", u"G", u" in "},
    {"OnlyOnePairStripped", "[COM]\r\nB=\"\"q\"\"\r\n", u"B", u"\"q\""},
    {"UnmatchedQuotesKept", "[COM]\r\nD=\"q'\r\n", u"D", u"\"q'"},
    {"LoneQuoteKept", "[COM]\r\nE=\"\r\n", u"E", u"\""},
    {"EmptyQuotesGiveEmpty", "[COM]\r\nF=\"\"\r\n", u"F", u""},
    {"EqualsInsideValue", "[COM]\r\nH=a=b\r\n", u"H", u"a=b"},
    {"EmptyValueIsNotTheDefault", "[COM]\r\nJ=\r\n", u"J", u""},
    {"KeyWithoutEqualsGivesDefault", "[COM]\r\nI\r\n", u"I", u"<default>"},
    {"CommentIsAKeyOfItsOwn", "[COM]\r\n;I=c\r\n", u";I", u"c"},
    {"FirstOfDuplicateKeysWins", "[COM]\r\nA=first\r\nA=second\r\n", u"A", u"first"},
    {"OnlyFirstOfDuplicateSectionsSearched", "[COM]\r\nA=1\r\n[com]\r\nM=2\r\n", u"M", u"<default>"},
    {"KeyOfAnotherSectionNotFound", "[X]\r\nA=1\r\n[COM]\r\nB=2\r\n", u"A", u"<default>"},
    {"KeysBeforeAnySectionNotFound", "A=1\r\n[COM]\r\nB=2\r\n", u"A", u"<default>"},
    {"LongerKeyIsNotTheKey", "[COM]\r\nAB=1\r\n", u"A", u"<default>"},
    {"BlankLinesSkipped", "\r\n\r\n[COM]\r\n\r\n  \r\nA=1\r\n", u"A", u"1"},
    {"LineFeedsAndNoLastLineEnd", "[COM]\nA=1\nB=2", u"B", u"2"},
    {"EmptyFile", "", u"A", u"<default>"},
    {"AnsiChinese", "[COM]\r\nC=\xC6\xBB\xB9\xFB\r\n", u"C", u"苹果"},
    {"Utf16WithMark", Utf16Le(u"[COM]\r\nC=苹果\r\n"), u"C", u"苹果"},
    {"IdeographicSpaceIsNotTrimmed", Utf16Le(u"[COM]\r\nC=\u3000x\u3000\r\n"), u"C", u"\u3000x\u3000"},
    // The default loses trailing spaces (never its first character) and one pair of quotes; too long: cut to size - 1.
    {"MissingFileGivesDefaultKeepingALoneSpace", std::nullopt, u"Z", u" ", u" "},
    {"DefaultLosesTrailingSpaces", "[COM]\r\n", u"Z", u"a", u"a  "},
    {"DefaultKeepsLeadingBlanksAndTabs", "[COM]\r\n", u"Z", u"  a\t", u"  a\t"},
    {"DefaultLosesItsQuotes", "[COM]\r\n", u"Z", u"q", u"\"q\""},
    {"NullDefaultIsEmpty", "[COM]\r\n", u"Z", u"", nullptr},
    {"ValueOneTooLong", "[COM]\r\nV=0123456789\r\n", u"V", u"012345678", u"d", 10},
    {"ValueJustFits", "[COM]\r\nV=0123456789\r\n", u"V", u"0123456789", u"d", 11},
    {"SizeOneGivesNothing", "[COM]\r\nV=0123456789\r\n", u"V", u"", u"d", 1},
    {"DefaultCutToSizeMinusOne", "[COM]\r\n", u"X", u"abcd", u"abcdefgh", 5},
};

INSTANTIATE_TEST_SUITE_P(Profile, ProfileRead, ::testing::Combine(::testing::ValuesIn(Backends()), ::testing::ValuesIn(kReadCases)), BackendAndCase<ReadCase>);

// One write into a file (none: a new one): the result, the bytes (unless left open) and what reads back.
struct WriteCase {  // readBack "<default>": the write fails
    const char* name;
    std::optional<std::string> before;
    const char16_t* key;
    const char16_t* value;
    std::u16string readBack;
    std::optional<std::string> after;
    const char16_t* section = u"COM";
    const char* file = "w.ini";
};

class ProfileWrite : public ::testing::TestWithParam<std::tuple<const ProfileFunctions*, WriteCase>> {};

TEST_P(ProfileWrite, LeavesTheFileAsExpected) {
    const auto& [functions, c] = GetParam();
    test::ScratchFolder folder;
    const auto path = c.before ? folder.write(c.file, *c.before) : folder.programPath(c.file);
    EXPECT_EQ(functions->writeString(c.section, c.key, c.value, path.c_str()), c.readBack != u"<default>");
    if (c.after) { EXPECT_EQ(FileBytes(path), *c.after); }
    std::u16string buffer(100, u'\0');
    functions->readString(c.section, c.key, u"<default>", buffer.data(), 100, path.c_str());
    EXPECT_EQ(buffer.c_str(), c.readBack);
}

const WriteCase kWriteCases[] = {
    {"NewFileIsAnsi", std::nullopt, u"CHARSTYLE", u"苹果", u"苹果", "[COM]\r\nCHARSTYLE=\xC6\xBB\xB9\xFB\r\n"},
    {"ReplacesTheLineInPlace", "[COM]\r\nA=1\r\nB=2\r\n", u"a", u"3", u"3", "[COM]\r\nA=3\r\nB=2\r\n", u"com"},
    {"AddsToItsSectionBeforeTheNext", "[COM]\r\nA=1\r\n[X]\r\nB=2\r\n", u"C", u"3", u"3", "[COM]\r\nA=1\r\nC=3\r\n[X]\r\nB=2\r\n"},
    {"AddsAMissingSectionAtTheEnd", "[COM]\r\nA=1\r\n", u"D", u"4", u"4", "[COM]\r\nA=1\r\n[Y]\r\nD=4\r\n", u"Y"},
    {"KeepsComments", "; c\r\n[COM]\r\n;K=old\r\n", u"K", u"T", u"T", "; c\r\n[COM]\r\n;K=old\r\nK=T\r\n"},
    {"KeepsAnsiFileAnsi", "[COM]\r\nC=\xC6\xBB\r\n", u"N", u"果", u"果", "[COM]\r\nC=\xC6\xBB\r\nN=\xB9\xFB\r\n"},
    {"LosesWhatTheCodePageLacks", "[COM]\r\n", u"X", u"a\u263Ab", u"a?b", "[COM]\r\nX=a?b\r\n"},
    {"KeepsUtf16File", Utf16Le(u"[COM]\r\nA=1\r\n"), u"C", u"音\U0001F600", u"音\U0001F600", Utf16Le(u"[COM]\r\nA=1\r\nC=音\U0001F600\r\n")},
    {"MarkAloneMakesUtf16", "\xFF\xFE", u"Y", u"苹果", u"苹果", Utf16Le(u"[COM]\r\nY=苹果\r\n")},
    {"BlanksOnlyComeBackEmpty", std::nullopt, u"FGF", u"  ", u"", std::nullopt},
    {"BlanksAtTheEndsAreLost", std::nullopt, u"SYML", u" [ ", u"[", std::nullopt},
    {"QuotedBlanksAreKept", std::nullopt, u"SYMR", u"\" ] \"", u" ] ", std::nullopt},
    {"MissingFolderFails", std::nullopt, u"A", u"1", u"<default>", std::nullopt, u"COM", "missing/w.ini"},
};

INSTANTIATE_TEST_SUITE_P(Profile, ProfileWrite, ::testing::Combine(::testing::ValuesIn(Backends()), ::testing::ValuesIn(kWriteCases)),
                         BackendAndCase<WriteCase>);

constexpr std::uint32_t kMax = std::numeric_limits<std::uint32_t>::max();

std::string Letters(std::size_t length) {
    std::string value;
    while (value.size() < length) value += static_cast<char>('a' + value.size() % 26);
    return value;
}

// One stored value through each typed read (defaults "<d>", 4242 and true).
struct ValueCase {  // text none: the value; long ones outgrow the first read's buffer
    const char* name;
    std::string value;
    std::uint32_t number;
    bool flag;
    std::optional<std::string> text = std::nullopt;
};

class ProfileFileValue : public ::testing::TestWithParam<ValueCase> {};

TEST_P(ProfileFileValue, ReadsAsEachType) {
    const ValueCase& c = GetParam();
    test::ScratchFolder folder;
    const ProfileFile file(folder.write("v.ini", "[S]\r\nV=" + c.value + "\r\n"));
    const std::u16string text = file.readString(u"S", u"V", u"<d>");
    EXPECT_EQ(std::string(text.begin(), text.end()), c.text.value_or(c.value));
    EXPECT_EQ(file.readUnsigned(u"S", u"V", 4242, 10), c.number);
    EXPECT_EQ(file.readBool(u"S", u"V", true), c.flag);
}

INSTANTIATE_TEST_SUITE_P(Values, ProfileFileValue,
                         ::testing::Values(ValueCase{"Empty", "", 4242, true}, ValueCase{"Decimal", "12", 12, true}, ValueCase{"Plus", "+5", 5, true},
                                           ValueCase{"DigitThenLetters", "1abc", 1, true}, ValueCase{"Letters", "abc", 0, false},
                                           ValueCase{"MinusOne", "-1", kMax, true}, ValueCase{"MinusTwo", "-2", kMax - 1, true},
                                           ValueCase{"MinusZero", "-0", 0, false}, ValueCase{"Largest", "4294967295", kMax, true},
                                           ValueCase{"TooLarge", "4294967296", kMax, true}, ValueCase{"TooLargeNegative", "-99999999999", kMax, true},
                                           ValueCase{"LeadingZeroStaysDecimal", "077", 77, true}, ValueCase{"QuotedBlanksSkipped", "\" 7\"", 7, true, " 7"},
                                           ValueCase{"Yes", "yes", 0, true}, ValueCase{"YesCapitals", "YES", 0, true}, ValueCase{"TrueMixed", "True", 0, true},
                                           ValueCase{"No", "no", 0, false}, ValueCase{"YesWithMore", "yes please", 0, false},
                                           ValueCase{"Only64CharactersCount", std::string(64, '0') + "7", 0, false},
                                           ValueCase{"Exactly64Characters", std::string(63, '0') + "7", 7, true},
                                           ValueCase{"FillsFirstBuffer", Letters(511), 0, false}, ValueCase{"OneOverFirstBuffer", Letters(512), 0, false},
                                           ValueCase{"FillsSecondBuffer", Letters(1023), 0, false},
                                           ValueCase{"QuotedLong", "\"" + Letters(5000) + "\"", 0, false, Letters(5000)}),
                         test::CaseName());

// Numbers in other bases, as the C library reads them: base 16 with or without "0x", 8, and any other base as 10.
TEST(ProfileFile, ReadsUnsignedNumbersInTheirBase) {
    const std::tuple<std::string, int, std::uint32_t> cases[] = {
        {"0x1F", 16, 31}, {"0X1f", 16, 31}, {"1f", 16, 31}, {"0xg", 16, 0}, {"0x", 16, 0},   {"-0x1", 16, kMax},
        {"17", 8, 15},    {"19", 8, 1},     {"101", 2, 5},  {"17", 7, 17},  {"0x1F", 10, 0},
    };
    for (const auto& [value, base, number] : cases) {
        test::ScratchFolder folder;
        const ProfileFile file(folder.write("v.ini", "[S]\r\nV=" + value + "\r\n"));
        EXPECT_EQ(file.readUnsigned(u"S", u"V", 4242, base), number) << value << " in base " << base;
    }
}

// The defaults with one change; no change: the defaults.
using Change = void (*)(AnnotationSettings&);

AnnotationSettings Changed(Change change) {
    AnnotationSettings s;
    if (change) change(s);
    return s;
}

std::string RandomBytes(std::size_t size, std::uint32_t seed, bool oneLine = false) {
    std::mt19937 random(seed);
    std::string bytes(size, '\0');
    for (char& c : bytes) do
            c = static_cast<char>(random());
        while (oneLine && (c == '\r' || c == '\n'));
    return bytes;
}

// A config.ini's bytes give these settings, and a save over it reads back.
struct ConfigCase {
    const char* name;
    std::string bytes;
    Change expected;
};
void PrintTo(const ConfigCase& c, std::ostream* out) { *out << c.name; }

class ConfigFile : public ::testing::TestWithParam<ConfigCase> {};

TEST_P(ConfigFile, LoadsWhatItCanAndSavesOverIt) {
    test::ScratchFolder folder;
    const std::u16string path = folder.write("config.ini", GetParam().bytes);
    AnnotationSettings expected = Changed(GetParam().expected);
    EXPECT_EQ(ReadSettings(path), expected);
    expected.rightSymbol = u"]";
    expected.notation.ipaVersion = 1;
    SaveSettings(path, expected);
    if (expected.characterStyleName == u":[无]") expected.characterStyleName.clear();  // saved as no style
    EXPECT_EQ(ReadSettings(path), expected);
}

const std::string kLeftSymbolSection = "\r\n[COM]\r\nSYML=<\r\n";
const std::string kHugeStyle = ":" + std::string(2 << 20, 'x');
constexpr Change Defaults = nullptr;
constexpr Change LeftSymbol = [](AnnotationSettings& s) { s.leftSymbol = u"<"; };

INSTANTIATE_TEST_SUITE_P(
    Files, ConfigFile,
    ::testing::Values(
        ConfigCase{"SeparatorT", "[COM]\r\nFGF=T\r\n", +[](AnnotationSettings& s) { s.separator = u"\t"; }},
        ConfigCase{"SeparatorLowerS", "[COM]\r\nFGF=s\r\n", +[](AnnotationSettings& s) { s.separator = u"s"; }},
        ConfigCase{"SeparatorQuotedBlanks", "[COM]\r\nFGF=\" \t\"\r\n", +[](AnnotationSettings& s) { s.separator = u" \t"; }},
        ConfigCase{"VersionMinusOne", "[COM]\r\nYBVER=-1\r\n", +[](AnnotationSettings& s) { s.notation.ipaVersion = -1; }},
        ConfigCase{"EmptyValuesGiveEmptyTextsAndDefaultNumbers", "[COM]\r\nIDVER=\r\nCHARSTYLE=\r\nFGF=\r\nSYML=\r\nSYMR=\r\nYBVER=\r\nUNICODE=\r\nLOOSE=\r\n",
                   +[](AnnotationSettings& s) { s.hostProgId = s.separator = s.leftSymbol = s.rightSymbol = u""; }},
        ConfigCase{"EveryKey",
                   "; by hand\r\n[com]\r\nIDVER=I.CS5\r\nCHARSTYLE=:\xD2\xF4\xB1\xEA:P\r\nFGF=--\r\n"
                   "SYML=[\r\nSYMR=\"]\"\r\nYBVER=2\r\nUNICODE=no\r\nLOOSE=0\r\n",
                   +[](AnnotationSettings& s) {
                       s = {u"I.CS5", u":音标:P", u"--", u"[", u"]", {2, false}, false};
                   }},
        ConfigCase{"LooseOffWordAndUnicodeAsANumber", "[COM]\r\nUNICODE=on\r\nLOOSE= Off \r\n",
                   +[](AnnotationSettings& s) { s.notation.useUnicode = s.loose = false; }},
        ConfigCase{"NoStyleIsSavedEmpty", "[COM]\r\nCHARSTYLE=:[\xCE\xDE]\r\n", +[](AnnotationSettings& s) { s.characterStyleName = u":[无]"; }},
        ConfigCase{"RandomBytes", RandomBytes(1 << 16, 1), Defaults},
        ConfigCase{"RandomLinesAroundTheSection", RandomBytes(5000, 2, true) + kLeftSymbolSection + RandomBytes(5000, 3, true), LeftSymbol},
        ConfigCase{"HugeLineOfGarbageSkipped", RandomBytes(2 << 20, 6, true) + kLeftSymbolSection, LeftSymbol},
        ConfigCase{"HugeValueReadWhole", "[COM]\r\nCHARSTYLE=" + kHugeStyle + "\r\nSYML=<\r\n",
                   +[](AnnotationSettings& s) {
                       s.leftSymbol = u"<";
                       s.characterStyleName = {kHugeStyle.begin(), kHugeStyle.end()};
                   }},
        ConfigCase{"Utf16MarkThenRandomUnits", "\xFF\xFE" + RandomBytes(1 << 14, 4), Defaults},
        ConfigCase{"NulCutsAValue", "[COM]\r\nSYML=<\0>\r\n"s, LeftSymbol},
        ConfigCase{"BinaryValues", "[COM]\r\nYBVER=\x01\x02\r\nUNICODE=\xFF\xFE\r\n", +[](AnnotationSettings& s) { s.notation.useUnicode = false; }}),
    test::CaseName());

TEST(ConfigFile, NoFileGivesTheDefaultsANewOneHasTheKeysInOrderInUtf16AndAnAnsiOneIsUpdatedInPlace) {
    test::ScratchFolder folder;
    EXPECT_EQ(ReadSettings(ConfigFilePath(test::ToProgramPath(folder.path()))), AnnotationSettings{});
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "config.ini"));
    EXPECT_NO_THROW(SaveSettings(folder.programPath("gone") + u"/config.ini", AnnotationSettings{}));
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "gone"));
    const auto path = folder.programPath("config.ini");
    SaveSettings(path, {u"X", u":音\U0001F600", u"\t", u"[", u"]", {-3, false}, true});
    EXPECT_EQ(FileBytes(path), Utf16Le(u"[COM]\r\nIDVER=X\r\nCHARSTYLE=:音\U0001F600\r\nFGF=T\r\nSYML=[\r\nSYMR=]\r\n"
                                       u"YBVER=-3\r\nUNICODE=0\r\nLOOSE=1\r\nHOMOGRAPHS=1\r\n"));
    const std::string ansi = "[COM]\r\nIDVER=I\r\nCHARSTYLE=:\xD2\xF4\r\nFGF=S\r\nSYML=[\r\nSYMR=]\r\nYBVER=0\r\nUNICODE=1\r\n";
    const auto ansiPath = folder.write("ansi.ini", ansi);
    AnnotationSettings s = ReadSettings(ansiPath);
    s.characterStyleName = u":果";
    SaveSettings(ansiPath, s);
    EXPECT_EQ(FileBytes(ansiPath),
              "[COM]\r\nIDVER=I\r\nCHARSTYLE=:\xB9\xFB\r\nFGF=S\r\nSYML=[\r\nSYMR=]\r\nYBVER=0\r\nUNICODE=1\r\nLOOSE=1\r\nHOMOGRAPHS=1\r\n");
}

// YBVER and UNICODE as the run and the dialog read them; a hand-edited YBVER=2 writes the newer
// convention but the dialog shows the older one.
TEST(ConfigFile, StoredNotationReadings) {
    const struct {
        StoredNotation stored;
        Notation run;
        bool newer;
    } cases[] = {
        {{0, false}, Notation::Kingsoft14, true},   {{1, false}, Notation::Kingsoft13, false}, {{2, false}, Notation::Kingsoft14, false},
        {{-1, false}, Notation::Kingsoft14, false}, {{1, true}, Notation::Unicode, false},     {{0, true}, Notation::Unicode, true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(std::pair(c.stored.notation(), c.stored.showsNewerConvention()), std::pair(c.run, c.newer)) << c.stored.ipaVersion;
        EXPECT_EQ(StoredNotation::of(c.run).notation(), c.run);
        EXPECT_EQ(StoredNotation::fromDialog(c.newer, c.stored.useUnicode).notation(), c.newer || c.stored.useUnicode ? c.run : Notation::Kingsoft13);
    }
}

// Signed numbers (flags read them) are held to the 32-bit range at both ends.
TEST(ProfileFile, SignedNumbersAtTheirLimits) {
    constexpr std::int32_t kMaxSigned = std::numeric_limits<std::int32_t>::max(), kMinSigned = std::numeric_limits<std::int32_t>::min();
    for (const auto& [text, number] : {std::pair{u"2147483647", kMaxSigned},
                                       {u"2147483648", kMaxSigned},
                                       {u"-2147483647", -kMaxSigned},
                                       {u"-2147483648", kMinSigned},
                                       {u"-2147483649", kMinSigned},
                                       {u" -12x", -12}}) {
        EXPECT_EQ(ParseSigned(text), number) << Utf16ToUtf8(text);
    }
}

// A switch is off only when it says so; anything else leaves it on.
TEST(ConfigFile, SwitchWords) {
    for (const char16_t* off : {u"0", u"off", u" No ", u"FALSE", u"Disabled\t"}) EXPECT_FALSE(SwitchFromStored(off));
    for (const char16_t* on : {u"1", u"On", u"yes", u" true", u"ENABLED", u"0x1", u"2", u"", u"maybe", u"offline"}) {
        EXPECT_TRUE(SwitchFromStored(on)) << Utf16ToUtf8(on);
    }
}

class SettingsRoundTrip : public ::testing::TestWithParam<std::pair<const char*, Change>> {};

TEST_P(SettingsRoundTrip, ComesBackAsSavedAndASecondSaveChangesNothing) {
    test::ScratchFolder folder;
    const auto path = folder.programPath("config.ini");
    const AnnotationSettings saved = Changed(GetParam().second);
    SaveSettings(path, saved);
    EXPECT_EQ(ReadSettings(path), saved);
    const std::string bytes = FileBytes(path);
    SaveSettings(path, ReadSettings(path));
    EXPECT_EQ(FileBytes(path), bytes);
}

INSTANTIATE_TEST_SUITE_P(Values, SettingsRoundTrip,
                         ::testing::Values(std::pair{"Defaults", Defaults}, std::pair{"TwoSpaces", +[](AnnotationSettings& s) { s.separator = u"  "; }},
                                           std::pair{"EmptySeparator", +[](AnnotationSettings& s) { s.separator = u""; }},
                                           std::pair{"QuotedSeparator", +[](AnnotationSettings& s) { s.separator = u"\"S\""; }},
                                           std::pair{"SymbolsWithBlanks",
                                                     +[](AnnotationSettings& s) {
                                                         s.leftSymbol = u" [";
                                                         s.rightSymbol = u"] ";
                                                     }},
                                           std::pair{"QuotedSymbols",
                                                     +[](AnnotationSettings& s) {
                                                         s.leftSymbol = u"\"/";
                                                         s.rightSymbol = u"'/'";
                                                     }},
                                           std::pair{"LoneQuote", +[](AnnotationSettings& s) { s.leftSymbol = u"\""; }},
                                           std::pair{"StyleWithoutColon", +[](AnnotationSettings& s) { s.characterStyleName = u"Phonetics"; }},
                                           std::pair{"ChineseStylePath", +[](AnnotationSettings& s) { s.characterStyleName = u":音标样式:国际音标 "; }},
                                           std::pair{"OtherVersion",
                                                     +[](AnnotationSettings& s) {
                                                         s = {u"I.CS5", u"", u" ", u"\\", u"\\", {1, false}, false};
                                                     }}),
                         [](const auto& p) { return std::string(p.param.first); });

}}  // namespace sonotag::settings
