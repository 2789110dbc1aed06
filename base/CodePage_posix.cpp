#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>

#include <iconv.h>

#include "base/CodePage.h"

namespace sonotag {
namespace {

constexpr std::size_t kConversionWindow = 4096;

struct IconvCloser {
    void operator()(void* converter) const { iconv_close(static_cast<iconv_t>(converter)); }
};

bool IsLeadSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsTrailSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

struct AnsiDecoder::State {
    iconv_t converter = reinterpret_cast<iconv_t>(-1);
    ~State() {
        if (converter != reinterpret_cast<iconv_t>(-1)) iconv_close(converter);
    }
};

AnsiDecoder::AnsiDecoder(std::string codePage) : state_(std::make_unique<State>()) {
    if (codePage.empty()) codePage = "CP936";
    state_->converter = iconv_open("UTF-16LE", codePage.c_str());
    if (state_->converter == reinterpret_cast<iconv_t>(-1)) {
        throw std::invalid_argument("unknown code page: " + codePage);
    }
}

AnsiDecoder::~AnsiDecoder() = default;

void AnsiDecoder::append(std::string_view bytes, std::u16string& out) {
    // The common case of a word list line is plain ASCII, which every ANSI
    // code page maps to itself.
    std::size_t ascii = 0;
    for (std::uint64_t eight; ascii + 8 <= bytes.size(); ascii += 8) {
        std::memcpy(&eight, bytes.data() + ascii, 8);
        if ((eight & 0x8080808080808080u) != 0) break;
    }
    while (ascii < bytes.size() && static_cast<unsigned char>(bytes[ascii]) < 0x80) ++ascii;
    out.append(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(ascii));
    bytes.remove_prefix(ascii);
    if (bytes.empty()) return;

    iconv(state_->converter, nullptr, nullptr, nullptr, nullptr);
    const std::size_t start = out.size();
    out.resize(start + bytes.size() * 2 + 2);
    char* input = const_cast<char*>(bytes.data());
    std::size_t inputLeft = bytes.size();
    auto* output = reinterpret_cast<char*>(out.data() + start);
    std::size_t outputLeft = (out.size() - start) * sizeof(char16_t);
    while (inputLeft > 0) {
        // The input goes in windows: a call may look at all the input it is
        // given (sanitizers check it whole), and garbage makes a call a byte.
        const std::size_t window = std::min(inputLeft, kConversionWindow);
        std::size_t windowLeft = window;
        const bool failed =
            iconv(state_->converter, &input, &windowLeft, &output, &outputLeft) == static_cast<std::size_t>(-1);
        const int error = failed ? errno : 0;
        const bool cutByWindow = error == EINVAL && window < inputLeft;  // the sequence goes on in the next window
        inputLeft -= window - windowLeft;
        if (!failed || cutByWindow) continue;
        if (error == E2BIG) break;  // cannot happen: one byte never gives more than one unit
        // An invalid or cut-off sequence: one replacement character for its first byte.
        const char16_t replacement = u'\uFFFD';
        std::memcpy(output, &replacement, sizeof replacement);
        output += sizeof replacement;
        outputLeft -= sizeof replacement;
        ++input;
        --inputLeft;
        iconv(state_->converter, nullptr, nullptr, nullptr, nullptr);
    }
    const auto units = static_cast<std::size_t>(reinterpret_cast<char16_t*>(output) - (out.data() + start));
    out.resize(start + units);
}

std::string EncodeAnsi(std::u16string_view text) {
    iconv_t opened = iconv_open("CP936", "UTF-16LE");
    if (opened == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv cannot convert to CP936");
    const std::unique_ptr<void, IconvCloser> converter(opened);

    std::string encoded;
    std::size_t start = 0;
    while (start < text.size()) {
        // One character at a time: a surrogate pair is one character.
        std::size_t units = 1;
        if (IsLeadSurrogate(text[start]) && start + 1 < text.size() && IsTrailSurrogate(text[start + 1])) units = 2;
        if (text[start] < 0x80) {
            encoded.push_back(static_cast<char>(text[start]));
            start += units;
            continue;
        }
        char16_t input[2] = {text[start], units == 2 ? text[start + 1] : u'\0'};
        char output[8];
        char* in = reinterpret_cast<char*>(input);
        std::size_t inLeft = units * sizeof(char16_t);
        char* out = output;
        std::size_t outLeft = sizeof output;
        iconv(opened, nullptr, nullptr, nullptr, nullptr);
        if (iconv(opened, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1)) {
            encoded.push_back('?');
        } else {
            encoded.append(output, static_cast<std::size_t>(out - output));
        }
        start += units;
    }
    return encoded;
}

}  // namespace sonotag
