#pragma once
// One story of a document: its text, the format of each character, its words
// and the live ranges that follow its text as it changes.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/Words.h"

namespace sonotag::model {

// Font and character style of one character; 0 means "not set". The
// numbers index the document's font and style tables. `origin` is free for
// a host that loads its stories from files: it numbers the character a
// story was loaded with, and inserted text inherits it with the rest of the
// format, so the host can tell where each character came from.
struct CharFormat {
    std::uint32_t font = 0;
    std::uint32_t style = 0;
    std::uint32_t origin = 0;
    bool operator==(const CharFormat&) const = default;
};

class Story;

// A stretch of text that follows the edits of its story, as the host's text
// objects do. How an insertion at position p moves it depends on its kind:
// - Text (a word, a whole story): text put at any of its insertion points,
//   the last one included, becomes part of it; text put before it moves it.
// - Character: stays one character; text put at or before it moves it.
// - InsertionPoint: moves past text put at it, like a text cursor.
// A deletion pulls positions inside the deleted text to its start; a text
// range or character whose every character was deleted is gone for good.
class LiveRange {
public:
    enum class Kind { Text, Character, InsertionPoint };

    LiveRange(Story& story, Kind kind, TextSpan span);
    ~LiveRange();
    LiveRange(const LiveRange&) = delete;
    LiveRange& operator=(const LiveRange&) = delete;

    Story& story() const { return story_; }
    Kind kind() const { return kind_; }
    TextSpan span() const { return span_; }
    bool deleted() const { return deleted_; }

private:
    friend class Story;
    void afterInsert(std::int32_t at, std::int32_t count);
    void afterErase(std::int32_t at, std::int32_t count);

    Story& story_;
    Kind kind_;
    TextSpan span_;
    bool deleted_ = false;
    std::size_t slot_ = 0;  // place in the story's list of live ranges
};

class Story {
public:
    // `formats` holds one entry per UTF-16 unit of `text`.
    Story(std::u16string text, std::vector<CharFormat> formats);
    Story(const Story&) = delete;
    Story& operator=(const Story&) = delete;

    const std::u16string& text() const { return text_; }
    const std::vector<CharFormat>& formats() const { return formats_; }
    std::int32_t length() const { return static_cast<std::int32_t>(text_.size()); }

    // The words in text order, kept up to date edit by edit.
    const std::vector<TextSpan>& words() const { return words_; }

    // Inserts text at a position from 0 to length(); the new characters take
    // the format of the character before them (after them at the start).
    void insert(std::int32_t at, std::u16string_view text);
    void erase(std::int32_t at, std::int32_t count);
    void setFormats(std::int32_t at, std::span<const CharFormat> formats);

    std::size_t liveRangeCount() const { return ranges_.size(); }

private:
    friend class LiveRange;
    void track(LiveRange& range);
    void untrack(LiveRange& range);
    // Re-splits the words around an edit that replaced [at, oldEnd) by [at, newEnd).
    void updateWords(std::int32_t at, std::int32_t oldEnd, std::int32_t newEnd);

    std::u16string text_;
    std::vector<CharFormat> formats_;
    std::vector<TextSpan> words_;
    std::vector<LiveRange*> ranges_;
};

}  // namespace sonotag::model
