#pragma once
// The text of an INI file as the platform's profile functions read and write
// it, independent of any file: lines, each a section header "[name]", a key
// line "name=value", a key without "=", or blank. Used by the portable
// profile functions; every line that is not looked at stays as it was.

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sonotag::settings {

// The characters the profile functions trim: tab, line feed, vertical tab,
// form feed, carriage return, DOS end of file (0x1A) and space.
bool IsProfileBlank(char16_t unit);
std::u16string_view TrimProfileBlanks(std::u16string_view text);

// Letters A-Z and a-z compared without case; every other unit exactly.
bool EqualIgnoringCase(std::u16string_view a, std::u16string_view b);

class IniText {
public:
    IniText() = default;
    explicit IniText(std::u16string_view text);

    // The value of the key, blanks around it removed (quotation marks are
    // left to the reader). Only the first section of that name is looked
    // at, and in it only the first line of that key: nothing when the
    // section or the key is missing or that line has no "=". Section and key
    // are compared without case and without blanks around them.
    std::optional<std::u16string> find(std::u16string_view section, std::u16string_view key) const;

    // Replaces the key's line (the one find would read), or adds "key=value"
    // after the section's last line that is not blank, or adds the section
    // with the key at the end.
    void set(std::u16string_view section, std::u16string_view key, std::u16string_view value);

    std::u16string text() const;

private:
    struct Line {
        std::u16string content;
        std::u16string ending;  // "\r\n", "\n", "\r" or empty for a last line without one
    };
    struct Place {
        std::size_t sectionHeader;
        std::size_t sectionEnd;              // index of the next header or the line count
        std::optional<std::size_t> keyLine;  // the first line of the key
    };

    std::optional<Place> locate(std::u16string_view section, std::u16string_view key) const;

    std::vector<Line> lines_;
};

}  // namespace sonotag::settings
