// Fuzz target: a word list of any bytes, read as dictionary.txt is read.
//
// The reader's lines must equal those of a plain reference that takes the
// whole input at once (byte-order mark, 0x1A, line ends, NUL), so chunked
// reading changes nothing; and the store must answer like an ordered map in
// which the first line of a word wins, misses included.
//
// The first byte chooses: bits 0-1 the ANSI code page; bits 2-7 the size of
// the reader's chunks, 1 to 63 bytes, so that lines, line ends, byte-order
// marks and characters straddle them (0: the reader's own size).

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "dictionary/EncodedTextFile.h"
#include "dictionary/PhoneticDictionary.h"
#include "base/PlatformFile.h"
#include "base/Utf.h"
#include "tests/fuzz/FuzzSupport.h"

namespace sonotag::fuzz {
namespace {

const char* const kCodePages[] = {"", "CP1252", "UTF-8", "CP932"};

enum class Encoding { Ansi, Utf8, Utf16Le, Utf16Be };

struct Detected {
    Encoding encoding = Encoding::Ansi;
    std::size_t markLength = 0;
};

Detected Detect(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) return {Encoding::Utf8, 3};
    if (bytes.starts_with("\xFF\xFE")) return {Encoding::Utf16Le, 2};
    if (bytes.starts_with("\xFE\xFF")) return {Encoding::Utf16Be, 2};
    return {};
}

bool IsUtf16(Encoding encoding) { return encoding == Encoding::Utf16Le || encoding == Encoding::Utf16Be; }

std::u16string Decode(std::string_view bytes, Encoding encoding, AnsiDecoder& ansi) {
    std::u16string text;
    switch (encoding) {
        case Encoding::Ansi: ansi.append(bytes, text); break;
        case Encoding::Utf8: AppendUtf8AsUtf16(bytes, text); break;
        case Encoding::Utf16Le:
        case Encoding::Utf16Be:
            for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
                const auto first = static_cast<unsigned char>(bytes[i]);
                const auto second = static_cast<unsigned char>(bytes[i + 1]);
                text.push_back(static_cast<char16_t>(encoding == Encoding::Utf16Be ? first << 8 | second
                                                                                    : second << 8 | first));
            }
            break;
    }
    return text;
}

std::u16string Finish(std::u16string line, bool endedByLineFeed) {
    line.resize(std::min(line.size(), line.find(u'\0')));
    for (int k = 0; k < (endedByLineFeed ? 2 : 1) && !line.empty() && line.back() == u'\r'; ++k) line.pop_back();
    return line;
}

// The whole file decoded at once, the way the reader's rules describe it.
std::vector<std::u16string> ReferenceLines(std::string_view bytes, const std::string& codePage) {
    const Detected detected = Detect(bytes);
    bytes.remove_prefix(detected.markLength);
    if (detected.encoding == Encoding::Ansi) bytes = bytes.substr(0, bytes.find('\x1A'));
    const std::size_t unit = IsUtf16(detected.encoding) ? 2 : 1;
    const auto isLineFeed = [&](std::size_t i) {
        if (unit == 1) return bytes[i] == '\n';
        const bool bigEndian = detected.encoding == Encoding::Utf16Be;
        return bytes[bigEndian ? i + 1 : i] == '\n' && bytes[bigEndian ? i : i + 1] == '\0';
    };
    AnsiDecoder ansi(codePage);
    std::vector<std::u16string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i + unit <= bytes.size(); i += unit) {
        if (unit == 1) i = std::min(bytes.find('\n', i), bytes.size() - 1);  // quicker than byte by byte
        if (!isLineFeed(i)) continue;
        lines.push_back(Finish(Decode(bytes.substr(start, i - start), detected.encoding, ansi), true));
        start = i + unit;
    }
    const std::string_view rest = bytes.substr(start);
    if (rest.size() >= unit) lines.push_back(Finish(Decode(rest, detected.encoding, ansi), false));
    return lines;
}

struct Fields {
    std::u16string word;
    std::u16string transcription;
};

Fields SplitFields(const std::u16string& line) {
    std::vector<std::u16string> fields(1);
    for (char16_t unit : line) {
        if (unit == u'|') {
            fields.emplace_back();
        } else {
            fields.back().push_back(unit);
        }
    }
    Fields split{fields[0], fields.size() > 2 ? fields[2] : u""};
    while (!split.word.empty() && split.word.back() == u'=') split.word.pop_back();
    return split;
}

std::vector<std::u16string> ReadLines(const std::u16string& path, const std::string& codePage,
                                      std::size_t chunkSize) {
    EncodedTextFile file(path, codePage, chunkSize);
    std::vector<std::u16string> lines;
    std::u16string line;
    while (file.readLine(line)) lines.push_back(line);
    FUZZ_EXPECT(!file.readLine(line));  // the end stays the end
    return lines;
}

}  // namespace
}  // namespace sonotag::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sonotag;
    using namespace sonotag::fuzz;
    static const ScratchFolder folder("word_list");
    if (size == 0) return 0;
    const std::uint8_t options = data[0];
    const std::string codePage = kCodePages[options & 3];
    const std::size_t chunkSize = options >> 2 == 0 ? EncodedTextFile::kDefaultChunkSize : options >> 2;
    const std::string_view bytes = Bytes(data + 1, size - 1);
    const std::u16string path = folder.write("dictionary.txt", bytes);

    const std::vector<std::u16string> expected = ReferenceLines(bytes, codePage);
    FUZZ_EXPECT(ReadLines(path, codePage, chunkSize) == expected);

    PhoneticDictionary dictionary;
    FUZZ_EXPECT(!dictionary.load(path, codePage));
    std::map<std::u16string, std::u16string> model;
    for (const std::u16string& line : expected) {
        Fields fields = SplitFields(line);
        model.emplace(std::move(fields.word), std::move(fields.transcription));
    }
    FUZZ_EXPECT(dictionary.size() == model.size());
    for (const auto& [word, transcription] : model) FUZZ_EXPECT(dictionary.lookup(word) == transcription);
    // Misses are remembered as empty entries and miss again alike.
    for (const auto& [word, transcription] : std::map(model)) {
        const std::u16string other = word + u"\uFFFF";
        const bool known = model.contains(other);
        const std::u16string answer(dictionary.lookup(other));
        FUZZ_EXPECT(known ? answer == model[other] : answer.empty());
        model.emplace(other, u"");
        FUZZ_EXPECT(dictionary.lookup(other) == answer);
        FUZZ_EXPECT(dictionary.size() == model.size());
    }
    return 0;
}
