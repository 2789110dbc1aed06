// Word list of any bytes (byte 0: code page, chunk size): lines as a whole-input reference's, store as a first-wins map.

#include <algorithm>
#include <map>
#include <vector>

#include "base/CodePage.h"
#include "base/Utf.h"
#include "dictionary/EncodedTextFile.h"
#include "dictionary/PhoneticDictionary.h"
#include "tests/fuzz/FuzzSupport.h"

namespace sonotag::fuzz { namespace {

using namespace sonotag::dictionary;

const char* const kCodePages[] = {"", "CP1252", "UTF-8", "CP932"};

// The whole file decoded at once, the way the reader's rules describe it.
std::vector<std::u16string> ReferenceLines(std::string_view bytes, const std::string& codePage) {
    const bool utf8 = bytes.starts_with("\xEF\xBB\xBF");
    const std::size_t low = bytes.starts_with("\xFF\xFE") ? 0 : bytes.starts_with("\xFE\xFF") ? 1 : 2;  // 2: no UTF-16
    const std::size_t unit = low < 2 ? 2 : 1;
    bytes.remove_prefix(utf8 ? 3 : unit == 2 ? 2 : 0);
    if (!utf8 && unit == 1) bytes = bytes.substr(0, bytes.find('\x1A'));
    AnsiDecoder ansi(codePage);
    const auto decode = [&](std::string_view line, bool endedByLineFeed) {
        std::u16string text;
        for (std::size_t i = 0; unit == 2 && i + 1 < line.size(); i += 2) {
            text.push_back(static_cast<char16_t>(static_cast<unsigned char>(line[i + 1 - low]) << 8 | static_cast<unsigned char>(line[i + low])));
        }
        if (unit == 1) utf8 ? AppendUtf8AsUtf16(line, text) : ansi.append(line, text);
        text.resize(std::min(text.size(), text.find(u'\0')));
        for (int k = 0; k < (endedByLineFeed ? 2 : 1) && !text.empty() && text.back() == u'\r'; ++k) text.pop_back();
        return text;
    };
    std::vector<std::u16string> lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i + unit <= bytes.size(); i += unit) {
        if (unit == 1) i = std::min(bytes.find('\n', i), bytes.size() - 1);  // quicker than byte by byte
        if (bytes[i + (unit == 2 ? low : 0)] != '\n' || (unit == 2 && bytes[i + 1 - low] != '\0')) continue;
        lines.push_back(decode(bytes.substr(start, i - start), true));
        start = i + unit;
    }
    if (bytes.size() - start >= unit) lines.push_back(decode(bytes.substr(start), false));
    return lines;
}

std::pair<std::u16string, std::u16string> WordAndTranscription(const std::u16string& line) {
    std::vector<std::u16string> fields(1);
    for (char16_t unit : line) {
        if (unit == u'|') fields.emplace_back();
        else fields.back().push_back(unit);
    }
    while (!fields[0].empty() && fields[0].back() == u'=') fields[0].pop_back();
    return {fields[0], fields.size() > 2 ? fields[2] : u""};
}

}}  // namespace sonotag::fuzz

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
    EncodedTextFile file(path, codePage, chunkSize);
    std::vector<std::u16string> lines;
    std::u16string line;
    while (file.readLine(line)) lines.push_back(line);
    FUZZ_EXPECT(lines == expected && !file.readLine(line));  // and the end stays the end

    PhoneticDictionary dictionary;
    FUZZ_EXPECT(!dictionary.load(path, codePage));
    std::map<std::u16string, std::u16string> model;
    for (const std::u16string& each : expected) model.insert(WordAndTranscription(each));
    FUZZ_EXPECT(dictionary.size() == model.size());
    for (const auto& [word, transcription] : model) FUZZ_EXPECT(dictionary.lookup(word) == transcription);
    for (const auto& [word, transcription] : std::map(model)) {
        const std::u16string other = word + u"\uFFFF";
        const bool known = model.contains(other);
        const std::u16string answer(dictionary.lookup(other));
        FUZZ_EXPECT(known ? answer == model[other] : answer.empty());  // a miss stays a miss
        model.emplace(other, u"");
        FUZZ_EXPECT(dictionary.lookup(other) == answer);
        FUZZ_EXPECT(dictionary.size() == model.size());
    }
    return 0;
}
