#pragma once
// The word list: English words and their stored transcriptions.
//
// Keys are matched exactly, UTF-16 code unit by code unit: case-sensitive,
// nothing trimmed. The first line that names a word wins.

#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/FileError.h"

namespace sonotag::dictionary {

class EncodedTextFile;

class PhoneticDictionary {
public:
    PhoneticDictionary();
    ~PhoneticDictionary();
    PhoneticDictionary(const PhoneticDictionary&) = delete;
    PhoneticDictionary& operator=(const PhoneticDictionary&) = delete;

    // What a load does when the file does not exist: an optional list
    // (the skip list) is then simply empty.
    enum class Missing { Report, Ignore };

    // Reads `path` and adds its entries. When the file cannot be opened, or
    // `codePage` names one the system lacks, the error comes back (naming
    // the file and the cause) and the store keeps what it had.
    [[nodiscard]] std::optional<FileError> load(const std::u16string& path, std::string codePage = {},
                                                Missing missing = Missing::Report);

    // Adds every line of an open file.
    void addLines(EncodedTextFile& file);

    // Adds one line: field 0 (trailing "=" removed) is the word, field 2 the
    // transcription; fields are separated by "|", missing ones are empty.
    void addLine(std::u16string_view line);

    // The stored transcription, empty for an unknown word. A miss is
    // remembered as an empty entry, so the same word misses the same way.
    // The view stays valid as long as the dictionary.
    std::u16string_view lookup(std::u16string_view word);

    // The stored transcription (possibly empty) when `word` is a key, and
    // nothing otherwise; unlike lookup, a miss leaves nothing behind.
    std::optional<std::u16string_view> find(std::u16string_view word) const;

    std::size_t size() const { return entries_.size(); }

private:
    struct Entry {
        std::u16string_view word;
        std::u16string_view transcription;
    };
    // An open-addressing slot: the word's hash and 1 + its entry's index (0: free).
    struct Slot {
        std::size_t hash = 0;
        std::size_t entry = 0;
    };

    // The slot that holds `word`, or the free slot where it belongs.
    Slot& findSlot(std::u16string_view word, std::size_t hash);
    std::size_t slotIndex(std::u16string_view word, std::size_t hash) const;
    void insert(std::u16string_view word, std::u16string_view transcription, Slot& slot, std::size_t hash);
    void grow();

    // Keys and transcriptions live in large blocks and the table holds views
    // of them, so a load allocates per block, not per string.
    std::u16string_view keep(std::u16string_view text);

    std::vector<std::unique_ptr<char16_t[]>> blocks_;
    std::size_t blockUsed_ = 0;
    std::size_t blockSize_ = 0;
    std::vector<Entry> entries_;
    std::vector<Slot> slots_;  // a power of two in size, at most half full
};

// The word list's place: `folder` + separator + "dictionary.txt".
std::u16string DictionaryPath(const std::u16string& folder);
// The words to leave untouched, read like the word list: "skip.txt" beside it.
std::u16string SkipListPath(const std::u16string& folder);

}  // namespace sonotag::dictionary
