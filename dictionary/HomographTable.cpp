#include "dictionary/HomographTable.h"

#include <stdexcept>

#include "base/Paths.h"
#include "dictionary/EncodedTextFile.h"

namespace sonotag::dictionary {
namespace {

// Field `index` of a "|"-separated line; empty when the line has fewer.
std::u16string_view Field(std::u16string_view line, std::size_t index) {
    for (; index > 0; --index) {
        const std::size_t bar = line.find(u'|');
        if (bar == std::u16string_view::npos) return {};
        line.remove_prefix(bar + 1);
    }
    return line.substr(0, line.find(u'|'));
}

}  // namespace

std::optional<FileError> HomographTable::load(const std::u16string& path, std::string codePage) {
    try {
        EncodedTextFile file(path, std::move(codePage));
        for (std::u16string line; file.readLine(line);) addLine(line);
        return std::nullopt;
    } catch (const FileError& error) { return error; } catch (const std::invalid_argument&) {  // the code page
        return FileError(FileErrorCause::UnknownCodePage, path, 0);
    }
}

void HomographTable::addLine(std::u16string_view line) {
    if (line.empty() || line.front() == u'#') return;
    std::u16string_view word = Field(line, 0);
    while (!word.empty() && word.back() == u'=') word.remove_suffix(1);
    const std::u16string_view readingClass = Field(line, 1);
    if (word.empty() || readingClass.empty()) return;
    readings_[std::u16string(word)].push_back({std::u16string(readingClass), std::u16string(Field(line, 2))});
}

const std::vector<Reading>* HomographTable::find(std::u16string_view word) const {
    const auto found = readings_.find(word);
    return found != readings_.end() && found->second.size() > 1 ? &found->second : nullptr;
}

std::u16string HomographTablePath(const std::u16string& folder) { return JoinPath(folder, u"homographs.txt"); }

}  // namespace sonotag::dictionary
