#pragma once
// Encodes text in the system's ANSI code page (Windows: the one it reports;
// elsewhere CP936, the code page of the program's users), the counterpart of
// the dictionary's AnsiDecoder. A character the code page lacks becomes "?",
// as the platform's own conversion writes it.

#include <string>
#include <string_view>

namespace sonotag::settings {

std::string EncodeAnsi(std::u16string_view text);

}  // namespace sonotag::settings
