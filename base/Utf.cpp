#include "base/Utf.h"

namespace sonotag {
namespace {

bool IsContinuation(unsigned char byte) { return (byte & 0xC0) == 0x80; }

void AppendCodePoint(char32_t cp, std::u16string& out) {
    if (cp < 0x10000) {
        out.push_back(static_cast<char16_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    }
}

void AppendAsUtf8(char32_t cp, std::string& out) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

bool IsLeadSurrogate(char32_t unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool IsTrailSurrogate(char32_t unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";
constexpr std::string_view kUtf16LeMark = "\xFF\xFE";
constexpr std::string_view kUtf16BeMark = "\xFE\xFF";

}  // namespace

Utf8Sequence DecodeUtf8Sequence(std::string_view bytes) {
    const auto lead = static_cast<unsigned char>(bytes.front());
    if (lead < 0x80) return {lead, 1};
    std::size_t length = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
    } else {
        return {};
    }
    if (bytes.size() < length) return {};
    char32_t cp = lead & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto byte = static_cast<unsigned char>(bytes[k]);
        if (!IsContinuation(byte)) return {};
        cp = (cp << 6) | (byte & 0x3F);
    }
    // Overlong forms, surrogates and values past U+10FFFF.
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kSmallest[length] || (cp >= 0xD800 && cp <= 0xDFFF) || cp > 0x10FFFF) return {};
    return {cp, length};
}

std::optional<std::size_t> FindMalformedUtf8(std::string_view bytes) {
    for (std::size_t offset = 0; offset < bytes.size();) {
        const std::size_t length = DecodeUtf8Sequence(bytes.substr(offset)).length;
        if (length == 0) return offset;
        offset += length;
    }
    return std::nullopt;
}

void AppendUtf8AsUtf16(std::string_view utf8, std::u16string& out) {
    out.reserve(out.size() + utf8.size());
    while (!utf8.empty()) {
        if (static_cast<unsigned char>(utf8.front()) < 0x80) {  // the common case: plain ASCII
            out.push_back(static_cast<char16_t>(utf8.front()));
            utf8.remove_prefix(1);
            continue;
        }
        const Utf8Sequence sequence = DecodeUtf8Sequence(utf8);
        if (sequence.length == 0) {
            out.push_back(kReplacementCharacter);
            utf8.remove_prefix(1);
        } else {
            AppendCodePoint(sequence.codePoint, out);
            utf8.remove_prefix(sequence.length);
        }
    }
}

std::u16string Utf8ToUtf16(std::string_view utf8) {
    std::u16string out;
    AppendUtf8AsUtf16(utf8, out);
    return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        char32_t cp = utf16[i];
        if (IsLeadSurrogate(cp) && i + 1 < utf16.size() && IsTrailSurrogate(utf16[i + 1])) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[++i] - 0xDC00);
        } else if (IsLeadSurrogate(cp) || IsTrailSurrogate(cp)) {
            cp = kReplacementCharacter;
        }
        AppendAsUtf8(cp, out);
    }
    return out;
}

std::u16string DecodeUtf8Text(std::string_view bytes) {
    if (bytes.starts_with(kUtf8Mark)) bytes.remove_prefix(kUtf8Mark.size());
    if (const auto bad = FindMalformedUtf8(bytes))
        throw DocumentError("not valid UTF-8 at byte " + std::to_string(*bad));
    return Utf8ToUtf16(bytes);
}

void AppendUtf16Bytes(std::string_view bytes, bool bigEndian, std::u16string& out) {
    const std::size_t units = bytes.size() / 2;
    out.reserve(out.size() + units);
    for (std::size_t i = 0; i < units; ++i) {
        const auto first = static_cast<unsigned char>(bytes[2 * i]);
        const auto second = static_cast<unsigned char>(bytes[2 * i + 1]);
        out.push_back(static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first));
    }
}

std::string Utf16Bytes(std::u16string_view text, bool bigEndian) {
    std::string bytes;
    bytes.reserve(text.size() * 2);
    for (const char16_t unit : text) {
        const auto high = static_cast<char>(unit >> 8);
        const auto low = static_cast<char>(unit & 0xFF);
        bytes.push_back(bigEndian ? high : low);
        bytes.push_back(bigEndian ? low : high);
    }
    return bytes;
}

ByteOrderMark DetectByteOrderMark(std::string_view bytes) {
    for (const MarkedEncoding encoding : {MarkedEncoding::Utf8, MarkedEncoding::Utf16Le, MarkedEncoding::Utf16Be}) {
        const std::string_view mark = ByteOrderMarkBytes(encoding);
        if (bytes.starts_with(mark)) return {encoding, mark.size()};
    }
    return {};
}

std::string_view ByteOrderMarkBytes(MarkedEncoding encoding) {
    switch (encoding) {
        case MarkedEncoding::Utf8: return kUtf8Mark;
        case MarkedEncoding::Utf16Le: return kUtf16LeMark;
        case MarkedEncoding::Utf16Be: return kUtf16BeMark;
        case MarkedEncoding::None: break;
    }
    return {};
}

void AppendInMarkedEncoding(std::string_view bytes, MarkedEncoding encoding, std::u16string& out) {
    if (encoding == MarkedEncoding::Utf8) {
        AppendUtf8AsUtf16(bytes, out);
    } else {
        AppendUtf16Bytes(bytes, encoding == MarkedEncoding::Utf16Be, out);
    }
}

std::string EncodeWithByteOrderMark(std::u16string_view text, MarkedEncoding encoding) {
    std::string bytes(ByteOrderMarkBytes(encoding));
    bytes +=
        encoding == MarkedEncoding::Utf8 ? Utf16ToUtf8(text) : Utf16Bytes(text, encoding == MarkedEncoding::Utf16Be);
    return bytes;
}

}  // namespace sonotag
