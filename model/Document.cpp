#include "model/Document.h"

#include <algorithm>
#include <cassert>
#include <stdexcept>

namespace sonotag::model {
namespace {

constexpr char16_t kInsertTextStep[] = u"Insert Text";
constexpr char16_t kSetFontStep[] = u"Apply Font";
constexpr char16_t kSetStyleStep[] = u"Apply Character Style";

}  // namespace

Document::Document() { styles_.addNoStyleIfMissing(); }

Story& Document::addStory(std::u16string text, std::vector<CharFormat> formats) {
    stories_.push_back(std::make_unique<Story>(std::move(text), std::move(formats)));
    return *stories_.back();
}

std::uint32_t Document::internFont(const std::u16string& name) {
    const auto [place, added] = fontIds_.try_emplace(name, static_cast<std::uint32_t>(fonts_.size() + 1));
    if (added) fonts_.push_back(name);
    return place->second;
}

void Document::addRecordedStep(std::u16string name) {
    undo_.push_back({UndoStep::Kind::Recorded, nullptr, 0, 0, {}, std::move(name)});
}

std::vector<std::u16string> Document::undoStepNames() const {
    std::vector<std::u16string> names;
    names.reserve(undo_.size());
    for (const UndoStep& step : undo_) {
        switch (step.kind) {
            case UndoStep::Kind::InsertText: names.emplace_back(kInsertTextStep); break;
            case UndoStep::Kind::SetFont: names.emplace_back(kSetFontStep); break;
            case UndoStep::Kind::SetStyle: names.emplace_back(kSetStyleStep); break;
            case UndoStep::Kind::Recorded: names.push_back(step.name); break;
        }
    }
    return names;
}

void Document::select(std::vector<std::int32_t> stories) {
    for (std::size_t k = 0; k < stories.size(); ++k) {
        if (stories[k] < 0 || stories[k] >= storyCount()) {
            throw std::invalid_argument("story " + std::to_string(stories[k]) + " does not exist (the document has " +
                                        std::to_string(storyCount()) + (storyCount() == 1 ? " story)" : " stories)"));
        }
        if (std::find(stories.begin(), stories.begin() + static_cast<std::ptrdiff_t>(k), stories[k]) !=
            stories.begin() + static_cast<std::ptrdiff_t>(k)) {
            throw std::invalid_argument("story " + std::to_string(stories[k]) + " is selected twice");
        }
    }
    selection_ = std::move(stories);
}

void Document::insertText(Story& story, std::int32_t at, std::u16string_view text) {
    undo_.push_back({UndoStep::Kind::InsertText, &story, at, static_cast<std::int32_t>(text.size()), {}, {}});
    story.insert(at, text);
}

void Document::applyFont(Story& story, std::int32_t at, std::int32_t count, const std::u16string& font) {
    applyAttribute(story, at, count, Attribute::Font, internFont(font));
}

void Document::applyStyle(Story& story, std::int32_t at, std::int32_t count, StyleId style) {
    applyAttribute(story, at, count, Attribute::Style, style);
}

void Document::applyAttribute(Story& story, std::int32_t at, std::int32_t count, Attribute attribute,
                              std::uint32_t value) {
    assert(at >= 0 && at + count <= story.length());
    const auto begin = story.formats().begin() + at;
    UndoStep step{attribute == Attribute::Font ? UndoStep::Kind::SetFont : UndoStep::Kind::SetStyle,
                  &story,
                  at,
                  count,
                  std::vector<CharFormat>(begin, begin + count),
                  {}};
    std::vector<CharFormat> changed = step.previous;
    for (CharFormat& format : changed) (attribute == Attribute::Font ? format.font : format.style) = value;
    undo_.push_back(std::move(step));
    story.setFormats(at, changed);
}

bool Document::undo() {
    if (undo_.empty()) return false;
    UndoStep& step = undo_.back();
    switch (step.kind) {
        case UndoStep::Kind::InsertText: step.story->erase(step.at, step.count); break;
        case UndoStep::Kind::SetFont:
        case UndoStep::Kind::SetStyle: step.story->setFormats(step.at, step.previous); break;
        case UndoStep::Kind::Recorded: break;  // saved without its effect: only the entry goes
    }
    undo_.pop_back();
    return true;
}

}  // namespace sonotag::model
