#pragma once
// ANSI code pages, both directions. The empty name means the system's ANSI
// code page: on Windows the one it reports, asked anew at each conversion;
// elsewhere CP936, the code page of the program's users.

#include <memory>
#include <string>
#include <string_view>

namespace sonotag {

// Decodes bytes of one code page. Invalid bytes never fail the conversion.
class AnsiDecoder {
public:
    // Throws std::invalid_argument "unknown code page: NAME" for a code page
    // the system does not have (Windows: its number; elsewhere: an iconv name).
    explicit AnsiDecoder(std::string codePage = {});
    ~AnsiDecoder();
    AnsiDecoder(const AnsiDecoder&) = delete;
    AnsiDecoder& operator=(const AnsiDecoder&) = delete;

    void append(std::string_view bytes, std::u16string& out);

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Encodes text in the system's ANSI code page; a character the code page
// lacks becomes "?", as the platform's own conversion writes it.
std::string EncodeAnsi(std::u16string_view text);

}  // namespace sonotag
