#include "docx/DocxDocument.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <set>
#include <stdexcept>

#include <pugixml.hpp>

#include "base/StylePath.h"
#include "base/Utf.h"
#include "documents/TextPieces.h"
#include "docx/StoryPart.h"
#include "docx/WordXml.h"
#include "model/Document.h"
#include "model/Origins.h"
#include "package/ZipArchive.h"

namespace sonotag::docx {
namespace {

constexpr char kContentTypes[] = "[Content_Types].xml";
constexpr char kPackageRelationships[] = "_rels/.rels";
constexpr char kRelationshipTypes[] = "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
constexpr std::string_view kWordMainTypes[] = {
    "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml",
    "application/vnd.openxmlformats-officedocument.wordprocessingml.template.main+xml",
};

struct Relationship {
    std::string type;    // the part of a transitional type after kRelationshipTypes, or the whole type
    std::string target;  // the entry it names
};

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
    });
}

std::string FolderOf(std::string_view entry) {
    const std::size_t slash = entry.rfind('/');
    return std::string(slash == std::string_view::npos ? "" : entry.substr(0, slash + 1));
}

// The entry a relationship's target names from `folder`: "/" is the package's root, ".." a folder up.
std::string Resolve(const std::string& folder, std::string_view target) {
    const std::string path = target.starts_with('/') ? std::string(target.substr(1)) : folder + std::string(target);
    std::vector<std::string> segments;
    for (std::size_t at = 0; at <= path.size();) {
        const std::size_t slash = std::min(path.find('/', at), path.size());
        const std::string segment = path.substr(at, slash - at);
        if (segment == "..") {
            if (!segments.empty()) segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        at = slash + 1;
    }
    std::string entry;
    for (const std::string& segment : segments) entry += (entry.empty() ? "" : "/") + segment;
    return entry;
}

// The entry holding a part's relationships (the package's own for "").
std::string RelationshipsEntry(const std::string& part) {
    const std::string folder = FolderOf(part);
    return folder + "_rels/" + part.substr(folder.size()) + ".rels";
}

// The internal relationships of a part, in order; none when it has no relationships entry.
std::vector<Relationship> RelationshipsOf(const package::ZipArchive& zip, const std::string& part) {
    const std::string folder = FolderOf(part);
    const std::string entry = RelationshipsEntry(part);
    std::vector<Relationship> relationships;
    if (!zip.contains(entry)) return relationships;
    pugi::xml_document xml;
    ParseWordXml(xml, zip.read(entry), entry);
    for (const pugi::xml_node node : xml.document_element().children()) {
        if (LocalName(node.name()) != "Relationship" ||
            std::string_view(node.attribute("TargetMode").value()) == "External")
            continue;
        std::string_view type = node.attribute("Type").value();
        if (type.starts_with(kRelationshipTypes)) type.remove_prefix(std::string_view(kRelationshipTypes).size());
        relationships.push_back({std::string(type), Resolve(folder, node.attribute("Target").value())});
    }
    return relationships;
}

// The content type [Content_Types].xml gives an entry: its override, or the default for its extension.
std::string ContentTypeOf(const pugi::xml_document& types, const std::string& entry) {
    const std::string extension = entry.substr(std::min(entry.rfind('.'), entry.size() - 1) + 1);
    std::string byExtension;
    for (const pugi::xml_node node : types.document_element().children()) {
        const std::string_view kind = LocalName(node.name());
        if (kind == "Override" && SameIgnoringCase(node.attribute("PartName").value(), "/" + entry))
            return node.attribute("ContentType").value();
        if (kind == "Default" && SameIgnoringCase(node.attribute("Extension").value(), extension))
            byExtension = node.attribute("ContentType").value();
    }
    return byExtension;
}

}  // namespace

std::unique_ptr<documents::AnnotatableDocument> ReadDocxDocument(std::string bytes, const std::string& name) {
    return std::make_unique<DocxDocument>(std::move(bytes), name);
}

DocxDocument::DocxDocument(std::string bytes, const std::string& name)
    : package_(std::make_unique<package::ZipArchive>(std::move(bytes), name)),
      document_(std::make_shared<model::Document>()) {
    readParts(mainPart());
}

DocxDocument::~DocxDocument() = default;

// The main part _rels/.rels names, once its content type says it is a Word document's.
std::string DocxDocument::mainPart() {
    const std::string& name = package_->name();
    if (!package_->contains(kPackageRelationships) || !package_->contains(kContentTypes))
        throw DocumentError(name + " is not a Word document (no " + kPackageRelationships + " or " + kContentTypes +
                            ")");
    std::string main;
    for (const Relationship& relationship : RelationshipsOf(*package_, "")) {
        if (relationship.type.starts_with(kStrictNamespaces))
            throw DocumentError(name + " is Strict Open XML, which Sonotag does not read (save it as a Word document)");
        if (relationship.type == "officeDocument") {
            main = relationship.target;
            break;
        }
    }
    if (main.empty())
        throw DocumentError(name + " is not a Word document (" + kPackageRelationships + " names no main part)");
    pugi::xml_document types;
    ParseWordXml(types, package_->read(kContentTypes), kContentTypes);
    const std::string type = ContentTypeOf(types, main);
    if (type.find("macroEnabled") != std::string::npos)
        throw DocumentError(name + " is a macro-enabled Word document (.docm, .dotm), which Sonotag does not write");
    if (std::find(std::begin(kWordMainTypes), std::end(kWordMainTypes), type) == std::end(kWordMainTypes))
        throw DocumentError(name + " is not a Word document (its main part " + main + " is " +
                            (type.empty() ? "of no content type" : type) + ")");
    return main;
}

// The main part, then the headers, footers and notes it refers to (each
// once), the styles; every other entry read through to check it.
void DocxDocument::readParts(const std::string& main) {
    std::set<std::string> read = {kContentTypes, kPackageRelationships, main, RelationshipsEntry(main)};
    parts_.push_back(main);
    for (const Relationship& relationship : RelationshipsOf(*package_, main)) {
        const std::string& type = relationship.type;
        if (type == "styles" && read.insert(relationship.target).second) readStyles(relationship.target);
        if ((type == "header" || type == "footer" || type == "footnotes" || type == "endnotes") &&
            read.insert(relationship.target).second) {
            parts_.push_back(relationship.target);
        }
    }
    // What is copied raw must be readable too: damage found now, not after the run.
    for (const std::string& entry : package_->entries()) {
        if (!read.contains(entry)) package_->check(entry);
    }
    for (std::size_t part = 0; part < parts_.size(); ++part) {
        const StoryPart xml(package_->read(parts_[part]), parts_[part]);
        lastId_ = std::max(lastId_, xml.highestId());
        addParagraphs(part, xml);
    }
}

// The character styles, each by the path of its w:name; the first of two with one name is kept.
void DocxDocument::readStyles(const std::string& entry) {
    pugi::xml_document xml;
    ParseWordXml(xml, package_->read(entry), entry);
    const pugi::xml_node root = xml.document_element();
    const std::string w = WordPrefix(root, entry, NameKind::Element), styleElement = w + "style";
    const std::string a = WordPrefix(root, entry, NameKind::Attribute);
    for (const pugi::xml_node style : root.children(styleElement.c_str())) {
        if (std::string_view(style.attribute((a + "type").c_str()).value()) != "character") continue;
        const std::string name = style.child((w + "name").c_str()).attribute((a + "val").c_str()).value();
        const std::string id = style.attribute((a + "styleId").c_str()).value();
        if (name.empty() || id.empty()) continue;
        const std::u16string path = u":" + EscapeStyleName(Utf8ToUtf16(name));
        try {
            document_->styles().add(path);
        } catch (const std::invalid_argument&) {
            // already there
        }
        if (const auto found = document_->styles().find(path)) styleIds_.emplace(*found, id);
    }
}

void DocxDocument::addParagraphs(std::size_t part, const StoryPart& xml) {
    const std::vector<ParagraphText>& texts = xml.texts();
    for (std::size_t text = 0; text < texts.size(); ++text) {
        for (const documents::TextPiece& piece : documents::AddTextInPieces(*document_, texts[text].text))
            paragraphs_.push_back({part, text, piece.start, piece.length});
    }
}

// What a character's font or style makes of inserted text: none, or the one look kept for it.
const RunLook* DocxDocument::lookOf(const model::CharFormat& format) {
    const auto style = styleIds_.find(format.style);
    if (format.font == 0 && style == styleIds_.end()) return nullptr;
    std::unique_ptr<RunLook>& look = looks_[{format.font, format.style}];
    if (!look) {
        look = std::make_unique<RunLook>();
        if (style != styleIds_.end()) look->styleId = style->second;
        else look->font = document_->fontName(format.font);
    }
    return look.get();
}

void DocxDocument::collectEdits(std::size_t index, const StoryPart& xml, std::vector<Insertion>& edits) {
    const Paragraph& paragraph = paragraphs_[index];
    const model::Story& edited = document_->story(static_cast<std::int32_t>(index));
    const ParagraphText& original = xml.texts().at(paragraph.text);
    for (const model::Insertion& inserted : model::InsertionsOf(edited)) {
        Insertion& insertion = edits.emplace_back(Insertion{original.sources[paragraph.start + inserted.after], {}});
        for (std::size_t k = 0; k < inserted.text.size(); ++k) {
            const RunLook* look = lookOf(inserted.formats[k]);
            std::vector<InsertedRun>& runs = insertion.runs;
            if (runs.empty() || runs.back().look != look) runs.push_back({{}, look});
            runs.back().text += inserted.text[k];
        }
    }
}

bool DocxDocument::changed(std::size_t paragraph) const {
    return document_->story(static_cast<std::int32_t>(paragraph)).length() != paragraphs_[paragraph].length;
}

std::string DocxDocument::save() {
    if (!saved_) {
        // Part by part (their paragraphs are in order), each changed one parsed again.
        const std::function<std::string()> newId = [this] { return std::to_string(++lastId_); };
        for (std::size_t first = 0, end = 0; first < paragraphs_.size(); first = end) {
            const std::size_t part = paragraphs_[first].part;
            bool edited = false;
            for (end = first; end < paragraphs_.size() && paragraphs_[end].part == part; ++end) edited |= changed(end);
            if (!edited) continue;
            const StoryPart xml(package_->read(parts_[part]), parts_[part]);
            std::vector<Insertion> edits;
            for (std::size_t paragraph = first; paragraph < end; ++paragraph) {
                if (changed(paragraph)) collectEdits(paragraph, xml, edits);
            }
            edited_[parts_[part]] = xml.save(edits, newId);
        }
        saved_ = true;
    }
    return package_->copyWith(edited_);
}

}  // namespace sonotag::docx
