#include "docx/StoryPart.h"

#include <algorithm>
#include <charconv>
#include <unordered_map>

#include "base/Utf.h"
#include "docx/WordXml.h"

namespace sonotag::docx {
namespace {

constexpr std::size_t kNoText = static_cast<std::size_t>(-1);
constexpr std::string_view kBlanks = " \t\r\n";

// What an element of a story part is to its text.
enum class Kind {
    Other,  // a container: its children are read in the text it stands in
    Paragraph,
    Text,
    Tab,
    Break,
    NoBreakHyphen,
    SoftHyphen,
    Object,  // one character; paragraphs inside it are texts of their own
    FieldChar,
    Hidden,  // no text: properties, deletions, field codes, ruby text
};

Kind WordKind(std::string_view local) {
    static const std::unordered_map<std::string_view, Kind> kinds = {
        {"p", Kind::Paragraph},
        {"t", Kind::Text},
        {"tab", Kind::Tab},
        {"ptab", Kind::Tab},
        {"br", Kind::Break},
        {"cr", Kind::Break},
        {"noBreakHyphen", Kind::NoBreakHyphen},
        {"softHyphen", Kind::SoftHyphen},
        {"sym", Kind::Object},
        {"drawing", Kind::Object},
        {"pict", Kind::Object},
        {"object", Kind::Object},
        {"footnoteReference", Kind::Object},
        {"endnoteReference", Kind::Object},
        {"footnoteRef", Kind::Object},
        {"endnoteRef", Kind::Object},
        {"separator", Kind::Object},
        {"continuationSeparator", Kind::Object},
        {"pgNum", Kind::Object},
        {"fldChar", Kind::FieldChar},
        {"del", Kind::Hidden},
        {"moveFrom", Kind::Hidden},
        {"delText", Kind::Hidden},
        {"instrText", Kind::Hidden},
        {"delInstrText", Kind::Hidden},
        {"rt", Kind::Hidden},
        {"pPr", Kind::Hidden},
        {"rPr", Kind::Hidden},
        {"sectPr", Kind::Hidden},
        {"tblPr", Kind::Hidden},
        {"tblPrEx", Kind::Hidden},
        {"tblGrid", Kind::Hidden},
        {"trPr", Kind::Hidden},
        {"tcPr", Kind::Hidden},
        {"sdtPr", Kind::Hidden},
        {"sdtEndPr", Kind::Hidden},
        {"customXmlPr", Kind::Hidden},
        {"smartTagPr", Kind::Hidden},
    };
    const auto found = kinds.find(local);
    return found == kinds.end() ? Kind::Other : found->second;
}

// The part's names of the elements and attributes its reading and writing
// use, with the part's own prefixes.
struct Names {
    // `w`: WordprocessingML's prefix for elements, `a` for attributes; `mc`: markup compatibility's.
    Names(const std::string& w, const std::string& a, const std::string& mc)
        : prefix(w),
          attributePrefix(a),
          alternateContent(mc + "AlternateContent"),
          run(w + "r"),
          properties(w + "rPr"),
          text(w + "t"),
          tab(w + "tab"),
          lineBreak(w + "br"),
          fonts(w + "rFonts"),
          style(w + "rStyle"),
          change(w + "rPrChange"),
          id(a + "id"),
          value(a + "val"),
          fieldCharType(a + "fldCharType") {}

    Kind kindOf(std::string_view name) const {
        const std::size_t colon = name.find(':');
        const bool word =
            prefix.empty() ? colon == std::string_view::npos : colon == prefix.size() - 1 && name.starts_with(prefix);
        if (word) return WordKind(name.substr(prefix.size()));
        return name == alternateContent ? Kind::Object : Kind::Other;
    }
    std::string attribute(std::string_view local) const { return attributePrefix + std::string(local); }

    std::string prefix, attributePrefix, alternateContent, run, properties, text, tab, lineBreak, fonts, style, change,
        id, value, fieldCharType;
};

bool IsCharacterData(pugi::xml_node node) {
    return node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata;
}

bool Preserves(pugi::xml_node text) { return std::string_view(text.attribute("xml:space").value()) == "preserve"; }

// The bytes of one text node of a w:t that a reader shows.
struct Piece {
    pugi::xml_node node;
    std::size_t from = 0, to = 0;
};

// The w:t's text nodes, its leading and trailing blanks left out unless it preserves them.
std::vector<Piece> VisiblePieces(pugi::xml_node text) {
    std::vector<Piece> pieces;
    for (const pugi::xml_node child : text.children()) {
        if (IsCharacterData(child)) pieces.push_back({child, 0, std::string_view(child.value()).size()});
    }
    if (Preserves(text)) return pieces;
    for (Piece& piece : pieces) {
        const std::size_t first = std::string_view(piece.node.value()).find_first_not_of(kBlanks);
        piece.from = first == std::string_view::npos ? piece.to : first;
        if (piece.from < piece.to) break;
    }
    for (auto piece = pieces.rbegin(); piece != pieces.rend(); ++piece) {
        const std::size_t last = std::string_view(piece->node.value()).substr(0, piece->to).find_last_not_of(kBlanks);
        piece->to = last == std::string_view::npos || last < piece->from ? piece->from : last + 1;
        if (piece->from < piece->to) break;
    }
    return pieces;
}

// The bytes a UTF-8 sequence starting with `lead` takes; 1 for a stray byte.
std::size_t SequenceLength(unsigned char lead) {
    if (lead >= 0xF0 && lead < 0xF8) return 4;
    if (lead >= 0xE0) return lead < 0xF0 ? 3 : 1;
    if (lead >= 0xC0) return 2;
    return 1;
}

void AppendPiece(const Piece& piece, ParagraphText& text) {
    const std::string_view bytes = piece.node.value();
    for (std::size_t at = piece.from; at < piece.to;) {
        const std::size_t length = std::min(SequenceLength(static_cast<unsigned char>(bytes[at])), piece.to - at);
        AppendUtf8AsUtf16(bytes.substr(at, length), text.text);
        at += length;
        text.sources.resize(text.text.size(), Source{piece.node, static_cast<std::uint32_t>(at)});
    }
}

// The complex fields open at a point of the part: a field's code (from its
// begin mark to its separate mark) is no text, its result is.
class FieldState {
public:
    void mark(std::string_view type) {
        if (type == "begin") {
            inCode_.push_back(true);
            ++codes_;
        } else if (type == "separate" && !inCode_.empty() && inCode_.back()) {
            inCode_.back() = false;
            --codes_;
        } else if (type == "end" && !inCode_.empty()) {
            codes_ -= inCode_.back() ? 1 : 0;
            inCode_.pop_back();
        }
    }
    bool inCode() const { return codes_ > 0; }

private:
    std::vector<bool> inCode_;  // each open field, innermost last: still in its code
    int codes_ = 0;
};

// Reads every paragraph under `root` into `texts`, in document order. A
// walk with a stack of its own, as deep as the XML.
void CollectTexts(pugi::xml_node root, const Names& names, std::vector<ParagraphText>& texts) {
    struct Level {
        pugi::xml_node next;
        std::size_t text;  // the paragraph its characters go to, or kNoText
    };
    FieldState fields;
    std::vector<Level> levels{{root.first_child(), kNoText}};
    while (!levels.empty()) {
        const pugi::xml_node child = levels.back().next;
        if (!child) {
            levels.pop_back();
            continue;
        }
        levels.back().next = child.next_sibling();
        if (child.type() != pugi::node_element) continue;
        const std::size_t current = levels.back().text;
        const bool shown = current != kNoText && !fields.inCode();
        const auto add = [&](char16_t character) {
            if (!shown) return;
            texts[current].text.push_back(character);
            texts[current].sources.push_back({child, 0});
        };
        switch (names.kindOf(child.name())) {
            case Kind::Paragraph:
                texts.emplace_back();
                levels.push_back({child.first_child(), texts.size() - 1});
                break;
            case Kind::Text:
                if (!shown) break;
                for (const Piece& piece : VisiblePieces(child)) AppendPiece(piece, texts[current]);
                break;
            case Kind::Tab: add(u'\t'); break;
            case Kind::Break: add(u'\n'); break;
            case Kind::NoBreakHyphen: add(u'\u2011'); break;
            case Kind::SoftHyphen: add(u'\u00AD'); break;
            case Kind::Object:
                add(kObjectCharacter);
                levels.push_back({child.first_child(), kNoText});
                break;
            case Kind::FieldChar: fields.mark(child.attribute(names.fieldCharType.c_str()).value()); break;
            case Kind::Hidden: break;
            case Kind::Other: levels.push_back({child.first_child(), current}); break;
        }
    }
}

// ---- writing ----

using NodeKey = pugi::xml_node_struct*;

bool HasBlankEdge(std::string_view text) {
    return !text.empty() && (kBlanks.find(text.front()) != std::string_view::npos ||
                             kBlanks.find(text.back()) != std::string_view::npos);
}

void SetAttribute(pugi::xml_node node, const std::string& name, const char* value) {
    pugi::xml_attribute attribute = node.attribute(name.c_str());
    if (!attribute) attribute = node.append_attribute(name.c_str());
    attribute.set_value(value);
}

// The w:t's text made `text`, marked to keep its blanks where it has them at an edge.
void SetText(pugi::xml_node element, const std::string& text) {
    element.remove_children();
    element.append_child(pugi::node_pcdata).set_value(text.c_str());
    if (HasBlankEdge(text)) SetAttribute(element, "xml:space", "preserve");
}

// Splits runs and puts inserted runs into one part.
class PartWriter {
public:
    PartWriter(const Names& names, const std::function<std::string()>& newId) : names_(names), newId_(newId) {}

    // The run split after each of the points, given in text order, and their runs put in between.
    void splitRun(pugi::xml_node run, const std::vector<const Insertion*>& points) {
        const pugi::xml_node properties = run.child(names_.properties.c_str());
        std::vector<pugi::xml_node> children;
        for (const pugi::xml_node child : run.children()) {
            if (child != properties) children.push_back(child);
        }
        pugi::xml_node target = run, last = run;  // the run receiving content; the last run placed
        const auto cut = [&](const Insertion& insertion) {
            last = insertRuns(last, properties, insertion);
            target = last = shell(run, last, properties);
        };
        std::size_t next = 0;
        for (const pugi::xml_node child : children) {
            if (target != run) target.append_move(child);
            if (next < points.size() && points[next]->after.node == child) {
                cut(*points[next++]);
                continue;
            }
            if (next == points.size() || points[next]->after.node.parent() != child) continue;
            // Cut points inside this w:t: its text shared out among it and new w:t in the runs after it.
            std::vector<std::string> segments(1);
            std::vector<const Insertion*> cuts;
            for (const Piece& piece : VisiblePieces(child)) {
                const std::string_view value = piece.node.value();
                std::size_t from = piece.from;
                for (; next < points.size() && points[next]->after.node == piece.node; ++next) {
                    const std::size_t end = std::clamp<std::size_t>(points[next]->after.end, from, piece.to);
                    segments.back() += value.substr(from, end - from);
                    from = end;
                    cuts.push_back(points[next]);
                    segments.emplace_back();
                }
                segments.back() += value.substr(from, piece.to - from);
            }
            SetText(child, segments.front());
            for (std::size_t k = 0; k < cuts.size(); ++k) {
                cut(*cuts[k]);
                if (!segments[k + 1].empty()) SetText(target.append_child(names_.text.c_str()), segments[k + 1]);
            }
        }
        if (target != run && !HoldsContent(target)) target.parent().remove_child(target);
    }

    // Runs after an element outside any run (an object of the paragraph itself), with no properties to copy.
    void insertAfter(pugi::xml_node element, const std::vector<const Insertion*>& insertions) {
        for (const Insertion* insertion : insertions) element = insertRuns(element, {}, *insertion);
    }

private:
    bool HoldsContent(pugi::xml_node run) const {
        for (const pugi::xml_node child : run.children()) {
            if (child.type() == pugi::node_element && names_.properties != child.name()) return true;
        }
        return false;
    }

    // The insertion's runs after `last`, in its parent; returns the last of them.
    pugi::xml_node insertRuns(pugi::xml_node last, pugi::xml_node properties, const Insertion& insertion) {
        for (const InsertedRun& inserted : insertion.runs) {
            const pugi::xml_node run = last.parent().insert_child_after(names_.run.c_str(), last);
            copyProperties(run, properties);
            if (inserted.look) setLook(run, *inserted.look);
            appendText(run, inserted.text);
            last = run;
        }
        return last;
    }

    // A run with the attributes of `run` and a copy of its properties, after `last`.
    pugi::xml_node shell(pugi::xml_node run, pugi::xml_node last, pugi::xml_node properties) {
        pugi::xml_node copy = run.parent().insert_child_after(run.name(), last);
        for (const pugi::xml_attribute attribute : run.attributes()) copy.append_copy(attribute);
        copyProperties(copy, properties);
        return copy;
    }

    void copyProperties(pugi::xml_node run, pugi::xml_node properties) {
        if (!properties) return;
        const pugi::xml_node copy = run.append_copy(properties);
        for (pugi::xml_node change = copy.child(names_.change.c_str()); change;
             change = change.next_sibling(names_.change.c_str())) {
            if (change.attribute(names_.id.c_str())) SetAttribute(change, names_.id, newId_().c_str());
        }
    }

    // The run's properties given the look: the style first (the schema's
    // order), its fonts no longer set in the run; or the font in w:rFonts
    // for every script, the theme's fonts (which would win) removed.
    void setLook(pugi::xml_node run, const RunLook& look) {
        pugi::xml_node properties = run.child(names_.properties.c_str());
        if (!properties) properties = run.prepend_child(names_.properties.c_str());
        pugi::xml_node style = properties.child(names_.style.c_str());
        pugi::xml_node fonts = properties.child(names_.fonts.c_str());
        static constexpr const char* kThemes[] = {"asciiTheme", "hAnsiTheme", "eastAsiaTheme", "cstheme"};
        static constexpr const char* kScripts[] = {"ascii", "hAnsi", "eastAsia", "cs"};
        if (!look.styleId.empty()) {
            if (!style) style = properties.prepend_child(names_.style.c_str());
            SetAttribute(style, names_.value, look.styleId.c_str());
            if (!fonts) return;
            for (const char* name : kThemes) fonts.remove_attribute(names_.attribute(name).c_str());
            for (const char* name : kScripts) fonts.remove_attribute(names_.attribute(name).c_str());
            if (!fonts.first_attribute()) properties.remove_child(fonts);
            return;
        }
        if (!fonts) {
            fonts = style ? properties.insert_child_after(names_.fonts.c_str(), style)
                          : properties.prepend_child(names_.fonts.c_str());
        }
        for (const char* name : kThemes) fonts.remove_attribute(names_.attribute(name).c_str());
        const std::string font = Utf16ToUtf8(look.font);
        for (const char* name : kScripts) SetAttribute(fonts, names_.attribute(name), font.c_str());
    }

    // Text as w:t, its tabs and line breaks as w:tab and w:br.
    void appendText(pugi::xml_node run, std::u16string_view text) {
        while (!text.empty()) {
            const std::size_t stop = std::min(text.find_first_of(u"\t\r\n"), text.size());
            if (stop > 0) SetText(run.append_child(names_.text.c_str()), Utf16ToUtf8(text.substr(0, stop)));
            if (stop == text.size()) break;
            run.append_child((text[stop] == u'\t' ? names_.tab : names_.lineBreak).c_str());
            text.remove_prefix(stop + 1);
        }
    }

    const Names& names_;
    const std::function<std::string()>& newId_;
};

}  // namespace

StoryPart::StoryPart(std::string_view xml, const std::string& entry) {
    ParseWordXml(document_, xml, entry);
    const pugi::xml_node root = document_.document_element();
    prefix_ = WordPrefix(root, entry, NameKind::Element);
    attributePrefix_ = WordPrefix(root, entry, NameKind::Attribute);
    compatibilityPrefix_ = PrefixOf(root, kCompatibilityNamespace, "mc:", NameKind::Element);
    CollectTexts(root, Names(prefix_, attributePrefix_, compatibilityPrefix_), texts_);
}

std::uint64_t StoryPart::highestId() const {
    const std::string id = attributePrefix_ + "id";
    std::uint64_t highest = 0;
    for (pugi::xml_node node = document_.document_element(); node;) {
        const std::string_view value = node.attribute(id.c_str()).value();
        std::uint64_t number = 0;
        if (std::from_chars(value.data(), value.data() + value.size(), number).ec == std::errc())
            highest = std::max(highest, number);
        if (node.first_child()) {
            node = node.first_child();
            continue;
        }
        while (node && !node.next_sibling()) node = node.parent();
        if (node) node = node.next_sibling();
    }
    return highest;
}

void StoryPart::insert(const std::vector<Insertion>& insertions, const std::function<std::string()>& newId) {
    const Names names(prefix_, attributePrefix_, compatibilityPrefix_);
    // Each run (or element outside a run) with its insertions, in text order.
    std::vector<pugi::xml_node> order;
    std::unordered_map<NodeKey, std::vector<const Insertion*>> byNode;
    for (const Insertion& insertion : insertions) {
        const pugi::xml_node node = insertion.after.node;
        const pugi::xml_node content = IsCharacterData(node) ? node.parent() : node;
        const pugi::xml_node holder = names.run == content.parent().name() ? content.parent() : content;
        std::vector<const Insertion*>& list = byNode[holder.internal_object()];
        if (list.empty()) order.push_back(holder);
        list.push_back(&insertion);
    }
    PartWriter writer(names, newId);
    for (const pugi::xml_node holder : order) {
        const std::vector<const Insertion*>& list = byNode.at(holder.internal_object());
        if (names.run == holder.name()) writer.splitRun(holder, list);
        else writer.insertAfter(holder, list);
    }
    texts_ = {};
}

std::string StoryPart::save() const {
    constexpr unsigned kFormat = pugi::format_raw | pugi::format_no_declaration;
    struct : pugi::xml_writer {
        void write(const void* data, std::size_t size) override { xml.append(static_cast<const char*>(data), size); }
        std::string xml;
    } writer;
    document_.save(writer, "", kFormat, pugi::encoding_utf8);
    return std::move(writer.xml);
}

}  // namespace sonotag::docx
