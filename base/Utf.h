#pragma once
// Conversions between UTF-8 and the UTF-16 text the program keeps in memory.
// Malformed input never fails: each bad sequence becomes U+FFFD.

#include <string>
#include <string_view>

namespace sonotag {

std::u16string Utf8ToUtf16(std::string_view utf8);
std::string Utf16ToUtf8(std::u16string_view utf16);

// Appends the decoded text to `out`; used where lines are decoded in bulk.
void AppendUtf8AsUtf16(std::string_view utf8, std::u16string& out);

}  // namespace sonotag
