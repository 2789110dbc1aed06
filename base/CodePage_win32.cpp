#include <windows.h>

#include <cstdlib>
#include <stdexcept>

#include "base/CodePage.h"
#include "base/WideText_win32.h"

namespace sonotag {

struct AnsiDecoder::State {
    UINT codePage = 0;  // 0: the system's ANSI code page, asked at each conversion
};

AnsiDecoder::AnsiDecoder(std::string codePage) : state_(std::make_unique<State>()) {
    if (codePage.empty()) return;
    char* end = nullptr;
    const unsigned long number = std::strtoul(codePage.c_str(), &end, 10);
    if (*end != '\0' || !IsValidCodePage(static_cast<UINT>(number))) {
        throw std::invalid_argument("unknown code page: " + codePage);
    }
    state_->codePage = static_cast<UINT>(number);
}

AnsiDecoder::~AnsiDecoder() = default;

void AnsiDecoder::append(std::string_view bytes, std::u16string& out) {
    if (bytes.empty()) return;
    const UINT codePage = state_->codePage != 0 ? state_->codePage : GetACP();
    // MB_PRECOMPOSED is not allowed with UTF-8.
    const DWORD flags = codePage == CP_UTF8 ? 0 : MB_PRECOMPOSED;
    const int inputLength = static_cast<int>(bytes.size());
    const std::size_t start = out.size();
    out.resize(start + bytes.size());  // one byte never gives more than one unit
    const int units =
        MultiByteToWideChar(codePage, flags, bytes.data(), inputLength, Wide(out.data() + start), inputLength);
    out.resize(start + static_cast<std::size_t>(units > 0 ? units : 0));
}

std::string EncodeAnsi(std::u16string_view text) {
    if (text.empty()) return {};
    const wchar_t* wide = Wide(text);
    const int length = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_ACP, 0, wide, length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string encoded(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_ACP, 0, wide, length, encoded.data(), bytes, nullptr, nullptr);
    return encoded;
}

}  // namespace sonotag
