#include "settings/IniText.h"

namespace sonotag::settings {
namespace {

constexpr std::u16string_view kNewLine = u"\r\n";

char16_t FoldCase(char16_t unit) { return unit >= u'A' && unit <= u'Z' ? static_cast<char16_t>(unit + 32) : unit; }

// A section header's name: the text between "[" and the last "]" of the
// trimmed line, without blanks around it.
std::optional<std::u16string_view> SectionName(std::u16string_view trimmedLine) {
    if (trimmedLine.empty() || trimmedLine.front() != u'[') return std::nullopt;
    const auto close = trimmedLine.rfind(u']');
    if (close == std::u16string_view::npos) return std::nullopt;
    return TrimProfileBlanks(trimmedLine.substr(1, close - 1));
}

struct KeyLine {
    std::u16string_view name;
    std::optional<std::u16string_view> value;  // none without "="
};

KeyLine SplitKeyLine(std::u16string_view trimmedLine) {
    const auto equals = trimmedLine.find(u'=');
    if (equals == std::u16string_view::npos) return {trimmedLine, std::nullopt};
    return {TrimProfileBlanks(trimmedLine.substr(0, equals)), TrimProfileBlanks(trimmedLine.substr(equals + 1))};
}

}  // namespace

bool IsProfileBlank(char16_t unit) { return (unit >= 0x09 && unit <= 0x0D) || unit == 0x1A || unit == u' '; }

std::u16string_view TrimProfileBlanks(std::u16string_view text) {
    while (!text.empty() && IsProfileBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsProfileBlank(text.back())) text.remove_suffix(1);
    return text;
}

bool EqualIgnoringCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldCase(a[i]) != FoldCase(b[i])) return false;
    }
    return true;
}

IniText::IniText(std::u16string_view text) {
    while (!text.empty()) {
        const auto end = text.find_first_of(u"\r\n");
        Line line;
        line.content = std::u16string(text.substr(0, end));
        if (end == std::u16string_view::npos) {
            text = {};
        } else {
            const std::size_t endingLength = text.substr(end, 2) == kNewLine ? 2 : 1;
            line.ending = std::u16string(text.substr(end, endingLength));
            text.remove_prefix(end + endingLength);
        }
        lines_.push_back(std::move(line));
    }
}

std::optional<IniText::Place> IniText::locate(std::u16string_view section, std::u16string_view key) const {
    section = TrimProfileBlanks(section);
    key = TrimProfileBlanks(key);
    std::optional<Place> place;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const auto trimmed = TrimProfileBlanks(lines_[i].content);
        const auto header = SectionName(trimmed);
        if (place) {
            if (header) break;
            if (!trimmed.empty() && !place->keyLine && EqualIgnoringCase(SplitKeyLine(trimmed).name, key)) {
                place->keyLine = i;
            }
            place->sectionEnd = i + 1;
        } else if (header && EqualIgnoringCase(*header, section)) {
            place = Place{i, i + 1, std::nullopt};
        }
    }
    return place;
}

std::optional<std::u16string> IniText::find(std::u16string_view section, std::u16string_view key) const {
    const auto place = locate(section, key);
    if (!place || !place->keyLine) return std::nullopt;
    const auto value = SplitKeyLine(TrimProfileBlanks(lines_[*place->keyLine].content)).value;
    if (!value) return std::nullopt;
    return std::u16string(*value);
}

void IniText::set(std::u16string_view section, std::u16string_view key, std::u16string_view value) {
    const auto place = locate(section, key);
    if (place && place->keyLine) {
        // The key keeps the spelling the file gave it.
        Line& line = lines_[*place->keyLine];
        const std::u16string name(SplitKeyLine(TrimProfileBlanks(line.content)).name);
        line.content = name + u"=" + std::u16string(value);
        return;
    }
    const std::u16string keyLine = std::u16string(TrimProfileBlanks(key)) + u"=" + std::u16string(value);
    if (!lines_.empty() && lines_.back().ending.empty()) lines_.back().ending = kNewLine;
    if (place) {
        std::size_t last = place->sectionEnd;
        while (last > place->sectionHeader + 1 && TrimProfileBlanks(lines_[last - 1].content).empty()) --last;
        lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(last), Line{keyLine, std::u16string(kNewLine)});
        return;
    }
    lines_.push_back({u"[" + std::u16string(TrimProfileBlanks(section)) + u"]", std::u16string(kNewLine)});
    lines_.push_back({keyLine, std::u16string(kNewLine)});
}

std::u16string IniText::text() const {
    std::u16string text;
    for (const Line& line : lines_) {
        text += line.content;
        text += line.ending;
    }
    return text;
}

}  // namespace sonotag::settings
