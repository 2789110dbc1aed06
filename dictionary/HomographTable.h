#pragma once
// homographs.txt: words spelt alike and said otherwise, each reading on a
// line of its own, "word|class|transcription". It is read like the word
// list (the same encodings, fields split at "|", trailing "=" of the word
// removed), but a line starting with "#" is a comment and an empty line is
// nothing. The word is in lower case; the class names the reading's part of
// speech (noun, verb, adj, past), the capitalised word's own reading (cap),
// "used to" (usedto), or a sense where the part of speech does not tell two
// readings apart (music, fish, ...). The transcription is in the word list's
// letter code.

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "base/FileError.h"

namespace sonotag::dictionary {

struct Reading {
    std::u16string readingClass;
    std::u16string transcription;
};

class HomographTable {
public:
    // Reads `path` and adds its readings. When the file cannot be opened, or
    // `codePage` names one the system lacks, the error comes back and the
    // table keeps what it had.
    [[nodiscard]] std::optional<FileError> load(const std::u16string& path, std::string codePage = {});

    // Adds one line; comments, empty lines and lines without a class are skipped.
    void addLine(std::u16string_view line);

    // The readings of a lower-case word, in the file's order; none for a word
    // the table lacks or lists with one reading only.
    const std::vector<Reading>* find(std::u16string_view word) const;

    std::size_t size() const { return readings_.size(); }

private:
    std::map<std::u16string, std::vector<Reading>, std::less<>> readings_;
};

// The table's place beside a word list: `folder` + "homographs.txt".
std::u16string HomographTablePath(const std::u16string& folder);

}  // namespace sonotag::dictionary
