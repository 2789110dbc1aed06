#include "docx/StoryPart.h"

#include <algorithm>
#include <charconv>
#include <set>
#include <span>
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

// Whether inserted text holds a tab or a line break, which a w:t cannot hold.
bool HasBreak(std::u16string_view text) { return text.find_first_of(u"\t\r\n") != std::u16string_view::npos; }

// XML text: markup, and character data and attribute values escaped.
class XmlText {
public:
    template <class... Parts>
    void markup(const Parts&... parts) {
        ((text_ += parts), ...);
    }
    // `<name`, for attributes and `>` or `/>` to follow.
    void open(std::string_view name) {
        text_ += '<';
        text_ += name;
    }
    void close(std::string_view name) {
        text_ += "</";
        text_ += name;
        text_ += '>';
    }
    void characters(std::string_view text) {
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t special = std::min(text.find_first_of("&<>", at), text.size());
            text_.append(text, at, special - at);
            if (special == text.size()) break;
            text_ += text[special] == '&' ? "&amp;" : text[special] == '<' ? "&lt;" : "&gt;";
            at = special + 1;
        }
    }
    // ` name="value"`; blanks other than spaces as references, which attribute normalisation keeps.
    void attribute(std::string_view name, std::string_view value) {
        text_ += ' ';
        text_ += name;
        text_ += "=\"";
        for (const char c : value) {
            switch (c) {
                case '&': text_ += "&amp;"; break;
                case '<': text_ += "&lt;"; break;
                case '"': text_ += "&quot;"; break;
                case '\t': text_ += "&#9;"; break;
                case '\n': text_ += "&#10;"; break;
                case '\r': text_ += "&#13;"; break;
                default: text_ += c;
            }
        }
        text_ += '"';
    }
    void attributes(pugi::xml_node node) {
        for (const pugi::xml_attribute attribute : node.attributes())
            this->attribute(attribute.name(), attribute.value());
    }
    std::string take() { return std::move(text_); }
    std::size_t size() const { return text_.size(); }
    void reserve(std::size_t bytes) { text_.reserve(bytes); }

private:
    std::string text_;
};

// Writes a part's XML with the insertions in place, in one pass: a run that
// holds the character an insertion follows is written as its part up to
// there, the inserted runs, and a run with its attributes and properties for
// the rest; nothing in the document is changed.
class PartWriter {
public:
    using InsertionsByNode = std::unordered_map<NodeKey, std::vector<const Insertion*>>;

    PartWriter(const Names& names, const InsertionsByNode& insertions, const std::function<std::string()>& newId)
        : names_(names), insertions_(insertions), newId_(newId) {}

    // `node` and everything in it.
    void write(pugi::xml_node node) {
        const auto found = insertions_.find(node.internal_object());
        if (found != insertions_.end() && names_.run == node.name()) {
            splitRun(node, found->second);
            return;
        }
        switch (node.type()) {
            case pugi::node_document:
                for (const pugi::xml_node child : node.children()) write(child);
                break;
            case pugi::node_element: element(node); break;
            case pugi::node_pcdata: out_.characters(node.value()); break;
            case pugi::node_cdata: out_.markup("<![CDATA[", node.value(), "]]>"); break;
            case pugi::node_comment: out_.markup("<!--", node.value(), "-->"); break;
            case pugi::node_pi: out_.markup("<?", node.name(), " ", node.value(), "?>"); break;
            case pugi::node_declaration:
                out_.markup("<?", node.name());
                out_.attributes(node);
                out_.markup("?>");
                break;
            case pugi::node_doctype: out_.markup("<!DOCTYPE ", node.value(), ">"); break;
            case pugi::node_null: break;
        }
        // After an element outside any run (an object of the paragraph itself): runs with no properties to copy.
        if (found != insertions_.end()) {
            for (const Insertion* insertion : found->second) insertedRuns({}, *insertion, 0);
        }
    }

    std::string take() { return out_.take(); }
    void reserve(std::size_t bytes) { out_.reserve(bytes); }

private:
    void element(pugi::xml_node node) {
        out_.open(node.name());
        out_.attributes(node);
        if (!node.first_child()) {
            out_.markup("/>");
            return;
        }
        out_.markup(">");
        for (const pugi::xml_node child : node.children()) write(child);
        out_.close(node.name());
    }

    // The run split after each of the points, given in text order, and their runs put in between. The part after
    // a cut goes into a run with the attributes and a copy of the properties of this one, opened only when there
    // is something for it.
    void splitRun(pugi::xml_node run, const std::vector<const Insertion*>& points) {
        const pugi::xml_node properties = run.child(names_.properties.c_str());
        bool open = false, first = true;  // a run is open; it is the run itself, its properties as they are
        const auto openRun = [&] {
            if (open) return;
            out_.open(run.name());
            out_.attributes(run);
            out_.markup(">");
            if (first && properties) write(properties);
            else runProperties(properties, nullptr);
            open = true;
            first = false;
        };
        const auto cut = [&](const Insertion& insertion, std::size_t from) {
            openRun();
            out_.close(run.name());
            open = false;
            insertedRuns(properties, insertion, from);
        };
        openRun();
        std::size_t next = 0;
        for (const pugi::xml_node child : run.children()) {
            if (child == properties) continue;
            if (child.type() == pugi::node_pcdata && !open) continue;  // blanks between elements, nothing to keep
            const bool holdsPoint = next < points.size() && points[next]->after.node.parent() == child;
            if (!holdsPoint) {
                openRun();
                write(child);
                while (next < points.size() && points[next]->after.node == child) cut(*points[next++], 0);
                continue;
            }
            // Cut points inside this w:t: its text shared out among it and new w:t in the runs after it, the
            // unformatted text an insertion starts with (the separator) joined to the text before the cut.
            std::string segment;
            bool head = true;  // the segment is the w:t's own, with its attributes
            const auto flush = [&] {
                if (segment.empty() && !head) return;
                openRun();
                out_.open(child.name());
                for (const pugi::xml_attribute attribute : child.attributes()) {
                    if (head && std::string_view(attribute.name()) != "xml:space")
                        out_.attribute(attribute.name(), attribute.value());
                }
                if (HasBlankEdge(segment) || (head && Preserves(child))) out_.attribute("xml:space", "preserve");
                out_.markup(">");
                out_.characters(segment);
                out_.close(child.name());
                segment.clear();
                head = false;
            };
            for (const Piece& piece : VisiblePieces(child)) {
                const std::string_view value = piece.node.value();
                std::size_t from = piece.from;
                for (; next < points.size() && points[next]->after.node == piece.node; ++next) {
                    const std::size_t end = std::clamp<std::size_t>(points[next]->after.end, from, piece.to);
                    segment += value.substr(from, end - from);
                    from = end;
                    const std::vector<InsertedRun>& runs = points[next]->runs;
                    std::size_t joined = 0;
                    for (; joined < runs.size() && !runs[joined].look && !HasBreak(runs[joined].text); ++joined)
                        segment += Utf16ToUtf8(runs[joined].text);
                    flush();
                    cut(*points[next], joined);
                }
                segment += value.substr(from, piece.to - from);
            }
            flush();
        }
        if (open) out_.close(run.name());
    }

    // The insertion's runs from `from` on, each with the properties given and its look.
    void insertedRuns(pugi::xml_node properties, const Insertion& insertion, std::size_t from) {
        for (const InsertedRun& inserted : std::span(insertion.runs).subspan(from)) {
            out_.markup("<", names_.run, ">");
            runProperties(properties, inserted.look);
            text(inserted.text);
            out_.close(names_.run);
        }
    }

    // A copy of the run properties with the look set over them: the style
    // first (the schema's order) with the fonts no longer set in the run; or
    // the font in w:rFonts for every script, after the style, the theme's
    // fonts (which would win) removed. A copied w:rPrChange gets a new id.
    void runProperties(pugi::xml_node properties, const RunLook* look) {
        const bool styled = look && !look->styleId.empty(), fonted = look && !styled;
        if (!properties && !look) return;
        out_.open(names_.properties);
        if (properties) out_.attributes(properties);
        out_.markup(">");
        if (styled) {
            out_.open(names_.style);
            out_.attribute(names_.value, look->styleId);
            out_.markup("/>");
        }
        bool fonts = false;
        const auto newFonts = [&] {
            if (!fonted || fonts) return;
            out_.open(names_.fonts);
            for (const char* script : kScripts) out_.attribute(names_.attribute(script), Utf16ToUtf8(look->font));
            out_.markup("/>");
            fonts = true;
        };
        for (const pugi::xml_node child : properties.children()) {
            const std::string_view name = child.name();
            if (name == names_.style) {
                if (!styled) write(child);
                continue;
            }
            if (name == names_.fonts && look) {
                fontsWith(child, *look);
                fonts = true;
            } else if (name == names_.change && child.attribute(names_.id.c_str())) {
                newFonts();
                out_.open(name);
                for (const pugi::xml_attribute attribute : child.attributes())
                    out_.attribute(attribute.name(), attribute.name() == names_.id ? newId_() : attribute.value());
                out_.markup(">");
                for (const pugi::xml_node inner : child.children()) write(inner);
                out_.close(name);
            } else {
                if (child.type() == pugi::node_element) newFonts();
                write(child);
            }
        }
        newFonts();
        out_.close(names_.properties);
    }

    // A run's w:rFonts with the look: its theme fonts gone, its script fonts the look's font or, for a style, gone.
    void fontsWith(pugi::xml_node fonts, const RunLook& look) {
        XmlText kept;
        const bool styled = !look.styleId.empty();
        const std::string font = Utf16ToUtf8(look.font);
        std::set<std::string_view> present;  // the scripts it sets
        for (const pugi::xml_attribute attribute : fonts.attributes()) {
            const std::string_view local = LocalName(attribute.name());
            const bool theme = std::find(std::begin(kThemes), std::end(kThemes), local) != std::end(kThemes);
            const bool script = std::find(std::begin(kScripts), std::end(kScripts), local) != std::end(kScripts);
            if (theme || (script && styled)) continue;
            kept.attribute(attribute.name(), script ? font : attribute.value());
            if (script) present.insert(local);
        }
        if (!styled) {
            for (const char* script : kScripts) {
                if (!present.contains(script)) kept.attribute(names_.attribute(script), font);
            }
        }
        if (styled && kept.size() == 0) return;
        out_.markup("<", fonts.name(), kept.take(), "/>");
    }

    // Text as w:t, its tabs and line breaks as w:tab and w:br.
    void text(std::u16string_view text) {
        while (!text.empty()) {
            const std::size_t stop = std::min(text.find_first_of(u"\t\r\n"), text.size());
            if (stop > 0) {
                const std::string characters = Utf16ToUtf8(text.substr(0, stop));
                out_.open(names_.text);
                if (HasBlankEdge(characters)) out_.attribute("xml:space", "preserve");
                out_.markup(">");
                out_.characters(characters);
                out_.close(names_.text);
            }
            if (stop == text.size()) break;
            out_.markup("<", text[stop] == u'\t' ? names_.tab : names_.lineBreak, "/>");
            text.remove_prefix(stop + 1);
        }
    }

    static constexpr std::string_view kThemes[] = {"asciiTheme", "hAnsiTheme", "eastAsiaTheme", "cstheme"};
    static constexpr const char* kScripts[] = {"ascii", "hAnsi", "eastAsia", "cs"};

    const Names& names_;
    const InsertionsByNode& insertions_;
    const std::function<std::string()>& newId_;
    XmlText out_;
};

}  // namespace

StoryPart::StoryPart(std::string_view xml, const std::string& entry) : bytes_(xml.size()) {
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

std::string StoryPart::save(const std::vector<Insertion>& insertions, const std::function<std::string()>& newId) const {
    const Names names(prefix_, attributePrefix_, compatibilityPrefix_);
    // Each run (or element outside a run) with its insertions, in text order.
    PartWriter::InsertionsByNode byNode;
    for (const Insertion& insertion : insertions) {
        const pugi::xml_node node = insertion.after.node;
        const pugi::xml_node content = IsCharacterData(node) ? node.parent() : node;
        const pugi::xml_node holder = names.run == content.parent().name() ? content.parent() : content;
        byNode[holder.internal_object()].push_back(&insertion);
    }
    PartWriter writer(names, byNode, newId);
    constexpr std::size_t kBytesPerInsertion = 512;  // a run or two with copied properties
    writer.reserve(bytes_ + insertions.size() * kBytesPerInsertion);
    writer.write(document_);
    return writer.take();
}

}  // namespace sonotag::docx
