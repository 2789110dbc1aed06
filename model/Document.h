#pragma once
// A document of the stand-in host: stories, character styles, fonts, the
// selection and the undo history. Every modifying operation is one undo
// step, kept as the operation that takes it back (never as a copy of the
// document), so long histories stay cheap.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "model/Story.h"
#include "model/StyleTree.h"

namespace sonotag::model {

class Document {
public:
    Document();
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // --- building (by the loader), not undoable ---
    StyleTree& styles() { return styles_; }
    Story& addStory(std::u16string text, std::vector<CharFormat> formats);
    std::uint32_t internFont(const std::u16string& name);
    void addRecordedStep(std::u16string name);  // a step from a saved history
    // Drops the undo history, for a host that edits a file and keeps none.
    void forgetHistory() { undo_.clear(); }

    // --- reading ---
    const StyleTree& styles() const { return styles_; }
    std::int32_t storyCount() const { return static_cast<std::int32_t>(stories_.size()); }
    Story& story(std::int32_t index) const { return *stories_.at(static_cast<std::size_t>(index)); }
    const std::u16string& fontName(std::uint32_t font) const { return fonts_.at(font - 1); }
    std::int32_t undoStepCount() const { return static_cast<std::int32_t>(undo_.size()); }
    std::vector<std::u16string> undoStepNames() const;

    // The selected stories: none, one text object, or several objects.
    const std::vector<std::int32_t>& selection() const { return selection_; }
    // Throws std::invalid_argument for an unknown or repeated story.
    void select(std::vector<std::int32_t> stories);

    // A document replaced or closed in the host; its objects fail from then on.
    bool closed() const { return closed_; }
    void close() { closed_ = true; }

    // --- editing, one undo step each ---
    void insertText(Story& story, std::int32_t at, std::u16string_view text);
    void applyFont(Story& story, std::int32_t at, std::int32_t count, const std::u16string& font);
    void applyStyle(Story& story, std::int32_t at, std::int32_t count, StyleId style);
    // Takes the last step back; false when there is none.
    bool undo();

private:
    struct UndoStep {
        enum class Kind { InsertText, SetFont, SetStyle, Recorded } kind;
        Story* story = nullptr;
        std::int32_t at = 0;
        std::int32_t count = 0;
        std::vector<CharFormat> previous;  // SetFont, SetStyle: the formats before
        std::u16string name;               // Recorded: the step's name as saved
    };
    enum class Attribute { Font, Style };
    void applyAttribute(Story& story, std::int32_t at, std::int32_t count, Attribute attribute, std::uint32_t value);

    StyleTree styles_;
    std::vector<std::unique_ptr<Story>> stories_;
    std::vector<std::u16string> fonts_;
    std::map<std::u16string, std::uint32_t> fontIds_;
    std::vector<std::int32_t> selection_;
    std::vector<UndoStep> undo_;
    bool closed_ = false;
};

}  // namespace sonotag::model
