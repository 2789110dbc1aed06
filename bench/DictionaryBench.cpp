// Word-list figures: load time and throughput of a 100,000-line list and of
// a 1,000,000-line one against merely reading and splitting their lines, and
// look-ups per second. Prints figures only; it never fails on a time.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "base/Utf.h"
#include "dictionary/PhoneticDictionary.h"

namespace {

using Clock = std::chrono::steady_clock;

std::string RandomLetters(std::mt19937& random, const char* alphabet, int minimum, int maximum) {
    std::uniform_int_distribution<int> length(minimum, maximum);
    std::uniform_int_distribution<std::size_t> letter(0, std::char_traits<char>::length(alphabet) - 1);
    std::string text(static_cast<std::size_t>(length(random)), ' ');
    for (char& c : text) c = alphabet[letter(random)];
    return text;
}

std::vector<std::string> MakeWordList(std::size_t lines, const std::filesystem::path& file) {
    std::mt19937 random(20261206);
    std::vector<std::string> words;
    std::ofstream out(file, std::ios::binary);
    for (std::size_t i = 0; i < lines; ++i) {
        std::string word = RandomLetters(random, "abcdefghijklmnopqrstuvwxyz", 3, 12);
        if (i % 7 == 0) word[0] = static_cast<char>(word[0] - 'a' + 'A');
        const std::string transcription = RandomLetters(random, "5ptkbdgmnlrsziuCZABDRTN[\\:", 3, 14);
        out << word << "||" << transcription << "\r\n";
        words.push_back(std::move(word));
    }
    return words;
}

template <class Work>
double MedianMilliseconds(int runs, Work work) {
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        const auto start = Clock::now();
        work();
        times.push_back(std::chrono::duration<double, std::milli>(Clock::now() - start).count());
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// The floor any reader pays: the file's bytes read and cut into lines.
std::size_t ReadAndSplit(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = bytes.find('\n', start)) != std::string::npos; start = end + 1) {
        lines.emplace_back(bytes, start, end - start);
    }
    return lines.size();
}

void PrintFigures(std::size_t lineCount, int runs) {
    const auto file = std::filesystem::temp_directory_path() / "sonotag-bench-dictionary.txt";
    const std::vector<std::string> words = MakeWordList(lineCount, file);
    const double megabytes = static_cast<double>(std::filesystem::file_size(file)) / (1024.0 * 1024.0);
    const std::u16string path = file.u16string();

    std::size_t entries = 0;
    const double loadMs = MedianMilliseconds(runs, [&] {
        sonotag::dictionary::PhoneticDictionary dictionary;
        if (dictionary.load(path)) std::abort();
        entries = dictionary.size();
    });
    std::size_t lines = 0;
    const double splitMs = MedianMilliseconds(runs, [&] { lines = ReadAndSplit(file); });

    sonotag::dictionary::PhoneticDictionary dictionary;
    if (dictionary.load(path)) std::abort();
    std::vector<std::u16string> keys;
    for (const std::string& word : words) keys.push_back(sonotag::Utf8ToUtf16(word));
    std::size_t found = 0;
    const int lookupRounds = static_cast<int>(2'000'000 / lineCount);
    const double lookupMs = MedianMilliseconds(3, [&] {
        for (int round = 0; round < lookupRounds; ++round) {
            for (const std::u16string& key : keys) found += dictionary.lookup(key).size();
        }
    });
    const double lookupsPerSecond = static_cast<double>(keys.size()) * lookupRounds / (lookupMs / 1000.0);

    std::printf("word list: %zu lines, %.2f MB, %zu entries\n", lines, megabytes, entries);
    std::printf("load (median of %d):           %8.2f ms  %8.1f MB/s\n", runs, loadMs, megabytes / (loadMs / 1000.0));
    std::printf("read and split only (median):  %8.2f ms  %8.1f MB/s\n", splitMs, megabytes / (splitMs / 1000.0));
    std::printf("load / read-and-split:         %8.2f\n", loadMs / splitMs);
    std::printf("look-ups:                      %8.2f million per second (checksum %zu)\n\n", lookupsPerSecond / 1e6,
                found);
    std::filesystem::remove(file);
}

}  // namespace

int main() {
    PrintFigures(100'000, 9);
    PrintFigures(1'000'000, 5);
    return 0;
}
