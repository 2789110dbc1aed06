#include "model/Story.h"

#include <algorithm>
#include <cassert>

namespace sonotag::model {
namespace {

// Where a position ends up once [at, at + count) is deleted.
std::int32_t PositionAfterErase(std::int32_t position, std::int32_t at, std::int32_t count) {
    if (position >= at + count) return position - count;
    return std::min(position, at);
}

}  // namespace

LiveRange::LiveRange(Story& story, Kind kind, TextSpan span) : story_(story), kind_(kind), span_(span) {
    story_.track(*this);
}

LiveRange::~LiveRange() { story_.untrack(*this); }

void LiveRange::afterInsert(std::int32_t at, std::int32_t count) {
    switch (kind_) {
        case Kind::Text:
            if (at < span_.start) span_.start += count;
            if (at <= span_.end) span_.end += count;
            break;
        case Kind::Character:
        case Kind::InsertionPoint:
            if (at <= span_.start) {
                span_.start += count;
                span_.end += count;
            }
            break;
    }
}

void LiveRange::afterErase(std::int32_t at, std::int32_t count) {
    const bool hadText = span_.length() > 0;
    span_.start = PositionAfterErase(span_.start, at, count);
    span_.end = PositionAfterErase(span_.end, at, count);
    if (hadText && span_.length() == 0) deleted_ = true;
}

Story::Story(std::u16string text, std::vector<CharFormat> formats)
    : text_(std::move(text)), formats_(std::move(formats)), words_(SplitWords(text_)) {
    assert(formats_.size() == text_.size());
}

void Story::track(LiveRange& range) {
    range.slot_ = ranges_.size();
    ranges_.push_back(&range);
}

void Story::untrack(LiveRange& range) {
    LiveRange* last = ranges_.back();
    ranges_[range.slot_] = last;
    last->slot_ = range.slot_;
    ranges_.pop_back();
}

void Story::insert(std::int32_t at, std::u16string_view text) {
    assert(at >= 0 && at <= length());
    const auto count = static_cast<std::int32_t>(text.size());
    if (count == 0) return;
    CharFormat inherited;
    if (at > 0) {
        inherited = formats_[static_cast<std::size_t>(at - 1)];
    } else if (!formats_.empty()) {
        inherited = formats_.front();
    }
    text_.insert(static_cast<std::size_t>(at), text);
    formats_.insert(formats_.begin() + at, text.size(), inherited);
    updateWords(at, at, at + count);
    for (LiveRange* range : ranges_) range->afterInsert(at, count);
}

void Story::erase(std::int32_t at, std::int32_t count) {
    assert(at >= 0 && count >= 0 && at + count <= length());
    if (count == 0) return;
    text_.erase(static_cast<std::size_t>(at), static_cast<std::size_t>(count));
    formats_.erase(formats_.begin() + at, formats_.begin() + at + count);
    updateWords(at, at + count, at);
    for (LiveRange* range : ranges_) range->afterErase(at, count);
}

void Story::setFormats(std::int32_t at, std::span<const CharFormat> formats) {
    assert(at >= 0 && at + static_cast<std::int32_t>(formats.size()) <= length());
    std::copy(formats.begin(), formats.end(), formats_.begin() + at);
}

// Only the words touching the edit can change: the stretch from the last
// separator before it to the first separator after it is split again, and
// the words after it move by the change in length.
void Story::updateWords(std::int32_t at, std::int32_t oldEnd, std::int32_t newEnd) {
    const std::int32_t delta = newEnd - oldEnd;
    std::int32_t low = at;
    while (low > 0 && !IsWordSeparator(text_[static_cast<std::size_t>(low - 1)])) --low;
    std::int32_t high = newEnd;
    while (high < length() && !IsWordSeparator(text_[static_cast<std::size_t>(high)])) ++high;
    const std::int32_t oldHigh = high - delta;

    // Old words inside [low, oldHigh] are replaced; a separator or a text end
    // bounds that stretch on both sides, so no word straddles it.
    const auto first =
        std::partition_point(words_.begin(), words_.end(), [low](const TextSpan& word) { return word.end <= low; });
    const auto last =
        std::partition_point(first, words_.end(), [oldHigh](const TextSpan& word) { return word.start < oldHigh; });
    for (auto word = last; word != words_.end(); ++word) {
        word->start += delta;
        word->end += delta;
    }
    std::vector<TextSpan> replacement;
    AppendWords(text_, low, high, replacement);
    const auto place = words_.erase(first, last);
    words_.insert(place, replacement.begin(), replacement.end());
}

}  // namespace sonotag::model
