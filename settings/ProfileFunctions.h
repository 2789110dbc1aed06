#pragma once
// The platform's two profile functions for one key of an INI file, as a
// table: on Windows GetPrivateProfileStringW and WritePrivateProfileStringW,
// elsewhere the portable ones. The portable pair exists in every build, so
// one test suite can hold both to the same expectations.
//
// What both guarantee for a section and a key that are not null:
// - The read copies the value, without blanks around it and without one pair
//   of enclosing quotation marks (' or "), or the default when the file, the
//   section or the key is missing (only the first section of a name counts,
//   and in it the first line of a key; section and key are compared without
//   case). The default loses its trailing spaces (never its first
//   character) and its own pair of quotation marks. At most size - 1 units
//   are copied and terminated; the result is the count copied, so a value
//   that does not fit gives size - 1.
// - The write replaces the key's line or adds it, creating the section and
//   the file as needed, and keeps the file's encoding: UTF-16 with a
//   byte-order mark, UTF-8 with one, or the ANSI code page (also for a new
//   file). False when the file cannot be written.

#include <cstdint>

namespace sonotag::settings {

struct ProfileFunctions {
    const char* name;
    std::uint32_t (*readString)(const char16_t* section, const char16_t* key, const char16_t* defaultText,
                                char16_t* buffer, std::uint32_t size, const char16_t* path);
    bool (*writeString)(const char16_t* section, const char16_t* key, const char16_t* value, const char16_t* path);
};

// The functions ProfileFile uses.
const ProfileFunctions& PlatformProfileFunctions();

// The portable implementation, in every build.
const ProfileFunctions& PortableProfileFunctions();

}  // namespace sonotag::settings
