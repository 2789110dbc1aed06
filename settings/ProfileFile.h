#pragma once
// Typed reads and writes of one INI file through the platform's profile
// functions. The file holds only its path; every call goes to the file.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sonotag::settings {

// A text argument that may be null, as the profile functions allow.
using OptionalText = std::optional<std::u16string_view>;

class ProfileFile {
public:
    explicit ProfileFile(std::optional<std::u16string> path);

    // A path replaces the kept one; null makes a kept path empty and leaves
    // no path as none. Without a path, or with an empty one, reads give
    // their defaults and writes fail: no other file is ever touched.
    void setPath(OptionalText path);
    const std::optional<std::u16string>& path() const { return path_; }

    // The value, whole, of any length, up to a NUL the file may hold in it;
    // the default (empty when null) for a missing file, section or key. Null section or key: the default,
    // without reading the file.
    std::u16string readString(OptionalText section, OptionalText key, OptionalText defaultText) const;

    // The first 64 characters of the value parsed as an unsigned 32-bit
    // number in base 2, 8 or 16, any other base meaning 10: blanks before
    // it skipped, an optional sign, leading digits up to the first other
    // character (none: 0), a minus negating modulo 2^32, a number too large
    // giving 0xFFFFFFFF. An empty value gives the default.
    std::uint32_t readUnsigned(OptionalText section, OptionalText key, std::uint32_t defaultNumber, int base) const;

    // The first 64 characters: empty gives the default, "true" or "yes" in
    // any letter case true, otherwise a signed decimal number, true when
    // not zero.
    bool readBool(OptionalText section, OptionalText key, bool defaultFlag) const;

    // Replaces or adds the key; null text writes an empty value. A file that
    // does not exist yet is first created as UTF-16 with a byte-order mark,
    // so that the profile functions keep every character of it. Null
    // section or key: nothing is written and the result is false.
    bool writeString(OptionalText section, OptionalText key, OptionalText text) const;

    // Base 2: unsigned binary digits; base 8: unsigned octal; base 16:
    // unsigned upper-case hexadecimal; any other base: signed decimal.
    bool writeInt(OptionalText section, OptionalText key, std::int32_t number, int base) const;

    // "1" or "0".
    bool writeBool(OptionalText section, OptionalText key, bool flag) const;

private:
    bool hasFile() const { return path_ && !path_->empty(); }

    std::optional<std::u16string> path_;
};

// The parsing rules of ReadUnsigned and ReadBool, on a value already read.
std::uint32_t ParseUnsigned(std::u16string_view text, int base);
std::int32_t ParseSigned(std::u16string_view text);
// The text WriteInt stores.
std::u16string FormatInteger(std::int32_t number, int base);

}  // namespace sonotag::settings
