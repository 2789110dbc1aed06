#include "standin/TextObjects.h"

#include <limits>

#include "standin/StyleObjects.h"

namespace sonotag::standin {
namespace {

using host::InvokeKind;
using host::ObjectRef;
using host::Value;
namespace code = host::code;

enum class TextRole { Story, Word, Character, InsertionPoint };

model::LiveRange::Kind RangeKind(TextRole role) {
    switch (role) {
        case TextRole::Character: return model::LiveRange::Kind::Character;
        case TextRole::InsertionPoint: return model::LiveRange::Kind::InsertionPoint;
        default: return model::LiveRange::Kind::Text;
    }
}

class TextObject : public DocumentObject, public std::enable_shared_from_this<TextObject> {
public:
    // A whole story.
    TextObject(std::shared_ptr<HostState> state, std::shared_ptr<model::Document> document, model::Story& story)
        : DocumentObject(std::move(state), std::move(document)), role_(TextRole::Story), story_(story) {}
    // A live range of a story.
    TextObject(std::shared_ptr<HostState> state, std::shared_ptr<model::Document> document, model::Story& story,
               TextRole role, model::TextSpan span)
        : DocumentObject(std::move(state), std::move(document)), role_(role), story_(story) {
        range_.emplace(story, RangeKind(role), span);
    }

    // Where the text is now; fails for an object whose text was deleted.
    model::TextSpan span() const {
        document();
        if (!range_) return {0, story_.length()};
        if (range_->deleted()) Raise(host::kUnspecifiedFailure, "The text of " + typeName() + " was deleted.");
        return range_->span();
    }
    model::Story& story() const { return story_; }

protected:
    std::string typeName() const override {
        switch (role_) {
            case TextRole::Story: return "a story";
            case TextRole::Word: return "a word";
            case TextRole::Character: return "a character";
            case TextRole::InsertionPoint: return "an insertion point";
        }
        return "text";
    }

    Value dispatch(const Request& request) override;

private:
    bool formattable() const { return role_ != TextRole::InsertionPoint; }
    bool hasParts() const { return role_ == TextRole::Story || role_ == TextRole::Word; }

    Value contents(const Request& request);
    void applyFont(const Request& request);
    void applyStyle(const Request& request);

    TextRole role_;
    model::Story& story_;
    std::optional<model::LiveRange> range_;
};

class WordsCollection : public Collection {
public:
    WordsCollection(std::shared_ptr<HostState> state, std::shared_ptr<model::Document> document, model::Story& story)
        : Collection(std::move(state), std::move(document)), story_(story) {}

protected:
    std::string typeName() const override { return "the words"; }
    std::int32_t count() override {
        document();
        return static_cast<std::int32_t>(story_.words().size());
    }
    ObjectRef itemAt(std::int32_t index) override {
        return std::make_shared<TextObject>(state(), documentRef(), story_, TextRole::Word,
                                            story_.words()[static_cast<std::size_t>(index)]);
    }

private:
    model::Story& story_;
};

// The characters or the insertion points of a word or story; they follow
// their text as it changes.
class PartsCollection : public Collection {
public:
    PartsCollection(std::shared_ptr<HostState> state, std::shared_ptr<model::Document> document,
                    std::shared_ptr<TextObject> whole, TextRole part)
        : Collection(std::move(state), std::move(document)), whole_(std::move(whole)), part_(part) {}

protected:
    std::string typeName() const override {
        return part_ == TextRole::Character ? "the characters" : "the insertion points";
    }
    std::int32_t count() override {
        const std::int32_t length = whole_->span().length();
        return part_ == TextRole::Character ? length : length + 1;
    }
    ObjectRef itemAt(std::int32_t index) override {
        const std::int32_t position = whole_->span().start + index;
        const std::int32_t end = part_ == TextRole::Character ? position + 1 : position;
        return std::make_shared<TextObject>(state(), documentRef(), whole_->story(), part_,
                                            model::TextSpan{position, end});
    }

private:
    std::shared_ptr<TextObject> whole_;
    TextRole part_;
};

Value TextObject::dispatch(const Request& request) {
    switch (request.id) {
        case code::kContents: return contents(request);
        case code::kWords:
            if (role_ != TextRole::Story) break;
            expect(request, InvokeKind::Get, 0);
            span();
            return Value(ObjectRef(std::make_shared<WordsCollection>(state(), documentRef(), story_)));
        case code::kCharacters:
        case code::kInsertionPoints:
            if (!hasParts()) break;
            expect(request, InvokeKind::Get, 0);
            span();
            return Value(ObjectRef(std::make_shared<PartsCollection>(
                state(), documentRef(), shared_from_this(),
                request.id == code::kCharacters ? TextRole::Character : TextRole::InsertionPoint)));
        case code::kAppliedFont:
            if (!formattable()) break;
            applyFont(request);
            return Value();
        case code::kAppliedCharacterStyle:
            if (!formattable()) break;
            applyStyle(request);
            return Value();
        default: break;
    }
    unknown(request);
}

Value TextObject::contents(const Request& request) {
    if (request.kind == InvokeKind::Put && role_ == TextRole::InsertionPoint) {
        expect(request, InvokeKind::Put, 1);
        const Value& text = request.arguments.front();
        if (text.type() != host::ValueType::Text) Raise(host::kTypeMismatch, "The text to insert must be a string.");
        const model::TextSpan where = span();
        if (static_cast<std::size_t>(story_.length()) + text.text().size() >
            static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
            Raise(host::kOutOfMemory, "The story cannot hold that much text.");
        }
        document().insertText(story_, where.start, text.text());
        return Value();
    }
    expect(request, InvokeKind::Get, 0);
    const model::TextSpan where = span();
    return Value(story_.text().substr(static_cast<std::size_t>(where.start), static_cast<std::size_t>(where.length())));
}

void TextObject::applyFont(const Request& request) {
    expect(request, InvokeKind::Put, 1);
    const Value& font = request.arguments.front();
    if (font.type() != host::ValueType::Text) Raise(host::kTypeMismatch, "A font is given by its name, as a string.");
    if (font.text().empty()) Raise(host::kInvalidArgument, "The font name is empty.");
    const model::TextSpan where = span();
    document().applyFont(story_, where.start, where.length(), font.text());
}

void TextObject::applyStyle(const Request& request) {
    expect(request, InvokeKind::Put, 1);
    const Value& style = request.arguments.front();
    const auto* object =
        style.type() == host::ValueType::Object ? dynamic_cast<const StyleObject*>(style.object().get()) : nullptr;
    if (!object) Raise(host::kTypeMismatch, "A character style is given as a character style object.");
    const model::TextSpan where = span();
    model::Document& owner = document();
    owner.applyStyle(story_, where.start, where.length(), object->styleFor(owner));
}

}  // namespace

ObjectRef MakeStoryObject(std::shared_ptr<HostState> state, std::shared_ptr<model::Document> document,
                          model::Story& story) {
    return std::make_shared<TextObject>(std::move(state), std::move(document), story);
}

}  // namespace sonotag::standin
