// The shipped word list through the program's loader (its letter code is checked in tests/wordlist).

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <optional>
#include <tuple>

#include <gtest/gtest.h>

#include "dictionary/PhoneticDictionary.h"

namespace sonotag { namespace {

using namespace sonotag::dictionary;

const std::filesystem::path kWordList = std::filesystem::path(SONOTAG_SOURCE_DIR) / "dictionary" / "dictionary.txt";

std::u16string Widen(std::string_view ascii) { return std::u16string(ascii.begin(), ascii.end()); }

class ShippedWordList : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(dictionary.load(kWordList.u16string())); }
    PhoneticDictionary dictionary;
};

TEST_F(ShippedWordList, IsPlainAsciiInCrLfLinesOfWordEmptyFieldTranscriptionEachLoaded) {
    std::ifstream in(kWordList, std::ios::binary);
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    ASSERT_TRUE(bytes.ends_with("\r\n"));
    EXPECT_TRUE(std::all_of(bytes.begin(), bytes.end(), [](char c) { return c == '\r' || c == '\n' || (c >= 0x20 && c < 0x7F); }));
    std::size_t lines = 0;
    std::vector<std::string> faults;
    for (std::size_t start = 0; start < bytes.size(); ++lines) {
        const std::size_t end = bytes.find("\r\n", start);
        const std::string line = bytes.substr(start, end - start);
        start = end + 2;
        const std::size_t bar = line.find("||");
        const std::string word = line.substr(0, bar);
        if (bar == std::string::npos || word.empty() || line.find_first_of("|\r\n", bar + 2) != std::string::npos ||
            !std::all_of(word.begin(), word.end(), [](char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '\''; }) ||
            dictionary.lookup(Widen(word)) != Widen(line.substr(bar + 2)))
            faults.push_back(line);
    }
    EXPECT_GE(lines, 50000u);
    EXPECT_EQ(dictionary.size(), lines) << "each word on one line only";
    EXPECT_TRUE(faults.empty()) << faults.size() << " lines malformed or read otherwise, the first: " << faults.front();
}

TEST_F(ShippedWordList, CarriesCapitalisedCopiesForSentenceStarts) {
    for (const std::u16string word : {u"the", u"apple", u"because", u"don't", u"a"}) {
        const std::u16string upper = static_cast<char16_t>(word[0] - u'a' + u'A') + word.substr(1);
        EXPECT_FALSE(dictionary.lookup(word).empty());
        EXPECT_EQ(dictionary.lookup(upper), dictionary.lookup(word)) << std::string(upper.begin(), upper.end());
    }
    EXPECT_NE(dictionary.lookup(u"Polish"), dictionary.lookup(u"polish"));  // said otherwise, stored apart
    EXPECT_EQ(dictionary.lookup(u"THE"), u"");
}

// The syllable before which the primary stress mark 5 stands, counting runs of vowel letters.
std::optional<int> StressedSyllable(std::string_view transcription) {
    int syllables = 0;
    bool inVowel = false;
    for (const char c : transcription) {
        if (c == '5') return syllables;
        const bool vowel = c != '\0' && std::strchr("iuCZABDRQ[\\:eaIJE", c) != nullptr;
        syllables += vowel && !inVowel;
        inVowel = vowel;
    }
    return std::nullopt;
}

// Whole transcriptions may differ in 1 of 50 common words; the stressed syllable in 1 of 20 long ones.
TEST_F(ShippedWordList, AgreesWithTheHandCheckedLists) {
    for (const auto& [file, stressOnly, minimum, share] :
         {std::tuple{"handchecked.txt", false, 150u, 50u}, std::tuple{"handchecked-long.txt", true, 50u, 20u}}) {
        std::ifstream in(std::filesystem::path(SONOTAG_FIXTURES) / "wordlist" / file);
        std::size_t words = 0, differing = 0;
        for (std::string line; std::getline(in, line);) {
            if (line.empty() || line[0] == '#') continue;
            const std::size_t tab = line.find('\t');
            ASSERT_NE(tab, std::string::npos) << line;
            const std::string expected = line.substr(tab + 1, line.find_last_not_of('\r') - tab);
            const std::u16string_view found = dictionary.lookup(Widen(line.substr(0, tab)));
            const std::string shipped(found.begin(), found.end());
            ++words;
            if (shipped == expected) continue;
            const bool counts = !stressOnly || !StressedSyllable(shipped) || StressedSyllable(shipped) != StressedSyllable(expected);
            differing += counts;
            std::cout << file << " differs" << (counts ? "" : " (not in stress)") << ": " << line << "  shipped " << shipped << "\n";
        }
        EXPECT_GE(words, minimum) << file;
        EXPECT_LE(differing * share, words) << file;
    }
}

}}  // namespace sonotag
