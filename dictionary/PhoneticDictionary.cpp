#include "dictionary/PhoneticDictionary.h"

#include <algorithm>
#include <stdexcept>

#include "base/FileError.h"
#include "base/Paths.h"
#include "dictionary/EncodedTextFile.h"

namespace sonotag::dictionary {
namespace {

constexpr std::size_t kBlockUnits = 1 << 16;

struct Fields {
    std::u16string_view word;
    std::u16string_view transcription;
};

Fields SplitFields(std::u16string_view line) {
    Fields fields;
    const std::size_t firstBar = line.find(u'|');
    fields.word = line.substr(0, firstBar);
    if (firstBar != std::u16string_view::npos) {
        const std::size_t secondBar = line.find(u'|', firstBar + 1);
        if (secondBar != std::u16string_view::npos) {
            const std::u16string_view rest = line.substr(secondBar + 1);
            fields.transcription = rest.substr(0, rest.find(u'|'));
        }
    }
    while (!fields.word.empty() && fields.word.back() == u'=') fields.word.remove_suffix(1);
    return fields;
}

}  // namespace

PhoneticDictionary::PhoneticDictionary() = default;
PhoneticDictionary::~PhoneticDictionary() = default;

std::optional<FileError> PhoneticDictionary::load(const std::u16string& path, std::string codePage, Missing missing) {
    try {
        EncodedTextFile file(path, std::move(codePage));
        addLines(file);
        return std::nullopt;
    } catch (const FileError& error) {
        if (missing == Missing::Ignore && error.cause() == FileErrorCause::NotFound) return std::nullopt;
        return error;
    } catch (const std::invalid_argument&) {  // the code page
        return FileError(FileErrorCause::UnknownCodePage, path, 0);
    }
}

void PhoneticDictionary::addLines(EncodedTextFile& file) {
    std::u16string line;
    while (file.readLine(line)) addLine(line);
}

void PhoneticDictionary::addLine(std::u16string_view line) {
    const Fields fields = SplitFields(line);
    const std::size_t hash = std::hash<std::u16string_view>()(fields.word);
    Slot& slot = findSlot(fields.word, hash);
    if (slot.entry == 0) insert(fields.word, fields.transcription, slot, hash);  // the first line wins
}

std::u16string_view PhoneticDictionary::lookup(std::u16string_view word) {
    const std::size_t hash = std::hash<std::u16string_view>()(word);
    Slot& slot = findSlot(word, hash);
    if (slot.entry != 0) return entries_[slot.entry - 1].transcription;
    insert(word, {}, slot, hash);
    return {};
}

std::optional<std::u16string_view> PhoneticDictionary::find(std::u16string_view word) const {
    if (slots_.empty()) return std::nullopt;
    const Slot& slot = slots_[slotIndex(word, std::hash<std::u16string_view>()(word))];
    if (slot.entry == 0) return std::nullopt;
    return entries_[slot.entry - 1].transcription;
}

PhoneticDictionary::Slot& PhoneticDictionary::findSlot(std::u16string_view word, std::size_t hash) {
    if (slots_.empty()) grow();
    return slots_[slotIndex(word, hash)];
}

std::size_t PhoneticDictionary::slotIndex(std::u16string_view word, std::size_t hash) const {
    const std::size_t mask = slots_.size() - 1;
    for (std::size_t i = hash & mask;; i = (i + 1) & mask) {
        const Slot& slot = slots_[i];
        if (slot.entry == 0 || (slot.hash == hash && entries_[slot.entry - 1].word == word)) return i;
    }
}

void PhoneticDictionary::insert(std::u16string_view word, std::u16string_view transcription, Slot& slot,
                                std::size_t hash) {
    entries_.push_back({keep(word), keep(transcription)});
    slot = {hash, entries_.size()};
    if (entries_.size() * 2 > slots_.size()) grow();
}

void PhoneticDictionary::grow() {
    std::vector<Slot> old = std::move(slots_);
    slots_.assign(std::max<std::size_t>(1024, old.size() * 2), Slot{});
    const std::size_t mask = slots_.size() - 1;
    for (const Slot& slot : old) {
        if (slot.entry == 0) continue;
        std::size_t i = slot.hash & mask;
        while (slots_[i].entry != 0) i = (i + 1) & mask;
        slots_[i] = slot;
    }
}

std::u16string_view PhoneticDictionary::keep(std::u16string_view text) {
    if (text.empty()) return {};
    if (blockUsed_ + text.size() > blockSize_) {
        blockSize_ = std::max(kBlockUnits, text.size());
        blocks_.push_back(std::make_unique_for_overwrite<char16_t[]>(blockSize_));
        blockUsed_ = 0;
    }
    char16_t* place = blocks_.back().get() + blockUsed_;
    std::copy(text.begin(), text.end(), place);
    blockUsed_ += text.size();
    return {place, text.size()};
}

std::u16string DictionaryPath(const std::u16string& folder) { return JoinPath(folder, u"dictionary.txt"); }

std::u16string SkipListPath(const std::u16string& folder) { return JoinPath(folder, u"skip.txt"); }

}  // namespace sonotag::dictionary
