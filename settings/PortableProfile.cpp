// The profile functions without the platform: each call reads the whole file,
// and a write stores it again whole, in the encoding it had.

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <string_view>

#include "base/CodePage.h"
#include "base/Utf.h"
#include "settings/IniText.h"
#include "settings/ProfileFunctions.h"

namespace sonotag::settings {
namespace {

struct ProfileText {
    std::u16string text;
    MarkedEncoding encoding = MarkedEncoding::None;  // None: the ANSI code page
};

std::filesystem::path FilePath(const char16_t* path) { return std::filesystem::path(std::u16string(path)); }

std::optional<std::string> ReadBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    // In blocks: every read of a value reads the whole file, which may be large.
    std::string bytes;
    std::array<char, 1 << 16> block;
    while (in.read(block.data(), block.size()) || in.gcount() > 0) {
        bytes.append(block.data(), static_cast<std::size_t>(in.gcount()));
    }
    if (in.bad()) return std::nullopt;
    return bytes;
}

ProfileText Decode(std::string_view bytes) {
    const ByteOrderMark mark = DetectByteOrderMark(bytes);
    ProfileText decoded{{}, mark.encoding};
    bytes.remove_prefix(mark.length);
    if (mark.encoding == MarkedEncoding::None) {
        AnsiDecoder().append(bytes, decoded.text);
    } else {
        AppendInMarkedEncoding(bytes, mark.encoding, decoded.text);
    }
    return decoded;
}

std::string Encode(std::u16string_view text, MarkedEncoding encoding) {
    return encoding == MarkedEncoding::None ? EncodeAnsi(text) : EncodeWithByteOrderMark(text, encoding);
}

// The file's text; nothing when it is missing or cannot be read.
std::optional<ProfileText> LoadText(const std::filesystem::path& path) {
    const auto bytes = ReadBytes(path);
    if (!bytes) return std::nullopt;
    return Decode(*bytes);
}

bool StoreText(const std::filesystem::path& path, const ProfileText& text) {
    const std::string bytes = Encode(text.text, text.encoding);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

// A default loses its trailing spaces, but never its first character.
std::u16string_view WithoutTrailingSpaces(std::u16string_view text) {
    while (text.size() > 1 && text.back() == u' ') text.remove_suffix(1);
    return text;
}

std::u16string_view WithoutEnclosingQuotes(std::u16string_view text) {
    if (text.size() >= 2 && (text.front() == u'"' || text.front() == u'\'') && text.back() == text.front()) {
        return text.substr(1, text.size() - 2);
    }
    return text;
}

std::uint32_t CopyOut(std::u16string_view text, char16_t* buffer, std::uint32_t size) {
    const auto count = static_cast<std::uint32_t>(std::min<std::size_t>(text.size(), size - 1));
    std::copy_n(text.begin(), count, buffer);
    buffer[count] = u'\0';
    return count;
}

std::uint32_t ReadString(const char16_t* section, const char16_t* key, const char16_t* defaultText, char16_t* buffer,
                         std::uint32_t size, const char16_t* path) {
    if (!buffer || size == 0) return 0;
    // Listing sections or keys is not offered: a null section or key reads nothing.
    if (!section || !key) return CopyOut({}, buffer, size);
    std::u16string value(WithoutTrailingSpaces(defaultText ? defaultText : u""));
    if (*key != u'\0' && path) {
        if (const auto text = LoadText(FilePath(path))) {
            if (auto found = IniText(text->text).find(section, key)) value = std::move(*found);
        }
    }
    return CopyOut(WithoutEnclosingQuotes(value), buffer, size);
}

bool WriteString(const char16_t* section, const char16_t* key, const char16_t* value, const char16_t* path) {
    // Deleting keys or sections is not offered.
    if (!section || !key || !value || !path) return false;
    const auto file = FilePath(path);
    std::error_code error;
    ProfileText text;
    const bool exists = std::filesystem::exists(file, error);
    if (error) return false;
    if (exists) {
        auto loaded = LoadText(file);
        if (!loaded) return false;  // never overwrite what could not be read
        text = std::move(*loaded);
    }
    IniText ini(text.text);
    ini.set(section, key, value);
    text.text = ini.text();
    return StoreText(file, text);
}

}  // namespace

const ProfileFunctions& PortableProfileFunctions() {
    static constexpr ProfileFunctions functions{"portable", &ReadString, &WriteString};
    return functions;
}

}  // namespace sonotag::settings
