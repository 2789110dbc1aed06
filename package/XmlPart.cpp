#include "package/XmlPart.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>

#include "base/DocumentError.h"

namespace sonotag::package {
namespace {

constexpr std::size_t kNone = std::string_view::npos;

// Whether XML 1.0 allows the character in a document.
bool Allowed(std::uint32_t c) {
    if (c < 0x20) return c == 0x9 || c == 0xA || c == 0xD;
    return (c < 0xD800 || c > 0xDFFF) && c != 0xFFFE && c != 0xFFFF && c <= 0x10FFFF;
}

std::string CodePoint(std::uint32_t c) {
    std::array<char, 16> text{};
    std::snprintf(text.data(), text.size(), "U+%04X", static_cast<unsigned>(c));
    return text.data();
}

// One pass over an entry's bytes: its characters, its references, the
// nesting of its elements. What is not well-formed is left to pugixml.
class EntryCheck {
public:
    EntryCheck(std::string_view xml, const std::string& entry) : xml_(xml), entry_(entry) {}

    void run() {
        checkRawCharacters();
        for (std::size_t at = xml_.find_first_of("<&"); at != kNone; at = xml_.find_first_of("<&", at)) {
            at = xml_[at] == '&' ? reference(at) : markup(at);
            if (at == kNone) return;  // unterminated: pugixml says where
        }
    }

private:
    [[noreturn]] void refuse(const std::string& what, std::size_t at) const {
        throw DocumentError(entry_ + " " + what + " at byte " + std::to_string(at));
    }
    [[noreturn]] void refuseCharacter(std::uint32_t c, std::size_t at) const {
        refuse("holds " + CodePoint(c) + ", a character XML does not allow,", at);
    }

    // Control characters, and U+FFFE, U+FFFF and surrogates in UTF-8.
    void checkRawCharacters() const {
        for (std::size_t at = 0; at < xml_.size(); ++at) {
            const auto byte = static_cast<unsigned char>(xml_[at]);
            if (byte < 0x20 && !Allowed(byte)) refuseCharacter(byte, at);
            if (byte != 0xEF && byte != 0xED) continue;
            const auto next = [&](std::size_t k) {
                return at + k < xml_.size() ? static_cast<unsigned char>(xml_[at + k]) : 0u;
            };
            if (byte == 0xEF && next(1) == 0xBF && (next(2) & 0xFE) == 0xBE)
                refuseCharacter(0xFFFE | (next(2) & 1), at);
            if (byte == 0xED && next(1) >= 0xA0 && next(1) < 0xC0) {
                refuseCharacter(0xD000 | (next(1) & 0x3F) << 6 | (next(2) & 0x3F), at);
            }
        }
    }

    std::size_t skipPast(std::size_t from, std::string_view end) const {
        const std::size_t found = xml_.find(end, from);
        return found == kNone ? kNone : found + end.size();
    }

    // A comment, CDATA section, processing instruction, declaration or tag
    // starting at `at`; returns where it ends.
    std::size_t markup(std::size_t at) {
        const std::string_view rest = xml_.substr(at);
        if (rest.starts_with("<!--")) return skipPast(at + 4, "-->");
        if (rest.starts_with("<![CDATA[")) return skipPast(at + 9, "]]>");
        if (rest.starts_with("<?")) return skipPast(at + 2, "?>");
        if (rest.starts_with("<!")) return declaration(at);
        return tag(at);
    }

    // <!DOCTYPE …>, its internal subset in brackets.
    std::size_t declaration(std::size_t at) const {
        int brackets = 0;
        char quote = 0;
        for (std::size_t k = at + 2; k < xml_.size(); ++k) {
            const char c = xml_[k];
            if (quote != 0) {
                if (c == quote) quote = 0;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '[' || c == ']') {
                brackets += c == '[' ? 1 : -1;
            } else if (c == '>' && brackets <= 0) {
                return k + 1;
            }
        }
        return kNone;
    }

    // A start, end or empty-element tag; references in its attribute values are checked.
    std::size_t tag(std::size_t at) {
        char quote = 0;
        for (std::size_t k = at + 1; k < xml_.size(); ++k) {
            const char c = xml_[k];
            if (quote != 0) {
                if (c == quote) quote = 0;
                if (c == '&') k = reference(k) - 1;
            } else if (c == '"' || c == '\'') {
                quote = c;
            } else if (c == '>') {
                if (xml_[at + 1] == '/') {
                    --depth_;
                } else if (xml_[k - 1] != '/' && ++depth_ > kMaxXmlDepth) {
                    throw DocumentError(entry_ + " is nested deeper than " + std::to_string(kMaxXmlDepth) + " levels");
                }
                return k + 1;
            }
        }
        return kNone;
    }

    // `&name;` or `&#…;` at `at`; returns where it ends.
    std::size_t reference(std::size_t at) const {
        constexpr std::size_t kLongestName = 64;
        const std::size_t end = xml_.find(';', at);
        const std::string_view name = xml_.substr(at + 1, end == kNone ? 0 : end - at - 1);
        if (end == kNone || name.empty() || name.size() > kLongestName ||
            name.find_first_of(" \t\r\n<>&\"'") != kNone) {
            refuse("has an & that begins no reference", at);
        }
        if (name.front() == '#') {
            checkCharacterReference(name.substr(1), at);
        } else if (name != "lt" && name != "gt" && name != "amp" && name != "quot" && name != "apos") {
            refuse("refers to an undeclared entity &" + std::string(name) + ";", at);
        }
        return end + 1;
    }

    void checkCharacterReference(std::string_view digits, std::size_t at) const {
        const bool hex = !digits.empty() && digits.front() == 'x';
        if (hex) digits.remove_prefix(1);
        if (digits.empty()) refuse("has an & that begins no reference", at);
        std::uint32_t value = 0;
        for (const char c : digits) {
            const int digit = c >= '0' && c <= '9'          ? c - '0'
                              : hex && c >= 'a' && c <= 'f' ? c - 'a' + 10
                              : hex && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                            : -1;
            if (digit < 0) refuse("has an & that begins no reference", at);
            value = std::min<std::uint32_t>(value * (hex ? 16 : 10) + static_cast<std::uint32_t>(digit), 0x110000);
        }
        if (!Allowed(value)) refuseCharacter(value, at);
    }

    std::string_view xml_;
    const std::string& entry_;
    int depth_ = 0;
};

}  // namespace

void ParseXmlPart(pugi::xml_document& document, std::string_view xml, unsigned options, const std::string& entry) {
    EntryCheck(xml, entry).run();
    const pugi::xml_parse_result parsed = document.load_buffer(xml.data(), xml.size(), options, pugi::encoding_utf8);
    if (!parsed) {
        throw DocumentError(entry + " is not well-formed XML (" + parsed.description() + " at byte " +
                            std::to_string(parsed.offset) + ")");
    }
}

}  // namespace sonotag::package
