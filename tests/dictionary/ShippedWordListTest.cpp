// The default word list that ships beside the program: its bytes, its letter
// code, and its transcriptions against a hand-checked list, all read through
// the program's own loader.

#include <algorithm>
#include <array>
#include <cctype>
#include <cstddef>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include <gtest/gtest.h>

#include "dictionary/PhoneticDictionary.h"

namespace sonotag {
namespace {

const std::filesystem::path kWordList = std::filesystem::path(SONOTAG_SOURCE_DIR) / "dictionary" / "dictionary.txt";
const std::filesystem::path kHandCheckedFolder = std::filesystem::path(SONOTAG_FIXTURES) / "wordlist";

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::u16string Widen(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

struct Record {
    std::string word;
    std::string unused;
    std::string transcription;
    std::size_t fields = 0;
};

Record SplitRecord(std::string_view line) {
    Record record;
    std::array<std::string*, 3> targets{&record.word, &record.unused, &record.transcription};
    std::size_t start = 0;
    while (true) {
        const std::size_t bar = line.find('|', start);
        const std::string_view field = line.substr(start, bar == std::string_view::npos ? bar : bar - start);
        if (record.fields < targets.size()) *targets[record.fields] = std::string(field);
        ++record.fields;
        if (bar == std::string_view::npos) return record;
        start = bar + 1;
    }
}

// The lines of a CR LF file; nullopt when a line end is anything else.
std::optional<std::vector<std::string>> CrLfLines(const std::string& bytes) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t end = bytes.find("\r\n", start);
        if (end == std::string::npos) return std::nullopt;
        const std::string line = bytes.substr(start, end - start);
        if (line.find_first_of("\r\n") != std::string::npos) return std::nullopt;
        lines.push_back(line);
        start = end + 2;
    }
    return lines;
}

const std::vector<Record>& ShippedRecords() {
    static const std::vector<Record> records = [] {
        std::vector<Record> result;
        const auto lines = CrLfLines(ReadBytes(kWordList));
        if (lines) std::transform(lines->begin(), lines->end(), std::back_inserter(result), SplitRecord);
        return result;
    }();
    return records;
}

// The symbols of the stored letter code (Kingsoft letters, older convention),
// longest first so that "i:" is not read as "i" and ":".
constexpr std::array<std::string_view, 20> kVowels{
    "i:", "u:", "B:", "R:", "\\:", "ei", "ai", "Ri", "[u", "au", "i[", "Z[", "u[",
    "i", "u", "C", "[", "Q", "A", "Z"};
constexpr std::array<std::string_view, 24> kConsonants{
    "tF", "dV", "p", "b", "t", "d", "k", "g", "f", "v", "W", "T", "s", "z", "F", "V",
    "h", "m", "n", "N", "l", "r", "j", "w"};
constexpr char kPrimary = '5';
constexpr char kSecondary = '7';

std::optional<std::string_view> MatchSymbol(std::string_view rest, bool& vowel) {
    for (std::size_t length = 2; length >= 1; --length) {
        const std::string_view head = rest.substr(0, length);
        if (head.size() != length) continue;
        if (std::find(kVowels.begin(), kVowels.end(), head) != kVowels.end()) {
            vowel = true;
            return head;
        }
        if (std::find(kConsonants.begin(), kConsonants.end(), head) != kConsonants.end()) {
            vowel = false;
            return head;
        }
    }
    return std::nullopt;
}

// Empty when `transcription` is well formed, otherwise why not.
std::string LetterCodeFault(std::string_view transcription) {
    if (transcription.empty()) return "empty";
    bool anyVowel = false;
    int primaries = 0;
    bool secondaryPending = false;
    bool markPending = false;
    std::size_t at = 0;
    while (at < transcription.size()) {
        const char c = transcription[at];
        if (c == kPrimary || c == kSecondary) {
            if (markPending) return "two stress marks in a row";
            if (c == kPrimary) {
                ++primaries;
                secondaryPending = false;
            } else {
                if (primaries > 0) return "secondary stress after the primary";
                secondaryPending = true;
            }
            markPending = true;
            ++at;
            continue;
        }
        bool vowel = false;
        const auto symbol = MatchSymbol(transcription.substr(at), vowel);
        if (!symbol) return "not a letter of the code at " + std::to_string(at);
        if (vowel) {
            anyVowel = true;
            markPending = false;
        }
        at += symbol->size();
    }
    if (markPending) return "stress mark without a vowel after it";
    if (!anyVowel) return "no vowel";
    if (primaries > 1) return "more than one primary stress";
    if (secondaryPending) return "secondary stress without a primary";
    return {};
}

TEST(LetterCodeCheck, TellsWellFormedFromMalformed) {
    // The check itself, on transcriptions of known shape.
    EXPECT_EQ(LetterCodeFault("5Apl"), "");
    EXPECT_EQ(LetterCodeFault("7Qnd[5stAnd"), "");
    EXPECT_EQ(LetterCodeFault("tF\\:tF"), "");
    EXPECT_EQ(LetterCodeFault("kwB:sCn"), "");
    EXPECT_NE(LetterCodeFault(""), "");
    EXPECT_NE(LetterCodeFault("5Ipl"), "");        // I is a letter of the newer convention
    EXPECT_NE(LetterCodeFault("5Dpl"), "");
    EXPECT_NE(LetterCodeFault("ke:t"), "");        // e only in ei
    EXPECT_NE(LetterCodeFault("B"), "");           // B only long
    EXPECT_NE(LetterCodeFault("5hA5lu"), "");
    EXPECT_NE(LetterCodeFault("h[5"), "");
    EXPECT_NE(LetterCodeFault("5h[7lu"), "");
    EXPECT_NE(LetterCodeFault("57hAt"), "");
    EXPECT_NE(LetterCodeFault("pst"), "");
    EXPECT_NE(LetterCodeFault("h\xc3\xa6t"), "");  // not ASCII
}

TEST(ShippedWordList, IsPlainAsciiWithCrLfLinesAndNoByteOrderMark) {
    const std::string bytes = ReadBytes(kWordList);
    ASSERT_FALSE(bytes.empty()) << kWordList;
    EXPECT_NE(bytes.substr(0, 3), "\xEF\xBB\xBF");
    EXPECT_NE(bytes.substr(0, 2), "\xFF\xFE");
    EXPECT_TRUE(std::all_of(bytes.begin(), bytes.end(), [](char c) {
        return c == '\r' || c == '\n' || (c >= 0x20 && c < 0x7F);
    }));
    EXPECT_TRUE(CrLfLines(bytes).has_value()) << "every line ends with CR LF, the last one too";
}

TEST(ShippedWordList, EveryLineIsWordEmptyFieldTranscription) {
    const auto& records = ShippedRecords();
    ASSERT_GE(records.size(), 50000u);
    std::vector<std::string> faults;
    for (const Record& record : records) {
        const bool wordOk = !record.word.empty() && record.word.back() != '=' &&
                            std::all_of(record.word.begin(), record.word.end(),
                                        [](char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '\''; });
        if (record.fields != 3 || !record.unused.empty() || !wordOk) faults.push_back(record.word);
    }
    EXPECT_TRUE(faults.empty()) << faults.size() << " malformed lines, the first: " << faults.front();
}

TEST(ShippedWordList, EveryTranscriptionUsesOnlyTheLetterCode) {
    std::vector<std::string> faults;
    for (const Record& record : ShippedRecords()) {
        const std::string fault = LetterCodeFault(record.transcription);
        if (!fault.empty()) faults.push_back(record.word + "||" + record.transcription + ": " + fault);
    }
    std::ostringstream shown;
    for (std::size_t i = 0; i < std::min<std::size_t>(faults.size(), 20); ++i) shown << "\n  " << faults[i];
    EXPECT_TRUE(faults.empty()) << faults.size() << " transcriptions outside the letter code:" << shown.str();
}

TEST(ShippedWordList, LoadsThroughTheProgramsReaderLineForLine) {
    const auto& records = ShippedRecords();
    ASSERT_FALSE(records.empty());
    PhoneticDictionary dictionary;
    ASSERT_FALSE(dictionary.load(kWordList.u16string()));
    EXPECT_EQ(dictionary.size(), records.size()) << "each word on one line only";
    std::size_t differing = 0;
    for (const Record& record : records) {
        if (dictionary.lookup(Widen(record.word)) != Widen(record.transcription)) ++differing;
    }
    EXPECT_EQ(differing, 0u);
    EXPECT_EQ(dictionary.size(), records.size()) << "no look-up missed";
}

TEST(ShippedWordList, CarriesCapitalisedCopiesForSentenceStarts) {
    PhoneticDictionary dictionary;
    ASSERT_FALSE(dictionary.load(kWordList.u16string()));
    for (const char16_t* word : {u"the", u"apple", u"because", u"don't", u"a"}) {
        std::u16string upper = word;
        upper[0] = static_cast<char16_t>(upper[0] - u'a' + u'A');
        const std::u16string lower(dictionary.lookup(word));
        EXPECT_FALSE(lower.empty());
        EXPECT_EQ(dictionary.lookup(upper), lower) << std::string(upper.begin(), upper.end());
    }
    // A capitalised word said differently keeps its own transcription.
    EXPECT_NE(dictionary.lookup(u"Polish"), dictionary.lookup(u"polish"));
    EXPECT_EQ(dictionary.lookup(u"THE"), u"");
}

struct HandChecked {
    std::string word;
    std::string expected;
};

std::vector<HandChecked> ReadHandChecked(const std::filesystem::path& path) {
    std::vector<HandChecked> entries;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos) {
            ADD_FAILURE() << "malformed hand-checked line: " << line;
            continue;
        }
        entries.push_back({line.substr(0, tab), line.substr(tab + 1)});
    }
    return entries;
}

// The syllable (from 0) before which the primary stress mark stands; nullopt
// when there is none or the transcription is not in the letter code.
std::optional<std::size_t> PrimaryStressSyllable(std::string_view transcription) {
    std::size_t vowels = 0;
    std::size_t at = 0;
    while (at < transcription.size()) {
        if (transcription[at] == kPrimary) return vowels;
        if (transcription[at] == kSecondary) {
            ++at;
            continue;
        }
        bool vowel = false;
        const auto symbol = MatchSymbol(transcription.substr(at), vowel);
        if (!symbol) return std::nullopt;
        vowels += vowel ? 1 : 0;
        at += symbol->size();
    }
    return std::nullopt;
}

TEST(LetterCodeCheck, FindsThePrimaryStressSyllable) {
    EXPECT_EQ(PrimaryStressSyllable("An7tisi5peiF[n"), 3u);
    EXPECT_EQ(PrimaryStressSyllable("5Apl"), 0u);
    EXPECT_EQ(PrimaryStressSyllable("Zndi5kr\\:tFu"), 2u);
    EXPECT_EQ(PrimaryStressSyllable("bi:t"), std::nullopt);
    EXPECT_EQ(PrimaryStressSyllable("I5pl"), std::nullopt);  // not the letter code
}

// A hand-checked list, what of each word is compared, and how many of the
// list may differ (a share of 1 / maxShareDenominator).
struct HandCheckedList {
    const char* file;
    bool stressOnly;
    std::size_t minimumWords;
    std::size_t maxShareDenominator;
};

TEST(ShippedWordList, AgreesWithTheHandCheckedLists) {
    const HandCheckedList lists[] = {
        {"handchecked.txt", false, 150, 50},      // common words, whole transcriptions, 2%
        {"handchecked-long.txt", true, 50, 20},   // long derived words, primary stress, 5%
    };
    PhoneticDictionary dictionary;
    ASSERT_FALSE(dictionary.load(kWordList.u16string()));
    for (const HandCheckedList& list : lists) {
        SCOPED_TRACE(list.file);
        const std::vector<HandChecked> entries = ReadHandChecked(kHandCheckedFolder / list.file);
        ASSERT_GE(entries.size(), list.minimumWords);
        std::size_t differing = 0;
        std::size_t stressDiffering = 0;
        for (const HandChecked& entry : entries) {
            const std::u16string_view found = dictionary.lookup(Widen(entry.word));
            if (found == Widen(entry.expected)) continue;
            const std::string shipped(found.begin(), found.end());
            const bool stressDiffers =
                !PrimaryStressSyllable(shipped) || PrimaryStressSyllable(shipped) != PrimaryStressSyllable(entry.expected);
            ++differing;
            stressDiffering += stressDiffers ? 1 : 0;
            std::cout << "differs" << (stressDiffers ? " in stress" : "") << ": " << entry.word << "  expected "
                      << entry.expected << "  shipped " << shipped << "\n";
        }
        std::cout << list.file << ": " << differing << " of " << entries.size() << " differ, " << stressDiffering
                  << " in the primary stress\n";
        EXPECT_LE((list.stressOnly ? stressDiffering : differing) * list.maxShareDenominator, entries.size());
    }
}

}  // namespace
}  // namespace sonotag
