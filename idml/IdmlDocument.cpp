#include "idml/IdmlDocument.h"

#include <algorithm>
#include <cstring>
#include <set>
#include <stdexcept>

#include <pugixml.hpp>

#include "base/StylePath.h"
#include "base/Utf.h"
#include "documents/TextPieces.h"
#include "idml/StoryXml.h"
#include "model/Document.h"
#include "model/Origins.h"
#include "package/XmlPart.h"
#include "package/ZipArchive.h"

namespace sonotag::idml {
namespace {

constexpr char kDesignMap[] = "designmap.xml";

bool Named(pugi::xml_node node, const char* name) { return std::strcmp(node.name(), name) == 0; }

// A name as the window shows it: InDesign's own styles carry "$ID/", and
// its "[No character style]" is the stand-in's "[无]".
std::string ShownName(std::string_view name) {
    if (name.substr(0, 4) == "$ID/") name.remove_prefix(4);
    if (name == "[No character style]") return Utf16ToUtf8(kNoStyleName);
    return std::string(name);
}

// InDesign writes the Name of a grouped style or group qualified by its
// groups ("Naviga:byline" in the group "Naviga"); the path takes the part
// after that prefix, whether it names every enclosing group or the nearest.
std::string_view Unqualified(std::string_view name, std::string_view groups, std::string_view nearest) {
    for (const std::string_view prefix : {groups, nearest}) {
        if (!prefix.empty() && name.size() > prefix.size() && name.starts_with(prefix) && name[prefix.size()] == ':') {
            return name.substr(prefix.size() + 1);
        }
    }
    return name;
}

// A name as one segment of a style path: a colon in it written `\:`, as
// InDesign escapes one in a Name.
std::string PathSegment(std::string_view name) {
    std::string segment;
    for (std::size_t k = 0; k < name.size(); ++k) {
        if (name[k] == ':' && (k == 0 || name[k - 1] != '\\')) segment += '\\';
        segment += name[k];
    }
    return segment;
}

// Adds the character styles under the root group to the document's style
// tree, each under the path the window gives it (":Group:Style"). A walk
// with a stack of its own; one path and one prefix grow and shrink with it.
void AddStyles(pugi::xml_node root, model::StyleTree& styles, std::map<std::uint32_t, std::string>& selves) {
    struct Level {
        pugi::xml_node next;
        std::size_t path, groups, nearest;  // the lengths of `path` and `groups`, where the nearest group's name starts
    };
    std::string path = ":";  // the group's path, ending in ':'
    std::string groups;      // its groups' names as Names qualify them ("A:B")
    std::vector<Level> levels{{root.first_child(), path.size(), 0, 0}};
    while (!levels.empty()) {
        const pugi::xml_node child = levels.back().next;
        if (!child) {
            levels.pop_back();
            if (!levels.empty()) {
                path.resize(levels.back().path);
                groups.resize(levels.back().groups);
            }
            continue;
        }
        const Level level = levels.back();
        levels.back().next = child.next_sibling();
        const bool group = Named(child, "CharacterStyleGroup");
        if (!group && !Named(child, "CharacterStyle")) continue;
        const std::string shown = ShownName(child.attribute("Name").value());
        const std::string_view name = Unqualified(shown, groups, std::string_view(groups).substr(level.nearest));
        if (group) {
            const std::size_t nearest = groups.empty() ? 0 : groups.size() + 1;
            groups += (groups.empty() ? "" : ":") + std::string(name);
            path += PathSegment(name) + ":";
            levels.push_back({child.first_child(), path.size(), groups.size(), nearest});
            continue;
        }
        const std::u16string stylePath = Utf8ToUtf16(path + PathSegment(name));
        try {
            styles.add(stylePath);
        } catch (const std::invalid_argument&) {
            // already there ("[无]"), or a name no path can spell
        }
        if (const auto id = styles.find(stylePath)) selves[*id] = child.attribute("Self").value();
    }
}

}  // namespace

std::unique_ptr<documents::AnnotatableDocument> ReadIdmlDocument(std::string bytes, const std::string& name,
                                                                 const std::vector<std::string>& stories) {
    return std::make_unique<IdmlDocument>(std::move(bytes), name, stories);
}

IdmlDocument::IdmlDocument(std::string bytes, const std::string& name, const std::vector<std::string>& stories)
    : package_(std::make_unique<package::ZipArchive>(std::move(bytes), name)),
      document_(std::make_shared<model::Document>()) {
    if (package_->entries().empty() || package_->entries().front() != "mimetype") {
        throw DocumentError(name + " is not an IDML package (no mimetype entry first)");
    }
    if (package_->read("mimetype") != kIdmlMimeType)
        throw DocumentError(name + " is not an IDML package (wrong mimetype)");
    pugi::xml_document designMap;
    package::ParseXmlPart(designMap, package_->read(kDesignMap), pugi::parse_default, kDesignMap);
    std::set<std::string> read = {"mimetype", kDesignMap};
    const pugi::xml_node root = designMap.document_element();
    for (pugi::xml_node entry : root.children("idPkg:Story")) {
        LoadedStory story{entry.attribute("src").value(), {}, {}};
        if (!read.insert(story.entry).second) continue;  // listed twice: one story all the same
        const StoryXml xml(package_->read(story.entry), story.entry);
        story.self = xml.self();
        for (const StoryText& text : xml.texts()) story.texts.push_back(text.text);
        stories_.push_back(std::move(story));
    }
    if (const pugi::xml_node styles = root.child("idPkg:Styles")) {
        const std::string entry = styles.attribute("src").value();
        pugi::xml_document xml;
        package::ParseXmlPart(xml, package_->read(entry), pugi::parse_default, entry);
        read.insert(entry);
        for (pugi::xml_node group : xml.document_element().children("RootCharacterStyleGroup")) {
            AddStyles(group, document_->styles(), styleSelves_);
        }
    }
    // What is copied raw must be readable too: damage found now, not after the run.
    for (const std::string& entry : package_->entries()) {
        if (!read.contains(entry)) package_->check(entry);
    }
    readStories(stories);
}

IdmlDocument::~IdmlDocument() = default;

std::vector<std::string> IdmlDocument::storyIds() const {
    std::vector<std::string> ids;
    for (const LoadedStory& story : stories_) ids.push_back(story.self);
    return ids;
}

void IdmlDocument::readStories(const std::vector<std::string>& chosen) {
    for (const std::string& id : chosen) {
        if (std::none_of(stories_.begin(), stories_.end(),
                         [&](const LoadedStory& story) { return story.self == id; })) {
            throw DocumentError("no story " + id + " in " + package_->name());
        }
    }
    for (std::size_t story = 0; story < stories_.size(); ++story) {
        if (!chosen.empty() && std::find(chosen.begin(), chosen.end(), stories_[story].self) == chosen.end()) continue;
        const std::vector<std::u16string>& texts = stories_[story].texts;
        for (std::size_t text = 0; text < texts.size(); ++text) {
            for (const documents::TextPiece& piece : documents::AddTextInPieces(*document_, texts[text]))
                paragraphs_.push_back({story, text, piece.start, piece.length});
        }
    }
}

std::string IdmlDocument::styleSelf(std::uint32_t style) const {
    const auto found = styleSelves_.find(style);
    return found != styleSelves_.end() ? found->second : "CharacterStyle/$ID/[No character style]";
}

bool IdmlDocument::changed(const Paragraph& paragraph) const {
    const auto index = static_cast<std::int32_t>(&paragraph - paragraphs_.data());
    return document_->story(index).length() != paragraph.length;
}

// What a character's font or style makes of inserted text: none, or the
// one RangeFormat kept for that look.
const RangeFormat* IdmlDocument::lookOf(const model::CharFormat& format) {
    if (format.font == 0 && format.style == 0) return nullptr;
    std::unique_ptr<RangeFormat>& look = looks_[{format.font, format.style}];
    if (!look) {
        look = std::make_unique<RangeFormat>();
        if (format.font != 0) look->font = document_->fontName(format.font);
        if (format.style != 0) look->styleSelf = styleSelf(format.style);
    }
    return look.get();
}

void IdmlDocument::collectEdits(const Paragraph& paragraph, const StoryXml& xml, std::vector<Insertion>& edits) {
    const model::Story& edited = document_->story(static_cast<std::int32_t>(&paragraph - paragraphs_.data()));
    const StoryText& original = xml.texts().at(paragraph.text);
    for (const model::Insertion& inserted : model::InsertionsOf(edited)) {
        Insertion& insertion = edits.emplace_back(Insertion{original.sources[paragraph.start + inserted.after], {}});
        for (std::size_t k = 0; k < inserted.text.size(); ++k) {
            const RangeFormat* look = lookOf(inserted.formats[k]);
            std::vector<InsertedRun>& runs = insertion.runs;
            if (runs.empty() || runs.back().format != look) runs.push_back({{}, look});
            runs.back().text += inserted.text[k];
        }
    }
}

std::string IdmlDocument::save() {
    if (!saved_) {
        // Story by story (their paragraphs are in order), each changed one
        // parsed again, for the run kept only its texts.
        std::unique_ptr<StoryXml> xml;
        std::vector<Insertion> edits;
        for (std::size_t paragraph = 0; paragraph < paragraphs_.size(); ++paragraph) {
            const LoadedStory& story = stories_[paragraphs_[paragraph].story];
            if (changed(paragraphs_[paragraph])) {
                if (!xml) xml = std::make_unique<StoryXml>(package_->read(story.entry), story.entry);
                collectEdits(paragraphs_[paragraph], *xml, edits);
            }
            if (!xml || (paragraph + 1 < paragraphs_.size() &&
                         paragraphs_[paragraph + 1].story == paragraphs_[paragraph].story))
                continue;
            xml->insert(edits);
            edits = {};
            edited_[story.entry] = xml->save();
            xml.reset();
        }
        saved_ = true;
    }
    return package_->copyWith(edited_);
}

}  // namespace sonotag::idml
