#include <cerrno>
#include <memory>
#include <stdexcept>

#include <iconv.h>

#include "settings/AnsiEncoder.h"

namespace sonotag::settings {
namespace {

struct IconvCloser {
    void operator()(void* converter) const { iconv_close(static_cast<iconv_t>(converter)); }
};

bool IsLeadSurrogate(char16_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsTrailSurrogate(char16_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

}  // namespace

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

}  // namespace sonotag::settings
