#pragma once
// Unicode text as bytes: the one place that decodes and encodes UTF-8 and
// UTF-16 and reads byte-order marks. Text in memory is UTF-16.
//
// The lenient conversions never fail: each malformed sequence becomes
// U+FFFD. The strict ones say where the first malformed sequence is.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "base/DocumentError.h"

namespace sonotag {

inline constexpr char16_t kReplacementCharacter = u'\uFFFD';

// The sequence at the start of non-empty `bytes`: its code point and its
// length in bytes; length 0 for a malformed one (a byte that cannot lead, a
// sequence cut short, an overlong form, a surrogate, a value past U+10FFFF).
struct Utf8Sequence {
    char32_t codePoint = 0;
    std::size_t length = 0;
};
Utf8Sequence DecodeUtf8Sequence(std::string_view bytes);

// The offset of the first malformed sequence; nothing for well-formed UTF-8.
std::optional<std::size_t> FindMalformedUtf8(std::string_view bytes);

std::u16string Utf8ToUtf16(std::string_view utf8);
// Appends the decoded text to `out`; used where lines are decoded in bulk.
void AppendUtf8AsUtf16(std::string_view utf8, std::u16string& out);
// A lone surrogate has no UTF-8 form and becomes U+FFFD.
std::string Utf16ToUtf8(std::u16string_view utf16);

// The bytes of a UTF-8 text file: a leading byte-order mark dropped, the
// rest decoded strictly. Throws DocumentError "not valid UTF-8 at byte N".
std::u16string DecodeUtf8Text(std::string_view bytes);

// UTF-16 code units as bytes in either order; an odd last byte is no unit.
void AppendUtf16Bytes(std::string_view bytes, bool bigEndian, std::u16string& out);
std::string Utf16Bytes(std::u16string_view text, bool bigEndian);

// The encoding a byte-order mark at the start of a file announces.
enum class MarkedEncoding { None, Utf8, Utf16Le, Utf16Be };
struct ByteOrderMark {
    MarkedEncoding encoding = MarkedEncoding::None;
    std::size_t length = 0;
};
ByteOrderMark DetectByteOrderMark(std::string_view bytes);
// The mark's bytes; empty for None.
std::string_view ByteOrderMarkBytes(MarkedEncoding encoding);

// Text in one of the marked encodings (not None), without its mark:
// decoded leniently and appended to `out`, or encoded after the mark.
void AppendInMarkedEncoding(std::string_view bytes, MarkedEncoding encoding, std::u16string& out);
std::string EncodeWithByteOrderMark(std::u16string_view text, MarkedEncoding encoding);

}  // namespace sonotag
