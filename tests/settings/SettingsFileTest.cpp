#include "settings/SettingsFile.h"

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "base/Utf.h"
#include "settings/ProfileFile.h"
#include "tests/support/CaseName.h"
#include "tests/support/TestFiles.h"

namespace sonotag::settings {
namespace {

using namespace std::string_literals;

std::string FileBytes(const std::u16string& path) {
    std::ifstream in(std::filesystem::path(path), std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

// The text of a UTF-16 file with its byte-order mark; empty for any other file.
std::u16string Utf16FileText(const std::u16string& path) {
    const std::string bytes = FileBytes(path);
    if (!bytes.starts_with("\xFF\xFE")) return {};
    std::u16string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2) {
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             static_cast<unsigned char>(bytes[i + 1]) << 8));
    }
    return text;
}

AnnotationSettings LoadFrom(const std::u16string& path) { return ReadSettings(path); }

std::u16string ConfigWith(const test::ScratchFolder& folder, const std::string& lines) {
    return folder.write("config.ini", "[COM]\r\n" + lines);
}

// ---- Loading.

TEST(ReadSettings, NoFileGivesTheDefaults) {
    test::ScratchFolder folder;
    const AnnotationSettings s = ReadSettings(ConfigFilePath(test::ToProgramPath(folder.path())));
    EXPECT_EQ(s.hostProgId, u"InDesign.Application.CS3");
    EXPECT_EQ(s.characterStyleName, u"");
    EXPECT_EQ(s.separator, u" ");
    EXPECT_EQ(s.leftSymbol, u"\\");
    EXPECT_EQ(s.rightSymbol, u"\\");
    EXPECT_EQ(s.ipaVersion, 0);
    EXPECT_TRUE(s.useUnicode);
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "config.ini"));
}

TEST(ReadSettings, ReadsEveryKey) {
    test::ScratchFolder folder;
    const auto path = folder.write("config.ini",
                                   "; written by hand\r\n[com]\r\nIDVER=InDesign.Application.CS5\r\n"
                                   "CHARSTYLE=:\xD2\xF4\xB1\xEA:Phonetics\r\nFGF=T\r\nSYML=[\r\nSYMR=]\r\n"
                                   "YBVER=1\r\nUNICODE=0\r\nLOOSE=0\r\n");
    const AnnotationSettings s = LoadFrom(path);
    EXPECT_EQ(s.hostProgId, u"InDesign.Application.CS5");
    EXPECT_EQ(s.characterStyleName, u":音标:Phonetics");
    EXPECT_EQ(s.separator, u"\t");
    EXPECT_EQ(s.leftSymbol, u"[");
    EXPECT_EQ(s.rightSymbol, u"]");
    EXPECT_EQ(s.ipaVersion, 1);
    EXPECT_FALSE(s.useUnicode);
    EXPECT_FALSE(s.loose);
}

TEST(ReadSettings, PresentKeysWithEmptyValuesGiveEmptyTextsButDefaultNumbers) {
    test::ScratchFolder folder;
    const AnnotationSettings s =
        LoadFrom(ConfigWith(folder, "IDVER=\r\nCHARSTYLE=\r\nFGF=\r\nSYML=\r\nSYMR=\r\nYBVER=\r\nUNICODE=\r\n"));
    EXPECT_EQ(s.hostProgId, u"");
    EXPECT_EQ(s.separator, u"");
    EXPECT_EQ(s.leftSymbol, u"");
    EXPECT_EQ(s.rightSymbol, u"");
    EXPECT_EQ(s.ipaVersion, 0);
    EXPECT_TRUE(s.useUnicode);
}

// The defaults with one change; no change: the defaults.
using Change = void (*)(AnnotationSettings&);

AnnotationSettings Changed(Change change) {
    AnnotationSettings s;
    if (change) change(s);
    return s;
}

constexpr Change Defaults = nullptr;

struct KeyCase {
    const char* name;
    std::string line;
    Change expected;
};

class LoadSettingsKey : public ::testing::TestWithParam<KeyCase> {};

TEST_P(LoadSettingsKey, GivesTheField) {
    test::ScratchFolder folder;
    EXPECT_EQ(LoadFrom(ConfigWith(folder, GetParam().line + "\r\n")), Changed(GetParam().expected));
}

INSTANTIATE_TEST_SUITE_P(
    Keys, LoadSettingsKey,
    ::testing::Values(
        KeyCase{"SeparatorS", "FGF=S", Defaults},
        KeyCase{"SeparatorT", "FGF=T", [](AnnotationSettings& s) { s.separator = u"\t"; }},
        KeyCase{"SeparatorLowerS", "FGF=s", [](AnnotationSettings& s) { s.separator = u"s"; }},
        KeyCase{"SeparatorEmpty", "FGF=", [](AnnotationSettings& s) { s.separator = u""; }},
        KeyCase{"SeparatorOther", "FGF=--", [](AnnotationSettings& s) { s.separator = u"--"; }},
        KeyCase{"SeparatorQuotedBlanks", "FGF=\"  \"", [](AnnotationSettings& s) { s.separator = u"  "; }},
        KeyCase{"UnicodeYes", "UNICODE=yes", Defaults},
        KeyCase{"UnicodeTrueCapitals", "UNICODE=TRUE", Defaults},
        KeyCase{"UnicodeTwo", "UNICODE=2", Defaults},
        KeyCase{"UnicodeNo", "UNICODE=no", [](AnnotationSettings& s) { s.useUnicode = false; }},
        KeyCase{"UnicodeZero", "UNICODE=0", [](AnnotationSettings& s) { s.useUnicode = false; }},
        KeyCase{"UnicodeEmpty", "UNICODE=", Defaults},
        KeyCase{"LooseZero", "LOOSE=0", [](AnnotationSettings& s) { s.loose = false; }},
        KeyCase{"LooseEmpty", "LOOSE=", Defaults},
        KeyCase{"VersionEmpty", "YBVER=", Defaults},
        KeyCase{"VersionDigitThenLetters", "YBVER=1abc", [](AnnotationSettings& s) { s.ipaVersion = 1; }},
        KeyCase{"VersionLetters", "YBVER=abc", Defaults},
        KeyCase{"VersionTwo", "YBVER=2", [](AnnotationSettings& s) { s.ipaVersion = 2; }},
        KeyCase{"VersionMinusOne", "YBVER=-1", [](AnnotationSettings& s) { s.ipaVersion = -1; }},
        KeyCase{"StyleWithoutColon", "CHARSTYLE=Phonetics",
                [](AnnotationSettings& s) { s.characterStyleName = u"Phonetics"; }},
        KeyCase{"OldSymbolsReadAsBefore", "SYML=[\r\nSYMR=\"]\"",
                [](AnnotationSettings& s) {
                    s.leftSymbol = u"[";
                    s.rightSymbol = u"]";
                }}),
    test::CaseName());

TEST(ReadSettings, LongStylePathIsReadWhole) {
    std::string path;
    while (path.size() < 1200) path += ":Group" + std::to_string(path.size());
    test::ScratchFolder folder;
    const AnnotationSettings s = LoadFrom(ConfigWith(folder, "CHARSTYLE=" + path + "\r\n"));
    EXPECT_EQ(s.characterStyleName, std::u16string(path.begin(), path.end()));
}

// ---- Saving.

TEST(SaveSettings, NewFileHasTheSevenKeysThenLooseInOrderInUtf16) {
    test::ScratchFolder folder;
    const auto path = folder.programPath("config.ini");
    AnnotationSettings s;
    s.characterStyleName = u":音标";
    s.leftSymbol = u"[";
    s.rightSymbol = u"]";
    SaveSettings(path, s);
    EXPECT_EQ(Utf16FileText(path),
              u"[COM]\r\nIDVER=InDesign.Application.CS3\r\nCHARSTYLE=:音标\r\nFGF=S\r\nSYML=[\r\nSYMR=]\r\n"
              u"YBVER=0\r\nUNICODE=1\r\nLOOSE=1\r\n");
}

TEST(SaveSettings, FirstSaveAfterStartingWithoutFileWritesUtf16) {
    test::ScratchFolder folder;
    const auto path = ConfigFilePath(test::ToProgramPath(folder.path()));
    AnnotationSettings s = LoadFrom(path);
    s.characterStyleName = u":音标";
    SaveSettings(path, s);
    EXPECT_TRUE(FileBytes(path).starts_with("\xFF\xFE"));
    EXPECT_EQ(LoadFrom(path), s);
}

TEST(SaveSettings, StoredForms) {
    test::ScratchFolder folder;
    const auto path = folder.programPath("config.ini");
    AnnotationSettings s;
    s.characterStyleName = u":[无]";
    s.separator = u"\t";
    s.ipaVersion = -3;
    s.useUnicode = false;
    SaveSettings(path, s);
    const ProfileFile file(path);
    EXPECT_EQ(file.ReadString(u"COM", u"CHARSTYLE", u"missing"), u"");
    EXPECT_EQ(file.ReadString(u"COM", u"FGF", u"missing"), u"T");
    EXPECT_EQ(file.ReadString(u"COM", u"YBVER", u"missing"), u"-3");
    EXPECT_EQ(file.ReadString(u"COM", u"UNICODE", u"missing"), u"0");
}

TEST(SaveSettings, NoStyleIsLoadedAsAStyleNamedNoStyleAndSavedEmpty) {
    test::ScratchFolder folder;
    const auto path = ConfigWith(folder, "CHARSTYLE=:[\xCE\xDE]\r\n");
    const AnnotationSettings loaded = LoadFrom(path);
    EXPECT_EQ(loaded.characterStyleName, u":[无]");
    SaveSettings(path, loaded);
    EXPECT_EQ(LoadFrom(path).characterStyleName, u"");
}

TEST(SaveSettings, StyleWithoutColonIsWrittenBackUnchanged) {
    test::ScratchFolder folder;
    const auto path = ConfigWith(folder, "CHARSTYLE=Phonetics\r\n");
    SaveSettings(path, LoadFrom(path));
    EXPECT_EQ(ProfileFile(path).ReadString(u"COM", u"CHARSTYLE", u""), u"Phonetics");
}

TEST(SaveSettings, ExistingAnsiFileIsUpdatedInPlace) {
    test::ScratchFolder folder;
    const auto path = folder.write("config.ini",
                                   "[COM]\r\nIDVER=InDesign.Application.CS3\r\nCHARSTYLE=:\xD2\xF4\xB1\xEA\r\n"
                                   "FGF=S\r\nSYML=[\r\nSYMR=]\r\nYBVER=0\r\nUNICODE=1\r\n");
    AnnotationSettings s = LoadFrom(path);
    s.characterStyleName = u":果";
    s.ipaVersion = 1;
    SaveSettings(path, s);
    EXPECT_EQ(FileBytes(path),
              "[COM]\r\nIDVER=InDesign.Application.CS3\r\nCHARSTYLE=:\xB9\xFB\r\n"
              "FGF=S\r\nSYML=[\r\nSYMR=]\r\nYBVER=1\r\nUNICODE=1\r\nLOOSE=1\r\n");
}

TEST(SaveSettings, UnwritableFileIsNotReported) {
    test::ScratchFolder folder;
    EXPECT_NO_THROW(SaveSettings(folder.programPath("gone") + u"/config.ini", AnnotationSettings{}));
    EXPECT_FALSE(std::filesystem::exists(folder.path() / "gone"));
}

// ---- Every value survives a restart.

struct RoundTripCase {
    const char* name;
    Change settings;
};

class SettingsRoundTrip : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(SettingsRoundTrip, ComesBackAsSaved) {
    test::ScratchFolder folder;
    const auto path = folder.programPath("config.ini");
    const AnnotationSettings saved = Changed(GetParam().settings);
    SaveSettings(path, saved);
    EXPECT_EQ(LoadFrom(path), saved);
    // A second save over the file it made changes nothing.
    const std::string bytes = FileBytes(path);
    SaveSettings(path, LoadFrom(path));
    EXPECT_EQ(FileBytes(path), bytes);
}

INSTANTIATE_TEST_SUITE_P(
    Values, SettingsRoundTrip,
    ::testing::Values(
        RoundTripCase{"Defaults", Defaults},
        RoundTripCase{"TwoSpaces", [](AnnotationSettings& s) { s.separator = u"  "; }},
        RoundTripCase{"SpaceAndTab", [](AnnotationSettings& s) { s.separator = u" \t"; }},
        RoundTripCase{"EmptySeparator", [](AnnotationSettings& s) { s.separator = u""; }},
        RoundTripCase{"LetterSeparator", [](AnnotationSettings& s) { s.separator = u"s"; }},
        RoundTripCase{"SymbolsWithBlanks",
                      [](AnnotationSettings& s) {
                          s.leftSymbol = u" [";
                          s.rightSymbol = u"] ";
                      }},
        RoundTripCase{"QuotedSymbols",
                      [](AnnotationSettings& s) {
                          s.leftSymbol = u"\"/";
                          s.rightSymbol = u"'/'";
                      }},
        RoundTripCase{"QuotedSeparator", [](AnnotationSettings& s) { s.separator = u"\"S\""; }},
        RoundTripCase{"LoneQuote", [](AnnotationSettings& s) { s.leftSymbol = u"\""; }},
        RoundTripCase{"ChineseStylePath",
                      [](AnnotationSettings& s) { s.characterStyleName = u":音标样式:国际音标 "; }},
        RoundTripCase{"OtherVersion",
                      [](AnnotationSettings& s) {
                          s.hostProgId = u"InDesign.Application.CS5";
                          s.ipaVersion = 1;
                          s.useUnicode = false;
                      }}),
    test::CaseName());

TEST(ProtectedValue, QuotesOnlyWhatTheReaderWouldChange) {
    EXPECT_EQ(ProtectedValue(u""), u"");
    EXPECT_EQ(ProtectedValue(u"["), u"[");
    EXPECT_EQ(ProtectedValue(u"a b"), u"a b");
    EXPECT_EQ(ProtectedValue(u"\""), u"\"");
    EXPECT_EQ(ProtectedValue(u"\"a"), u"\"a");
    EXPECT_EQ(ProtectedValue(u"\"a'"), u"\"a'");
    EXPECT_EQ(ProtectedValue(u" a"), u"\" a\"");
    EXPECT_EQ(ProtectedValue(u"a\t"), u"\"a\t\"");
    EXPECT_EQ(ProtectedValue(u"'a'"), u"\"'a'\"");
    EXPECT_EQ(ProtectedValue(u"\"\""), u"\"\"\"\"");
}

}  // namespace
}  // namespace sonotag::settings
