#include "idml/StoryXml.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <unordered_map>
#include <unordered_set>

#include "base/Utf.h"
#include "package/XmlPart.h"

namespace sonotag::idml {
namespace {

// Processing instructions, the declaration and the blanks between elements
// are kept, so a story saved again differs only where it was edited.
constexpr unsigned kParseOptions = pugi::parse_default | pugi::parse_pi | pugi::parse_declaration |
                                   pugi::parse_doctype | pugi::parse_comments | pugi::parse_ws_pcdata;

bool Named(pugi::xml_node node, const char* name) { return std::strcmp(node.name(), name) == 0; }

bool IsTextRoot(pugi::xml_node node) {
    return Named(node, "Story") || Named(node, "Cell") || Named(node, "Footnote") || Named(node, "Note");
}

// Objects anchored in a text: one character of it, with texts of their own.
bool IsAnchored(pugi::xml_node node) { return Named(node, "Table") || Named(node, "Footnote") || Named(node, "Note"); }

bool IsRange(pugi::xml_node node) { return Named(node, "CharacterStyleRange"); }

bool IsCharacterData(pugi::xml_node node) {
    return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

void AppendCharacterData(pugi::xml_node node, StoryText& text) {
    const std::string_view bytes = node.value();
    for (std::size_t at = 0; at < bytes.size();) {
        // A malformed byte is one character of its own (U+FFFD).
        const std::size_t length = std::max<std::size_t>(DecodeUtf8Sequence(bytes.substr(at)).length, 1);
        AppendUtf8AsUtf16(bytes.substr(at, length), text.text);
        at += length;
        text.sources.resize(text.text.size(), Source{node, static_cast<std::uint32_t>(at)});
    }
}

void AppendCharacter(pugi::xml_node node, char16_t character, StoryText& text) {
    text.text.push_back(character);
    text.sources.push_back({node, 0});
}

// Collects the characters under `root` into the text `text`; a text root
// below it starts a text of its own in `texts`. A walk with a stack of its
// own, as deep as the XML.
void CollectText(pugi::xml_node root, std::size_t text, std::vector<StoryText>& texts) {
    struct Level {
        pugi::xml_node next;
        std::size_t text;
    };
    std::vector<Level> levels{{root.first_child(), text}};
    while (!levels.empty()) {
        const pugi::xml_node child = levels.back().next;
        const std::size_t current = levels.back().text;
        if (!child) {
            levels.pop_back();
            continue;
        }
        levels.back().next = child.next_sibling();
        if (Named(child, "Content")) {
            for (pugi::xml_node part : child.children()) {
                if (IsCharacterData(part)) AppendCharacterData(part, texts[current]);
                if (part.type() == pugi::node_pi) AppendCharacter(part, kObjectCharacter, texts[current]);
            }
            continue;
        }
        if (Named(child, "Br")) {
            AppendCharacter(child, u'\r', texts[current]);
            continue;
        }
        if (IsAnchored(child)) AppendCharacter(child, kObjectCharacter, texts[current]);
        if (IsTextRoot(child)) {  // a footnote, a note, a table's cell
            texts.emplace_back();
            levels.push_back({child.first_child(), texts.size() - 1});
        } else if (child.type() == pugi::node_element && !Named(child, "Properties")) {
            levels.push_back({child.first_child(), current});  // a table or a container; Properties hold no text
        }
    }
}

// ---- editing ----

using NodeKey = pugi::xml_node_struct*;
NodeKey KeyOf(pugi::xml_node node) { return node.internal_object(); }

// The Content elements that hold a formatted run, each with its format.
struct Marks {
    std::vector<pugi::xml_node> contents;
    std::unordered_map<NodeKey, const RangeFormat*> formats;
};

// Writes the characters of one Content element, or those put after a Br or
// an anchored object, with inserted text among them: unformatted text
// joins the Content it follows, a formatted run gets a Content element of
// its own (marked), and what follows it goes into a new Content after that.
class ContentWriter {
public:
    // `content`: the Content written (its children are kept in order), or
    // none; `last`: the node the written Content elements follow.
    ContentWriter(pugi::xml_node content, pugi::xml_node last, Marks& marks)
        : parent_(last.parent()), current_(content), last_(last), marks_(marks) {}

    // An original child of the Content, kept in place.
    void keep(pugi::xml_node node) {
        flush();
        if (node.parent() != content()) content().append_move(node);
    }
    // An original text node whose value is written anew with add().
    void rewrite(pugi::xml_node node) {
        keep(node);
        text_ = node;
        type_ = node.type();
    }
    // Text for the current Content: a text node's value or new text.
    void add(std::string_view text) { buffer_ += text; }
    void add(const InsertedRun& run) {
        if (!run.format) {
            buffer_ += Utf16ToUtf8(run.text);
            return;
        }
        flush();
        pugi::xml_node marked = parent_.insert_child_after("Content", last_);
        marked.append_child(type_).set_value(Utf16ToUtf8(run.text).c_str());
        marks_.contents.push_back(marked);
        marks_.formats[KeyOf(marked)] = run.format;
        last_ = marked;
        current_ = {};
    }
    void flush() {
        if (text_) {
            text_.set_value(buffer_.c_str());
        } else if (!buffer_.empty()) {
            content().append_child(type_).set_value(buffer_.c_str());
        }
        buffer_.clear();
        text_ = {};
    }

private:
    // The Content receiving text, created after the last one when there is none.
    pugi::xml_node content() {
        if (!current_) current_ = last_ = parent_.insert_child_after("Content", last_);
        return current_;
    }

    pugi::xml_node parent_, current_, last_;
    pugi::xml_node text_;  // the node add() writes, or none for a new one
    pugi::xml_node_type type_ = pugi::node_pcdata;
    std::string buffer_;
    Marks& marks_;
};

using InsertionsByNode = std::unordered_map<NodeKey, std::vector<const Insertion*>>;

// Writes one Content element with the insertions after its characters.
void WriteContent(pugi::xml_node content, InsertionsByNode& insertions, Marks& marks) {
    ContentWriter writer(content, content, marks);
    const std::vector<pugi::xml_node> children(content.begin(), content.end());
    for (const pugi::xml_node child : children) {
        const auto found = insertions.find(KeyOf(child));
        if (found == insertions.end()) {
            writer.keep(child);
            continue;
        }
        std::vector<const Insertion*>& list = found->second;
        std::stable_sort(list.begin(), list.end(),
                         [](const Insertion* a, const Insertion* b) { return a->after.end < b->after.end; });
        if (!IsCharacterData(child)) {  // a processing instruction
            writer.keep(child);
            for (const Insertion* insertion : list) {
                for (const InsertedRun& run : insertion->runs) writer.add(run);
            }
            continue;
        }
        const std::string value = child.value();
        const std::string_view characters = value;
        writer.rewrite(child);
        std::size_t from = 0;
        for (const Insertion* insertion : list) {
            const std::size_t to = std::clamp<std::size_t>(insertion->after.end, from, characters.size());
            writer.add(characters.substr(from, to - from));
            from = to;
            for (const InsertedRun& run : insertion->runs) writer.add(run);
        }
        writer.add(characters.substr(from));
    }
    writer.flush();
}

// Puts the inserted text into Content elements and marks the formatted runs.
Marks WriteText(const std::vector<Insertion>& insertions) {
    InsertionsByNode byNode;
    std::vector<pugi::xml_node> contents, elements;  // to write: Content elements; Br and anchored objects
    for (const Insertion& insertion : insertions) {
        const pugi::xml_node node = insertion.after.node;
        std::vector<const Insertion*>& list = byNode[KeyOf(node)];
        if (list.empty()) {
            const bool inContent = IsCharacterData(node) || node.type() == pugi::node_pi;
            (inContent ? contents : elements).push_back(inContent ? node.parent() : node);
        }
        list.push_back(&insertion);
    }
    std::sort(contents.begin(), contents.end(),
              [](pugi::xml_node a, pugi::xml_node b) { return std::less<>()(KeyOf(a), KeyOf(b)); });
    contents.erase(std::unique(contents.begin(), contents.end()), contents.end());
    Marks marks;
    for (const pugi::xml_node content : contents) WriteContent(content, byNode, marks);
    for (const pugi::xml_node element : elements) {
        ContentWriter writer({}, element, marks);
        for (const Insertion* insertion : byNode[KeyOf(element)]) {
            for (const InsertedRun& run : insertion->runs) writer.add(run);
        }
        writer.flush();
    }
    return marks;
}

bool IsEmptyRange(pugi::xml_node range) {
    for (pugi::xml_node child : range.children()) {
        if (!Named(child, "Properties") && child.type() != pugi::node_pcdata) return false;
    }
    return true;
}

void SetFormat(pugi::xml_node range, const RangeFormat& format) {
    if (!format.styleSelf.empty()) {
        pugi::xml_attribute style = range.attribute("AppliedCharacterStyle");
        if (!style) style = range.prepend_attribute("AppliedCharacterStyle");
        style.set_value(format.styleSelf.c_str());
        return;
    }
    pugi::xml_node properties = range.child("Properties");
    if (!properties) properties = range.prepend_child("Properties");
    pugi::xml_node font = properties.child("AppliedFont");
    if (!font) font = properties.append_child("AppliedFont");
    font.remove_children();
    font.remove_attributes();
    font.append_attribute("type").set_value("string");
    font.append_child(pugi::node_pcdata).set_value(Utf16ToUtf8(format.font).c_str());
    // The word's style (Bold, Condensed…) is no face of the notation's font.
    pugi::xml_attribute style = range.attribute("FontStyle");
    if (!style) style = range.append_attribute("FontStyle");
    style.set_value("Regular");
}

// New CharacterStyleRange elements with the attributes and Properties of one.
class RangeShell {
public:
    explicit RangeShell(pugi::xml_node range) : range_(range), properties_(range.child("Properties")) {}
    // A copy in `into`, before `anchor` or last.
    pugi::xml_node copy(pugi::xml_node into, pugi::xml_node anchor) const {
        pugi::xml_node shell =
            anchor ? into.insert_child_before(range_.name(), anchor) : into.append_child(range_.name());
        for (pugi::xml_attribute attribute : range_.attributes()) shell.append_copy(attribute);
        if (properties_) shell.append_copy(properties_);
        return shell;
    }

private:
    pugi::xml_node range_, properties_;
};

std::vector<pugi::xml_node> ChildrenToMove(pugi::xml_node node) {
    std::vector<pugi::xml_node> children;
    for (pugi::xml_node child : node.children()) {
        if (!Named(child, "Properties")) children.push_back(child);
    }
    return children;
}

// Rewrites a CharacterStyleRange as a row of copies of it in one pass:
// its children, in order, go into plain copies, a marked Content into a
// formatted copy of its own, and a container that holds one (`holding`) is
// lifted out and its children shared out the same way inside it.
void RebuildRange(pugi::xml_node range, const Marks& marks, const std::unordered_set<NodeKey>& holding) {
    struct Level {
        std::vector<pugi::xml_node> children;
        std::size_t next;
        pugi::xml_node into, anchor;  // where the copies go: before anchor, or last
        pugi::xml_node open;          // the plain copy being filled
    };
    const RangeShell shell(range);
    const auto close = [](Level& level) {
        if (level.open && IsEmptyRange(level.open)) level.open.parent().remove_child(level.open);
        level.open = {};
    };
    std::vector<Level> levels;
    levels.push_back({ChildrenToMove(range), 0, range.parent(), range, {}});
    while (!levels.empty()) {
        Level& level = levels.back();
        if (level.next == level.children.size()) {
            close(level);
            levels.pop_back();
            continue;
        }
        const pugi::xml_node node = level.children[level.next++];
        if (const auto format = marks.formats.find(KeyOf(node)); format != marks.formats.end()) {
            close(level);
            pugi::xml_node own = shell.copy(level.into, level.anchor);
            SetFormat(own, *format->second);
            own.append_move(node);
        } else if (holding.contains(KeyOf(node))) {
            close(level);
            if (level.anchor) level.into.insert_move_before(node, level.anchor);
            else level.into.append_move(node);
            levels.push_back({ChildrenToMove(node), 0, node, {}, {}});
        } else {
            if (!level.open) level.open = shell.copy(level.into, level.anchor);
            level.open.append_move(node);
        }
    }
    range.parent().remove_child(range);
}

// Gives every marked Content a range of its own: its CharacterStyleRange
// rebuilt once for all its marks, or a new range around it where it has none.
void IsolateMarked(const Marks& marks) {
    std::unordered_set<NodeKey> holding, seen;
    std::vector<pugi::xml_node> ranges;
    for (const pugi::xml_node content : marks.contents) {
        pugi::xml_node range = content.parent();
        while (range && !IsRange(range) && !IsTextRoot(range)) range = range.parent();
        if (!range || !IsRange(range)) {
            pugi::xml_node wrapper = content.parent().insert_child_before("CharacterStyleRange", content);
            wrapper.append_move(content);
            SetFormat(wrapper, *marks.formats.at(KeyOf(content)));
            continue;
        }
        for (pugi::xml_node node = content.parent(); node != range && holding.insert(KeyOf(node)).second;) {
            node = node.parent();
        }
        if (seen.insert(KeyOf(range)).second) ranges.push_back(range);
    }
    for (const pugi::xml_node range : ranges) RebuildRange(range, marks, holding);
}

}  // namespace

StoryXml::StoryXml(std::string_view xml, const std::string& entry) {
    package::ParseXmlPart(document_, xml, kParseOptions, entry);
    for (pugi::xml_node node = document_.first_child(); node; node = node.next_sibling()) {
        for (pugi::xml_node story : node.children("Story")) {
            texts_.emplace_back();
            CollectText(story, texts_.size() - 1, texts_);
        }
    }
}

void StoryXml::insert(const std::vector<Insertion>& insertions) {
    texts_ = {};
    IsolateMarked(WriteText(insertions));
}

std::string StoryXml::self() const {
    return document_.find_child([](pugi::xml_node node) { return node.child("Story"); })
        .child("Story")
        .attribute("Self")
        .value();
}

std::string StoryXml::save() const {
    constexpr unsigned kFormat = pugi::format_raw | pugi::format_no_declaration;
    // Measured first, so the text is written once into memory of its size.
    struct : pugi::xml_writer {
        void write(const void*, std::size_t size) override { bytes += size; }
        std::size_t bytes = 0;
    } counter;
    document_.save(counter, "", kFormat, pugi::encoding_utf8);
    struct : pugi::xml_writer {
        void write(const void* data, std::size_t size) override { xml.append(static_cast<const char*>(data), size); }
        std::string xml;
    } writer;
    writer.xml.reserve(counter.bytes);
    document_.save(writer, "", kFormat, pugi::encoding_utf8);
    return std::move(writer.xml);
}

}  // namespace sonotag::idml
