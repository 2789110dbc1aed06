#include "settings/ProfileFile.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <limits>

#include "base/Utf.h"
#include "settings/IniText.h"
#include "settings/ProfileFunctions.h"

namespace sonotag::settings {
namespace {

constexpr std::uint32_t kReadStep = 512;
constexpr std::size_t kNumberLength = 64;

bool IsNumberBlank(char16_t unit) { return (unit >= 0x09 && unit <= 0x0D) || unit == u' '; }

int DigitValue(char16_t unit) {
    if (unit >= u'0' && unit <= u'9') return unit - u'0';
    if (unit >= u'a' && unit <= u'z') return unit - u'a' + 10;
    if (unit >= u'A' && unit <= u'Z') return unit - u'A' + 10;
    return std::numeric_limits<int>::max();
}

struct ParsedNumber {
    bool negative = false;
    bool overflow = false;  // beyond the limit given to ParseDigits
    std::uint64_t magnitude = 0;
};

// Blanks, an optional sign, for base 16 an optional "0x", then digits up to
// the first other character, as the C library's conversions read numbers.
ParsedNumber ParseDigits(std::u16string_view text, int base, std::uint64_t limit) {
    ParsedNumber parsed;
    std::size_t i = 0;
    while (i < text.size() && IsNumberBlank(text[i])) ++i;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) parsed.negative = text[i++] == u'-';
    if (base == 16 && i + 2 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X') &&
        DigitValue(text[i + 2]) < base) {
        i += 2;
    }
    for (; i < text.size() && DigitValue(text[i]) < base; ++i) {
        parsed.magnitude =
            parsed.magnitude * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(DigitValue(text[i]));
        if (parsed.magnitude > limit) {
            parsed.overflow = true;
            parsed.magnitude = limit;
        }
    }
    return parsed;
}

int NumberBase(int base) { return base == 2 || base == 8 || base == 16 ? base : 10; }

std::u16string ToText(std::u16string_view text) { return std::u16string(text); }

// The text argument the profile functions take: null stays null.
struct CText {
    explicit CText(OptionalText text) : held(text ? std::optional<std::u16string>(ToText(*text)) : std::nullopt) {}
    const char16_t* get() const { return held ? held->c_str() : nullptr; }
    std::optional<std::u16string> held;
};

bool FileExists(const std::u16string& path, bool& known) {
    std::error_code error;
    const bool exists = std::filesystem::exists(std::filesystem::path(path), error);
    known = !error;
    return exists;
}

// An empty UTF-16 file with its byte-order mark: the profile functions then
// write the file in UTF-16 rather than in the ANSI code page.
void CreateUnicodeFile(const std::u16string& path) {
    std::ofstream out(std::filesystem::path(path), std::ios::binary);
    out << ByteOrderMarkBytes(MarkedEncoding::Utf16Le);
}

}  // namespace

ProfileFile::ProfileFile(std::optional<std::u16string> path) : path_(std::move(path)) {}

void ProfileFile::setPath(OptionalText path) {
    if (path) {
        path_ = ToText(*path);
    } else if (path_) {
        path_->clear();
    }
}

std::u16string ProfileFile::readString(OptionalText section, OptionalText key, OptionalText defaultText) const {
    if (!section || !key || !hasFile()) return defaultText ? ToText(*defaultText) : std::u16string();
    const CText sectionText(section), keyText(key);
    const CText defaultArgument(defaultText ? defaultText : OptionalText(u""));
    std::u16string buffer;
    std::uint32_t size = 0;
    std::uint32_t length = 0;
    // A value that fills the buffer may have been cut: read again with more
    // room. One unit more than the fill is checked, because a reader that
    // strips quotation marks may cut one unit short of the fill. The room
    // doubles: every read goes through the whole file, and a line of
    // megabytes must not cost thousands of reads.
    do {
        if (size > std::numeric_limits<std::uint32_t>::max() / 2) break;  // no room can be made for more
        size = size == 0 ? kReadStep : size * 2;
        buffer.assign(size, u'\0');
        length = PlatformProfileFunctions().readString(sectionText.get(), keyText.get(), defaultArgument.get(),
                                                       buffer.data(), size, path_->c_str());
    } while (length + 2 >= size);
    // The value is a string: it ends at a NUL the file may hold in it, as a
    // write could never store what follows one.
    buffer.resize(std::min<std::size_t>(length, buffer.find(u'\0')));
    return buffer;
}

std::uint32_t ProfileFile::readUnsigned(OptionalText section, OptionalText key, std::uint32_t defaultNumber,
                                        int base) const {
    const std::u16string value = readString(section, key, std::nullopt);
    const std::u16string_view number = std::u16string_view(value).substr(0, kNumberLength);
    if (number.empty()) return defaultNumber;
    return ParseUnsigned(number, base);
}

bool ProfileFile::readBool(OptionalText section, OptionalText key, bool defaultFlag) const {
    const std::u16string value = readString(section, key, std::nullopt);
    const std::u16string_view flag = std::u16string_view(value).substr(0, kNumberLength);
    if (flag.empty()) return defaultFlag;
    if (EqualIgnoringCase(flag, u"true") || EqualIgnoringCase(flag, u"yes")) return true;
    return ParseSigned(flag) != 0;
}

bool ProfileFile::writeString(OptionalText section, OptionalText key, OptionalText text) const {
    if (!section || !key || !hasFile()) return false;
    bool known = false;
    if (!FileExists(*path_, known) && known) CreateUnicodeFile(*path_);
    const CText sectionText(section), keyText(key), value(text ? text : OptionalText(u""));
    return PlatformProfileFunctions().writeString(sectionText.get(), keyText.get(), value.get(), path_->c_str());
}

bool ProfileFile::writeInt(OptionalText section, OptionalText key, std::int32_t number, int base) const {
    return writeString(section, key, FormatInteger(number, base));
}

bool ProfileFile::writeBool(OptionalText section, OptionalText key, bool flag) const {
    return writeInt(section, key, flag ? 1 : 0, 10);
}

std::uint32_t ParseUnsigned(std::u16string_view text, int base) {
    constexpr std::uint64_t kLimit = std::numeric_limits<std::uint32_t>::max();
    const ParsedNumber parsed = ParseDigits(text, NumberBase(base), kLimit);
    if (parsed.overflow) return std::numeric_limits<std::uint32_t>::max();
    const auto magnitude = static_cast<std::uint32_t>(parsed.magnitude);
    return parsed.negative ? static_cast<std::uint32_t>(0u - magnitude) : magnitude;
}

std::int32_t ParseSigned(std::u16string_view text) {
    // One more than the largest positive value: the magnitude of the smallest negative one.
    constexpr std::uint64_t kLimit = std::uint64_t{1} << 31;
    const ParsedNumber parsed = ParseDigits(text, 10, kLimit);
    if (parsed.negative) {
        return parsed.magnitude >= kLimit ? std::numeric_limits<std::int32_t>::min()
                                          : -static_cast<std::int32_t>(parsed.magnitude);
    }
    return parsed.magnitude >= kLimit ? std::numeric_limits<std::int32_t>::max()
                                      : static_cast<std::int32_t>(parsed.magnitude);
}

std::u16string FormatInteger(std::int32_t number, int base) {
    if (base != 2 && base != 8 && base != 16) {
        const std::string decimal = std::to_string(number);
        return std::u16string(decimal.begin(), decimal.end());
    }
    constexpr char16_t kDigits[] = u"0123456789ABCDEF";
    auto value = static_cast<std::uint32_t>(number);
    std::u16string digits;
    do {
        digits.insert(digits.begin(), kDigits[value % static_cast<std::uint32_t>(base)]);
        value /= static_cast<std::uint32_t>(base);
    } while (value != 0);
    return digits;
}

}  // namespace sonotag::settings
