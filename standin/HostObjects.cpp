// The objects the stand-in hands out. Each answers the operations the real
// host offers on that kind of object, with the same results and effects,
// and fails like the real host: the automation error carrying a source, a
// description and a result, filled in at once.

#include <algorithm>
#include <cstdio>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>

#include "dictionary/Utf.h"
#include "host/HResult.h"
#include "standin/ControlCodes.h"
#include "standin/Session.h"
#include "standin/StandInHost.h"

namespace sonotag::standin {
namespace {

using host::DispatchId;
using host::HResult;
using host::InvokeKind;
using host::ObjectRef;
using host::Value;
namespace code = host::code;

[[noreturn]] void Raise(HResult result, const std::string& description) {
    throw host::AutomationError::FromException({0, result, std::u16string(kErrorSource), Utf8ToUtf16(description)});
}

std::string CodeName(DispatchId id) {
    if (id == code::kItem) return "item";
    const auto bits = static_cast<std::uint32_t>(id);
    std::string letters;
    for (int shift = 24; shift >= 0; shift -= 8) {
        const auto c = static_cast<char>((bits >> shift) & 0xFF);
        if (c < 0x20 || c > 0x7E) {
            char hex[16];
            std::snprintf(hex, sizeof hex, "0x%08X", static_cast<unsigned>(bits));
            return hex;
        }
        letters.push_back(c);
    }
    return "'" + letters + "'";
}

const char* KindVerb(InvokeKind kind) {
    switch (kind) {
        case InvokeKind::Get: return "read";
        case InvokeKind::Put: return "set";
        case InvokeKind::Method: return "called as a method";
    }
    return "used";
}

std::string Capitalized(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

std::string Plural(std::size_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

struct Request {
    DispatchId id;
    InvokeKind kind;
    std::span<const Value> arguments;
};

// ---------------------------------------------------------------------------
// The base of every object: counts it, counts its calls, converts results.

class ModelObject : public host::HostObject {
public:
    // `handedOut` false: an object the host keeps itself (the application),
    // left out of the live count.
    explicit ModelObject(std::shared_ptr<Session> session, bool handedOut = true)
        : session_(std::move(session)), handedOut_(handedOut) {
        if (handedOut_) session_->objectMade();
    }
    ~ModelObject() override {
        if (handedOut_) session_->objectReleased();
    }
    ModelObject(const ModelObject&) = delete;
    ModelObject& operator=(const ModelObject&) = delete;

    Value invoke(DispatchId id, InvokeKind kind, std::span<const Value> arguments,
                 host::ValueType resultType) override {
        session_->beginCall(id);
        return host::ChangeType(dispatch({id, kind, arguments}), resultType);
    }

protected:
    virtual Value dispatch(const Request& request) = 0;
    // "a word", "the characters": how descriptions name this object.
    virtual std::string typeName() const = 0;

    const std::shared_ptr<Session>& session() const { return session_; }

    // Fails unless the call is of this kind with this many arguments.
    void expect(const Request& request, InvokeKind kind, std::size_t argumentCount) const {
        if (request.kind != kind) {
            Raise(host::kMemberNotFound,
                  name(request) + " of " + typeName() + " cannot be " + KindVerb(request.kind) + ".");
        }
        if (request.arguments.size() != argumentCount) {
            Raise(host::kBadParameterCount, name(request) + " of " + typeName() + " takes " +
                                                Plural(argumentCount, "argument") + ", not " +
                                                std::to_string(request.arguments.size()) + ".");
        }
    }

    [[noreturn]] void unknown(const Request& request) const {
        if (request.id == code::kItem && request.arguments.empty()) {
            Raise(host::kMemberNotFound, "There is no default value of " + typeName() + ".");
        }
        Raise(host::kMemberNotFound, Capitalized(typeName()) + " has no operation " + CodeName(request.id) + ".");
    }

    static std::string name(const Request& request) {
        return request.id == code::kItem ? std::string("The item") : CodeName(request.id);
    }

private:
    std::shared_ptr<Session> session_;
    bool handedOut_;
};

// An object of one document: fails once that document is closed or replaced.
class DocumentObject : public ModelObject {
public:
    DocumentObject(std::shared_ptr<Session> session, std::shared_ptr<Document> document)
        : ModelObject(std::move(session)), document_(std::move(document)) {}

protected:
    Document& document() const {
        if (!document_) Raise(host::kUnspecifiedFailure, "No document is open.");
        if (document_->closed()) Raise(host::kUnspecifiedFailure, closedProblem());
        return *document_;
    }
    virtual std::string closedProblem() const { return "The document of " + typeName() + " is no longer open."; }
    const std::shared_ptr<Document>& documentRef() const { return document_; }

private:
    std::shared_ptr<Document> document_;
};

// ---------------------------------------------------------------------------
// Collections: 'cnte', item by 1-based index (and by name where the host
// allows it), 'firs' and 'last'.

class Collection : public DocumentObject {
public:
    using DocumentObject::DocumentObject;

protected:
    virtual std::int32_t count() = 0;
    virtual ObjectRef itemAt(std::int32_t index) = 0;                                           // 0-based, in range
    virtual std::optional<ObjectRef> itemNamed(const std::u16string&) { return std::nullopt; }  // none: no names
    virtual std::string emptyProblem() const { return Capitalized(typeName()) + " hold no items."; }

    Value dispatch(const Request& request) override {
        switch (request.id) {
            case code::kCount: expect(request, InvokeKind::Get, 0); return Value(count());
            case code::kItem:
                if (request.arguments.empty()) unknown(request);
                expect(request, InvokeKind::Get, 1);
                return Value(item(request.arguments.front()));
            case code::kFirst:
            case code::kLast: {
                expect(request, InvokeKind::Method, 0);
                const std::int32_t total = count();
                if (total == 0) Raise(host::kBadIndex, emptyProblem());
                return Value(itemAt(request.id == code::kFirst ? 0 : total - 1));
            }
            default: unknown(request);
        }
    }

private:
    ObjectRef item(const Value& key) {
        if (key.type() == host::ValueType::Integer) {
            const std::int32_t index = key.integer();
            const std::int32_t total = count();
            if (index < 1 || index > total) {
                Raise(host::kBadIndex, "Index " + std::to_string(index) + " is out of range: " + typeName() + " hold " +
                                           Plural(static_cast<std::size_t>(total), "item") + ".");
            }
            return itemAt(index - 1);
        }
        if (key.type() == host::ValueType::Text) {
            const auto found = itemNamed(key.text());
            if (!found) Raise(host::kTypeMismatch, "Items of " + typeName() + " are chosen by index, not by name.");
            if (!*found) {
                Raise(host::kBadIndex,
                      Capitalized(typeName()) + " hold no item named \"" + Utf16ToUtf8(key.text()) + "\".");
            }
            return *found;
        }
        Raise(host::kTypeMismatch, "The item of " + typeName() + " needs an index or a name.");
    }
};

// ---------------------------------------------------------------------------
// Character styles and their groups.

class StyleObject : public DocumentObject {
public:
    StyleObject(std::shared_ptr<Session> session, std::shared_ptr<Document> document, StyleId style)
        : DocumentObject(std::move(session), std::move(document)), style_(style) {}

    // The style, for applying it to text of `target`.
    StyleId styleFor(const Document& target) const {
        if (&document() != &target) Raise(host::kInvalidArgument, "The character style belongs to another document.");
        return style_;
    }

protected:
    std::string typeName() const override { return "a character style"; }
    Value dispatch(const Request& request) override {
        if (request.id != code::kItem) unknown(request);
        expect(request, InvokeKind::Get, 0);
        return Value(document().styles().style(style_).name);
    }

private:
    StyleId style_;
};

class StylesCollection : public Collection {
public:
    StylesCollection(std::shared_ptr<Session> session, std::shared_ptr<Document> document, const StyleGroup& group)
        : Collection(std::move(session), std::move(document)), group_(group) {}

protected:
    std::string typeName() const override { return "the character styles"; }
    std::int32_t count() override {
        document();
        return static_cast<std::int32_t>(group_.styles.size());
    }
    ObjectRef itemAt(std::int32_t index) override {
        return std::make_shared<StyleObject>(session(), documentRef(), group_.styles[static_cast<std::size_t>(index)]);
    }
    std::optional<ObjectRef> itemNamed(const std::u16string& name) override {
        const Document& owner = document();
        for (StyleId style : group_.styles) {
            if (owner.styles().style(style).name == name) {
                return ObjectRef(std::make_shared<StyleObject>(session(), documentRef(), style));
            }
        }
        return ObjectRef();
    }

private:
    const StyleGroup& group_;
};

class GroupsCollection : public Collection {
public:
    GroupsCollection(std::shared_ptr<Session> session, std::shared_ptr<Document> document, const StyleGroup& group)
        : Collection(std::move(session), std::move(document)), group_(group) {}

protected:
    std::string typeName() const override { return "the character style groups"; }
    std::int32_t count() override {
        document();
        return static_cast<std::int32_t>(group_.groups.size());
    }
    ObjectRef itemAt(std::int32_t index) override;
    std::optional<ObjectRef> itemNamed(const std::u16string& name) override;

private:
    const StyleGroup& group_;
};

// A container of styles: the document's styles or a group's.
Value StyleContainerProperty(const Request& request, const std::shared_ptr<Session>& session,
                             const std::shared_ptr<Document>& document, const StyleGroup& group) {
    if (request.id == code::kCharacterStyles)
        return Value(ObjectRef(std::make_shared<StylesCollection>(session, document, group)));
    return Value(ObjectRef(std::make_shared<GroupsCollection>(session, document, group)));
}

class GroupObject : public DocumentObject {
public:
    GroupObject(std::shared_ptr<Session> session, std::shared_ptr<Document> document, const StyleGroup& group)
        : DocumentObject(std::move(session), std::move(document)), group_(group) {}

protected:
    std::string typeName() const override { return "a character style group"; }
    Value dispatch(const Request& request) override {
        switch (request.id) {
            case code::kItem:
                expect(request, InvokeKind::Get, 0);
                document();
                return Value(group_.name);
            case code::kCharacterStyles:
            case code::kCharacterStyleGroups:
                expect(request, InvokeKind::Get, 0);
                document();
                return StyleContainerProperty(request, session(), documentRef(), group_);
            default: unknown(request);
        }
    }

private:
    const StyleGroup& group_;
};

ObjectRef GroupsCollection::itemAt(std::int32_t index) {
    return std::make_shared<GroupObject>(session(), documentRef(), *group_.groups[static_cast<std::size_t>(index)]);
}

std::optional<ObjectRef> GroupsCollection::itemNamed(const std::u16string& name) {
    document();
    for (const auto& child : group_.groups) {
        if (child->name == name) return ObjectRef(std::make_shared<GroupObject>(session(), documentRef(), *child));
    }
    return ObjectRef();
}

// ---------------------------------------------------------------------------
// Text: stories, words, characters, insertion points and their collections.

enum class TextRole { Story, Word, Character, InsertionPoint };

LiveRange::Kind RangeKind(TextRole role) {
    switch (role) {
        case TextRole::Character: return LiveRange::Kind::Character;
        case TextRole::InsertionPoint: return LiveRange::Kind::InsertionPoint;
        default: return LiveRange::Kind::Text;
    }
}

class TextObject : public DocumentObject, public std::enable_shared_from_this<TextObject> {
public:
    // A whole story.
    TextObject(std::shared_ptr<Session> session, std::shared_ptr<Document> document, Story& story)
        : DocumentObject(std::move(session), std::move(document)), role_(TextRole::Story), story_(story) {}
    // A live range of a story.
    TextObject(std::shared_ptr<Session> session, std::shared_ptr<Document> document, Story& story, TextRole role,
               TextSpan span)
        : DocumentObject(std::move(session), std::move(document)), role_(role), story_(story) {
        range_.emplace(story, RangeKind(role), span);
    }

    // Where the text is now; fails for an object whose text was deleted.
    TextSpan span() const {
        document();
        if (!range_) return {0, story_.length()};
        if (range_->deleted()) Raise(host::kUnspecifiedFailure, "The text of " + typeName() + " was deleted.");
        return range_->span();
    }
    Story& story() const { return story_; }

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
    Story& story_;
    std::optional<LiveRange> range_;
};

class WordsCollection : public Collection {
public:
    WordsCollection(std::shared_ptr<Session> session, std::shared_ptr<Document> document, Story& story)
        : Collection(std::move(session), std::move(document)), story_(story) {}

protected:
    std::string typeName() const override { return "the words"; }
    std::int32_t count() override {
        document();
        return static_cast<std::int32_t>(story_.words().size());
    }
    ObjectRef itemAt(std::int32_t index) override {
        return std::make_shared<TextObject>(session(), documentRef(), story_, TextRole::Word,
                                            story_.words()[static_cast<std::size_t>(index)]);
    }

private:
    Story& story_;
};

// The characters or the insertion points of a word or story; they follow
// their text as it changes.
class PartsCollection : public Collection {
public:
    PartsCollection(std::shared_ptr<Session> session, std::shared_ptr<Document> document,
                    std::shared_ptr<TextObject> whole, TextRole part)
        : Collection(std::move(session), std::move(document)), whole_(std::move(whole)), part_(part) {}

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
        return std::make_shared<TextObject>(session(), documentRef(), whole_->story(), part_, TextSpan{position, end});
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
            return Value(ObjectRef(std::make_shared<WordsCollection>(session(), documentRef(), story_)));
        case code::kCharacters:
        case code::kInsertionPoints:
            if (!hasParts()) break;
            expect(request, InvokeKind::Get, 0);
            span();
            return Value(ObjectRef(std::make_shared<PartsCollection>(
                session(), documentRef(), shared_from_this(),
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
        const TextSpan where = span();
        if (static_cast<std::size_t>(story_.length()) + text.text().size() >
            static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max())) {
            Raise(host::kOutOfMemory, "The story cannot hold that much text.");
        }
        document().insertText(story_, where.start, text.text());
        return Value();
    }
    expect(request, InvokeKind::Get, 0);
    const TextSpan where = span();
    return Value(story_.text().substr(static_cast<std::size_t>(where.start), static_cast<std::size_t>(where.length())));
}

void TextObject::applyFont(const Request& request) {
    expect(request, InvokeKind::Put, 1);
    const Value& font = request.arguments.front();
    if (font.type() != host::ValueType::Text) Raise(host::kTypeMismatch, "A font is given by its name, as a string.");
    if (font.text().empty()) Raise(host::kInvalidArgument, "The font name is empty.");
    const TextSpan where = span();
    document().applyFont(story_, where.start, where.length(), font.text());
}

void TextObject::applyStyle(const Request& request) {
    expect(request, InvokeKind::Put, 1);
    const Value& style = request.arguments.front();
    const auto* object =
        style.type() == host::ValueType::Object ? dynamic_cast<const StyleObject*>(style.object().get()) : nullptr;
    if (!object) Raise(host::kTypeMismatch, "A character style is given as a character style object.");
    const TextSpan where = span();
    Document& owner = document();
    owner.applyStyle(story_, where.start, where.length(), object->styleFor(owner));
}

// ---------------------------------------------------------------------------
// The selection, the document and the application.

class SelectionObject : public Collection {
public:
    SelectionObject(std::shared_ptr<Session> session, std::shared_ptr<Document> document,
                    std::vector<std::int32_t> stories)
        : Collection(std::move(session), std::move(document)), stories_(std::move(stories)) {}

protected:
    std::string typeName() const override { return "the selection"; }
    std::string emptyProblem() const override { return "Nothing is selected."; }
    std::int32_t count() override {
        if (stories_.empty()) return 0;
        document();
        return static_cast<std::int32_t>(stories_.size());
    }
    ObjectRef itemAt(std::int32_t index) override {
        return std::make_shared<TextObject>(session(), documentRef(),
                                            document().story(stories_[static_cast<std::size_t>(index)]));
    }

private:
    std::vector<std::int32_t> stories_;
};

class ActiveDocumentObject : public DocumentObject {
public:
    using DocumentObject::DocumentObject;

protected:
    std::string typeName() const override { return "a document"; }
    std::string closedProblem() const override { return "The document is no longer open."; }
    Value dispatch(const Request& request) override {
        switch (request.id) {
            case code::kUndoHistory:
                expect(request, InvokeKind::Get, 0);
                return Value(host::ArrayBound{document().undoStepCount() - 1});
            case code::kUndo:
                expect(request, InvokeKind::Method, 0);
                if (!document().undo()) Raise(host::kUnspecifiedFailure, "There is nothing to undo.");
                return Value();
            case code::kCharacterStyles:
            case code::kCharacterStyleGroups:
                expect(request, InvokeKind::Get, 0);
                return StyleContainerProperty(request, session(), documentRef(), document().styles().root());
            default: unknown(request);
        }
    }
};

// The application: 'pacd' and 'sele', and the private test controls, which
// are neither counted nor made to fail.
class ApplicationObject : public ModelObject {
public:
    explicit ApplicationObject(std::shared_ptr<Session> session) : ModelObject(std::move(session), false) {}

    Value invoke(DispatchId id, InvokeKind kind, std::span<const Value> arguments,
                 host::ValueType resultType) override {
        if (const auto answer = control({id, kind, arguments})) return host::ChangeType(*answer, resultType);
        return ModelObject::invoke(id, kind, arguments, resultType);
    }

protected:
    std::string typeName() const override { return "the application"; }
    Value dispatch(const Request& request) override {
        const auto& document = session()->document();
        switch (request.id) {
            case code::kActiveDocument:
                expect(request, InvokeKind::Get, 0);
                if (!document) Raise(host::kUnspecifiedFailure, "No document is open.");
                return Value(ObjectRef(std::make_shared<ActiveDocumentObject>(session(), document)));
            case code::kSelection: {
                expect(request, InvokeKind::Get, 0);
                std::vector<std::int32_t> stories;
                if (document) stories = document->selection();
                return Value(ObjectRef(std::make_shared<SelectionObject>(session(), document, std::move(stories))));
            }
            default: unknown(request);
        }
    }

private:
    std::optional<Value> control(const Request& request);
};

// ---------------------------------------------------------------------------
// The private test controls.

[[noreturn]] void ControlFailure(const std::string& problem) { Raise(host::kInvalidArgument, problem); }

std::int32_t IntegerArgument(const Value& value, const char* what) {
    if (value.type() != host::ValueType::Integer) ControlFailure(std::string(what) + " must be an integer.");
    return value.integer();
}

std::u16string TextArgument(const Value& value, const char* what) {
    if (value.type() != host::ValueType::Text) ControlFailure(std::string(what) + " must be text.");
    return value.text();
}

std::optional<std::u16string> OptionalText(std::span<const Value> arguments, std::size_t index, const char* what) {
    if (index >= arguments.size() || arguments[index].isEmpty()) return std::nullopt;
    std::u16string text = TextArgument(arguments[index], what);
    if (text.empty()) return std::nullopt;
    return text;
}

void ExpectArguments(const Request& request, std::size_t least, std::size_t most) {
    if (request.kind == InvokeKind::Put) ControlFailure(CodeName(request.id) + " cannot be set.");
    if (request.arguments.size() < least || request.arguments.size() > most) {
        const std::string range = least == most ? Plural(least, "argument")
                                  : most == std::numeric_limits<std::size_t>::max()
                                      ? "at least " + Plural(least, "argument")
                                      : std::to_string(least) + " to " + std::to_string(most) + " arguments";
        ControlFailure(CodeName(request.id) + " takes " + range + ", not " + std::to_string(request.arguments.size()) +
                       ".");
    }
}

Value Clamped(std::int64_t number) {
    return Value(static_cast<std::int32_t>(std::min<std::int64_t>(number, std::numeric_limits<std::int32_t>::max())));
}

std::optional<Value> ApplicationObject::control(const Request& request) {
    namespace c = control;
    Session& session = *this->session();
    try {
        switch (request.id) {
            case c::kLoadDocumentJson:
                ExpectArguments(request, 1, 1);
                session.loadDocumentJson(Utf16ToUtf8(TextArgument(request.arguments[0], "The document")));
                return Value();
            case c::kLoadDocumentFile:
                ExpectArguments(request, 1, 1);
                session.loadDocumentFile(TextArgument(request.arguments[0], "The path"));
                return Value();
            case c::kLoadPlainText:
                ExpectArguments(request, 1, 1);
                session.loadPlainText(TextArgument(request.arguments[0], "The text"));
                return Value();
            case c::kDumpDocumentJson:
                ExpectArguments(request, 0, 0);
                return Value(Utf8ToUtf16(session.dumpDocumentJson()));
            case c::kSaveDocumentFile:
                ExpectArguments(request, 1, 1);
                session.saveDocumentFile(TextArgument(request.arguments[0], "The path"));
                return Value();
            case c::kCloseDocument:
                ExpectArguments(request, 0, 0);
                session.replaceDocument(nullptr);
                return Value();
            case c::kSelect: {
                ExpectArguments(request, 0, std::numeric_limits<std::size_t>::max());
                std::vector<std::int32_t> stories;
                for (const Value& argument : request.arguments)
                    stories.push_back(IntegerArgument(argument, "A story index"));
                session.requireDocument().select(std::move(stories));
                return Value();
            }
            case c::kFailCall: {
                ExpectArguments(request, 3, 5);
                const auto& arguments = request.arguments;
                const std::int32_t wCode = IntegerArgument(arguments[1], "wCode");
                if (wCode < 0 || wCode > 0xFFFF) ControlFailure("wCode must lie between 0 and 65535.");
                session.failCall(
                    IntegerArgument(arguments[0], "k"),
                    {static_cast<std::uint16_t>(wCode), IntegerArgument(arguments[2], "scode"),
                     OptionalText(arguments, 3, "The source"), OptionalText(arguments, 4, "The description")});
                return Value();
            }
            case c::kCallCount: {
                ExpectArguments(request, 0, 1);
                const auto& counts = session.callCounts();
                if (request.arguments.empty()) {
                    std::int64_t total = 0;
                    for (const auto& [id, calls] : counts) total += calls;
                    return Clamped(total);
                }
                const auto found = counts.find(IntegerArgument(request.arguments[0], "The dispatch code"));
                return Clamped(found == counts.end() ? 0 : found->second);
            }
            case c::kResetCallCounts:
                ExpectArguments(request, 0, 0);
                session.resetCallCounts();
                return Value();
            case c::kDelayCalls: {
                ExpectArguments(request, 1, 1);
                const std::int32_t milliseconds = IntegerArgument(request.arguments[0], "The delay");
                if (milliseconds < 0 || milliseconds > 10000) ControlFailure("The delay must lie between 0 and 10000 ms.");
                session.delayCalls(std::chrono::milliseconds(milliseconds));
                return Value();
            }
            case c::kLiveObjects: ExpectArguments(request, 0, 0); return Clamped(session.liveObjects());
            case c::kStoryText: {
                ExpectArguments(request, 1, 1);
                const Document& document = session.requireDocument();
                const std::int32_t story = IntegerArgument(request.arguments[0], "The story index");
                if (story < 0 || story >= document.storyCount())
                    ControlFailure("There is no story " + std::to_string(story) + ".");
                return Value(document.story(story).text());
            }
            case c::kUndoStepCount:
                ExpectArguments(request, 0, 0);
                return Value(session.requireDocument().undoStepCount());
            default: return std::nullopt;
        }
    } catch (const host::AutomationError&) {
        throw;
    } catch (const std::exception& error) {
        ControlFailure(error.what());
    }
}

}  // namespace

host::ObjectRef MakeApplication(std::shared_ptr<Session> session) {
    return std::make_shared<ApplicationObject>(std::move(session));
}

}  // namespace sonotag::standin
