#include "idml/StoryXml.h"

#include <cstring>

#include "base/Utf.h"

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
bool IsAnchored(pugi::xml_node node) {
    return Named(node, "Table") || Named(node, "Footnote") || Named(node, "Note");
}

bool IsRange(pugi::xml_node node) { return Named(node, "CharacterStyleRange"); }

bool IsCharacterData(pugi::xml_node node) {
    return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

// The bytes a UTF-8 sequence starting with `lead` takes; 1 for a stray byte.
std::size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead < 0xF8) return 4;
    if (lead >= 0xE0) return lead < 0xF0 ? 3 : 1;
    if (lead >= 0xC0) return 2;
    return 1;
}

void AppendCharacterData(pugi::xml_node node, StoryText& text) {
    const std::string_view bytes = node.value();
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t length = std::min(SequenceLength(static_cast<unsigned char>(bytes[at])), bytes.size() - at);
        AppendUtf8AsUtf16(bytes.substr(at, length), text.text);
        at += length;
        text.sources.resize(text.text.size(), Source{node, static_cast<std::uint32_t>(at)});
    }
}

void AppendCharacter(pugi::xml_node node, char16_t character, StoryText& text) {
    text.text.push_back(character);
    text.sources.push_back({node, 0});
}

// Collects the characters under `node` into `text`; a text root below it
// starts a text of its own in `texts`.
void CollectText(pugi::xml_node node, std::size_t text, std::vector<StoryText>& texts) {
    for (pugi::xml_node child : node.children()) {
        if (Named(child, "Content")) {
            for (pugi::xml_node part : child.children()) {
                if (IsCharacterData(part)) AppendCharacterData(part, texts[text]);
                if (part.type() == pugi::node_pi) AppendCharacter(part, kObjectCharacter, texts[text]);
            }
        } else if (Named(child, "Br")) {
            AppendCharacter(child, u'\r', texts[text]);
        } else if (IsAnchored(child)) {
            AppendCharacter(child, kObjectCharacter, texts[text]);
            if (IsTextRoot(child)) {
                texts.emplace_back();
                CollectText(child, texts.size() - 1, texts);
            } else {
                CollectText(child, text, texts);
            }
        } else if (IsTextRoot(child)) {  // a table's cell
            texts.emplace_back();
            CollectText(child, texts.size() - 1, texts);
        } else if (child.type() == pugi::node_element && !Named(child, "Properties")) {
            CollectText(child, text, texts);  // a container; Properties hold no text
        }
    }
}

// ---- editing ----

bool IsEmptyRange(pugi::xml_node range) {
    for (pugi::xml_node child : range.children()) {
        if (!Named(child, "Properties") && child.type() != pugi::node_pcdata) return false;
    }
    return true;
}

// A new range beside `range` with its attributes and Properties.
pugi::xml_node CopyRangeShell(pugi::xml_node range, bool before) {
    pugi::xml_node parent = range.parent();
    pugi::xml_node copy = before ? parent.insert_child_before(range.name(), range)
                                 : parent.insert_child_after(range.name(), range);
    for (pugi::xml_attribute attribute : range.attributes()) copy.append_copy(attribute);
    if (pugi::xml_node properties = range.child("Properties")) copy.append_copy(properties);
    return copy;
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
}

// Moves the siblings of `from` on one side of it (not Properties) into `into`.
void MoveSiblings(pugi::xml_node from, bool preceding, pugi::xml_node into) {
    if (preceding) {
        for (pugi::xml_node node = from.previous_sibling(); node;) {
            pugi::xml_node previous = node.previous_sibling();
            if (pugi::xml_node properties = into.child("Properties"); Named(node, "Properties")) {
            } else if (properties) {
                into.insert_move_after(node, properties);
            } else {
                into.prepend_move(node);
            }
            node = previous;
        }
    } else {
        for (pugi::xml_node node = from.next_sibling(); node;) {
            pugi::xml_node next = node.next_sibling();
            into.append_move(node);
            node = next;
        }
    }
}

// Gives `content` a range of its own with `format`, split from the range
// around it. A container between the two (XMLElement, HyperlinkTextSource)
// is lifted out of the range and gets copies of it inside, as InDesign
// writes an element that spans several ranges.
void IsolateInRange(pugi::xml_node range, pugi::xml_node content, const RangeFormat& format) {
    pugi::xml_node child = content;
    while (child.parent() != range) child = child.parent();
    pugi::xml_node before = CopyRangeShell(range, true);
    pugi::xml_node after = CopyRangeShell(range, false);
    MoveSiblings(child, true, before);
    MoveSiblings(child, false, after);
    if (IsEmptyRange(before)) range.parent().remove_child(before);
    if (IsEmptyRange(after)) range.parent().remove_child(after);
    if (child == content) {
        SetFormat(range, format);
        return;
    }
    range.parent().insert_move_after(child, range);
    for (pugi::xml_node node = child.first_child(); node;) {
        pugi::xml_node next = node.next_sibling();
        range.append_move(node);
        node = next;
    }
    child.append_move(range);
    IsolateInRange(range, content, format);
}

void Isolate(pugi::xml_node content, const RangeFormat& format) {
    pugi::xml_node range = content.parent();
    while (range && !IsRange(range) && !IsTextRoot(range)) range = range.parent();
    if (range && IsRange(range)) {
        IsolateInRange(range, content, format);
        return;
    }
    pugi::xml_node wrapper = content.parent().insert_child_before("CharacterStyleRange", content);
    wrapper.append_move(content);
    SetFormat(wrapper, format);
}

// Splits a text node at a byte offset; the new node after it holds the rest.
pugi::xml_node SplitCharacterData(pugi::xml_node node, std::size_t at) {
    const std::string value = node.value();
    pugi::xml_node rest = node.parent().insert_child_after(node.type(), node);
    rest.set_value(value.substr(at).c_str());
    node.set_value(value.substr(0, at).c_str());
    return rest;
}

// Moves `node` and everything after it in its Content element into a new
// Content element right after that one.
pugi::xml_node SplitContentAt(pugi::xml_node node) {
    pugi::xml_node content = node.parent();
    if (node == content.first_child()) return content;
    pugi::xml_node rest = content.parent().insert_child_after("Content", content);
    for (pugi::xml_node part = node; part;) {
        pugi::xml_node next = part.next_sibling();
        rest.append_move(part);
        part = next;
    }
    return rest;
}

// A text node holding `utf8` right after the character `after`.
pugi::xml_node PlaceText(const Source& after, const std::string& utf8) {
    pugi::xml_node node = after.node;
    if (IsCharacterData(node)) {
        std::string value = node.value();
        if (after.end == value.size()) {
            value += utf8;
            node.set_value(value.c_str());
            return node;
        }
        SplitCharacterData(node, after.end);
        node.set_value((value.substr(0, after.end) + utf8).c_str());
        return node;
    }
    if (node.type() == pugi::node_pi) {
        pugi::xml_node text = node.parent().insert_child_after(pugi::node_pcdata, node);
        text.set_value(utf8.c_str());
        return text;
    }
    pugi::xml_node content = node.parent().insert_child_after("Content", node);  // after a Br or a table
    pugi::xml_node text = content.append_child(pugi::node_pcdata);
    text.set_value(utf8.c_str());
    return text;
}

}  // namespace

StoryXml::StoryXml(std::string_view xml, const std::string& entry) {
    const pugi::xml_parse_result parsed = document_.load_buffer(xml.data(), xml.size(), kParseOptions, pugi::encoding_utf8);
    if (!parsed) {
        throw PackageError(entry + " is not well-formed XML (" + parsed.description() + " at byte " +
                           std::to_string(parsed.offset) + ")");
    }
    for (pugi::xml_node node = document_.first_child(); node; node = node.next_sibling()) {
        for (pugi::xml_node story : node.children("Story")) {
            texts_.emplace_back();
            CollectText(story, texts_.size() - 1, texts_);
        }
    }
}

void StoryXml::insertAfter(const Source& after, const std::vector<InsertedRun>& runs) {
    std::string utf8;
    struct Piece {
        std::size_t start, end;
        const RangeFormat* format;
    };
    std::vector<Piece> formatted;
    for (const InsertedRun& run : runs) {
        const std::size_t start = utf8.size();
        utf8 += Utf16ToUtf8(run.text);
        if (!run.format.font.empty() || !run.format.styleSelf.empty()) {
            formatted.push_back({start, utf8.size(), &run.format});
        }
    }
    if (utf8.empty()) return;
    pugi::xml_node node = PlaceText(after, utf8);
    const std::size_t base = std::strlen(node.value()) - utf8.size();
    // Last piece first, so the node keeps the text before each piece.
    for (auto piece = formatted.rbegin(); piece != formatted.rend(); ++piece) {
        pugi::xml_node middle = base + piece->start == 0 ? node : SplitCharacterData(node, base + piece->start);
        if (piece->end - piece->start < std::strlen(middle.value())) SplitCharacterData(middle, piece->end - piece->start);
        pugi::xml_node content = SplitContentAt(middle);
        if (middle.next_sibling()) SplitContentAt(middle.next_sibling());
        Isolate(content, *piece->format);
    }
}

std::string StoryXml::self() const {
    return document_.find_child([](pugi::xml_node node) { return node.child("Story"); })
        .child("Story")
        .attribute("Self")
        .value();
}

std::string StoryXml::save() const {
    struct : pugi::xml_writer {
        void write(const void* data, std::size_t size) override { xml.append(static_cast<const char*>(data), size); }
        std::string xml;
    } writer;
    document_.save(writer, "", pugi::format_raw | pugi::format_no_declaration, pugi::encoding_utf8);
    return std::move(writer.xml);
}

}  // namespace sonotag::idml
