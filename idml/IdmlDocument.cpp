#include "idml/IdmlDocument.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

#include <pugixml.hpp>

#include "base/Utf.h"
#include "idml/StoryXml.h"
#include "idml/ZipPackage.h"
#include "standin/Document.h"
#include "standin/HostState.h"

namespace sonotag::idml {
namespace {

constexpr char kDesignMap[] = "designmap.xml";

pugi::xml_document ParseXml(const std::string& xml, const std::string& entry) {
    pugi::xml_document document;
    const pugi::xml_parse_result parsed = document.load_buffer(xml.data(), xml.size());
    if (!parsed) throw PackageError(entry + " is not well-formed XML (" + parsed.description() + ")");
    return document;
}

// A style's name as the window shows it: InDesign's own styles carry "$ID/",
// and its "[No character style]" is the stand-in's "[无]".
std::u16string StyleName(const char* name) {
    std::string_view shown = name;
    if (shown.substr(0, 4) == "$ID/") shown.remove_prefix(4);
    if (shown == "[No character style]") return standin::kNoStyleName;
    return Utf8ToUtf16(shown);
}

// Adds the character styles under `group` to the document's style tree, with
// the ":Group:Style" paths the window gives them.
void AddStyles(pugi::xml_node group, const std::u16string& prefix, standin::StyleTree& styles,
               std::map<std::uint32_t, std::string>& selves) {
    for (pugi::xml_node child : group.children()) {
        const std::u16string path = prefix + StyleName(child.attribute("Name").value());
        if (std::strcmp(child.name(), "CharacterStyleGroup") == 0) {
            AddStyles(child, path + u":", styles, selves);
        } else if (std::strcmp(child.name(), "CharacterStyle") == 0) {
            try {
                styles.add(path);
            } catch (const std::invalid_argument&) {
                // already there ("[无]"), or a name no path can spell
            }
            if (const auto id = styles.find(path)) selves[*id] = child.attribute("Self").value();
        }
    }
}

}  // namespace

IdmlDocument::IdmlDocument(const std::filesystem::path& path)
    : path_(path),
      package_(std::make_unique<ZipPackage>(path)),
      hostState_(std::make_shared<standin::HostState>()),
      document_(std::make_shared<standin::Document>()) {
    const std::string name = path.filename().string();
    if (package_->entries().empty() || package_->entries().front() != "mimetype") {
        throw PackageError(name + " is not an IDML package (no mimetype entry first)");
    }
    if (package_->read("mimetype") != kIdmlMimeType) throw PackageError(name + " is not an IDML package (wrong mimetype)");
    const pugi::xml_document designMap = ParseXml(package_->read(kDesignMap), kDesignMap);
    const pugi::xml_node root = designMap.document_element();
    for (pugi::xml_node entry : root.children("idPkg:Story")) {
        LoadedStory story{entry.attribute("src").value(), {}, nullptr};
        story.xml = std::make_unique<StoryXml>(package_->read(story.entry), story.entry);
        story.self = story.xml->self();
        stories_.push_back(std::move(story));
    }
    if (const pugi::xml_node styles = root.child("idPkg:Styles")) {
        const std::string entry = styles.attribute("src").value();
        const pugi::xml_document xml = ParseXml(package_->read(entry), entry);
        for (pugi::xml_node group : xml.document_element().children("RootCharacterStyleGroup")) {
            AddStyles(group, u":", document_->styles(), styleSelves_);
        }
    }
    hostState_->replaceDocument(document_);
    application_ = standin::MakeApplication(hostState_);
}

IdmlDocument::~IdmlDocument() = default;

std::vector<std::string> IdmlDocument::storyIds() const {
    std::vector<std::string> ids;
    for (const LoadedStory& story : stories_) ids.push_back(story.self);
    return ids;
}

void IdmlDocument::loadStories(const std::vector<std::string>& ids) {
    for (const std::string& id : ids) {
        if (std::none_of(stories_.begin(), stories_.end(), [&](const LoadedStory& story) { return story.self == id; })) {
            throw PackageError("no story " + id + " in " + path_.filename().string());
        }
    }
    for (std::size_t story = 0; story < stories_.size(); ++story) {
        if (!ids.empty() && std::find(ids.begin(), ids.end(), stories_[story].self) == ids.end()) continue;
        const std::vector<StoryText>& texts = stories_[story].xml->texts();
        for (std::size_t text = 0; text < texts.size(); ++text) {
            const std::u16string& characters = texts[text].text;
            for (std::size_t start = 0; start < characters.size();) {
                const std::size_t end = std::min(characters.find(u'\r', start), characters.size() - 1) + 1;
                std::vector<standin::CharFormat> formats(end - start);
                for (std::size_t k = 0; k < formats.size(); ++k) formats[k].origin = static_cast<std::uint32_t>(k + 1);
                document_->addStory(characters.substr(start, end - start), std::move(formats));
                paragraphs_.push_back({story, text, static_cast<std::int32_t>(start), static_cast<std::int32_t>(end - start)});
                start = end;
            }
        }
    }
}

std::int32_t IdmlDocument::paragraphCount() const { return static_cast<std::int32_t>(paragraphs_.size()); }

// A package keeps no undo history, and the stand-in's would grow with every
// character the run formats.
void IdmlDocument::selectParagraph(std::int32_t paragraph) {
    document_->forgetHistory();
    document_->select({paragraph});
}

std::int32_t IdmlDocument::wordCount() const {
    std::size_t words = 0;
    for (std::int32_t k = 0; k < document_->storyCount(); ++k) words += document_->story(k).words().size();
    return static_cast<std::int32_t>(words);
}

std::int32_t IdmlDocument::annotationCount() const {
    std::int32_t count = 0;
    for (std::int32_t k = 0; k < document_->storyCount(); ++k) {
        const std::vector<standin::CharFormat>& formats = document_->story(k).formats();
        for (std::size_t i = 1; i < formats.size(); ++i) {
            const bool inserted = formats[i].origin == formats[i - 1].origin;
            if (inserted && (i == 1 || formats[i - 2].origin != formats[i - 1].origin)) ++count;
        }
    }
    return count;
}

std::string IdmlDocument::styleSelf(std::uint32_t style) const {
    const auto found = styleSelves_.find(style);
    return found != styleSelves_.end() ? found->second : "CharacterStyle/$ID/[No character style]";
}

bool IdmlDocument::changed(const Paragraph& paragraph) const {
    const auto index = static_cast<std::int32_t>(&paragraph - paragraphs_.data());
    return document_->story(index).length() != paragraph.length;
}

// Puts the text the run inserted in one paragraph into its story's XML,
// last insertion first.
void IdmlDocument::writeEdits(const Paragraph& paragraph) {
    const auto index = static_cast<std::int32_t>(&paragraph - paragraphs_.data());
    const standin::Story& edited = document_->story(index);
    StoryXml& xml = *stories_[paragraph.story].xml;
    const StoryText& original = xml.texts()[paragraph.text];
    const std::vector<standin::CharFormat>& formats = edited.formats();
    for (std::int32_t end = edited.length(); end > 0;) {
        // [first, end): one original character and the characters inserted after it.
        std::int32_t first = end - 1;
        while (first > 0 && formats[static_cast<std::size_t>(first - 1)].origin ==
                                formats[static_cast<std::size_t>(first)].origin) {
            --first;
        }
        const std::size_t at = static_cast<std::size_t>(paragraph.start) + formats[static_cast<std::size_t>(first)].origin - 1;
        if (original.text[at] != edited.text()[static_cast<std::size_t>(first)]) {
            throw std::logic_error("the run changed the text it was given");
        }
        std::vector<InsertedRun> runs;
        for (std::int32_t k = first + 1; k < end; ++k) {
            const standin::CharFormat format = formats[static_cast<std::size_t>(k)];
            RangeFormat look;
            if (format.font != 0) look.font = document_->fontName(format.font);
            if (format.style != 0) look.styleSelf = styleSelf(format.style);
            if (runs.empty() || runs.back().format.font != look.font || runs.back().format.styleSelf != look.styleSelf) {
                runs.push_back({{}, look});
            }
            runs.back().text += edited.text()[static_cast<std::size_t>(k)];
        }
        if (!runs.empty()) xml.insertAfter(original.sources[at], runs);
        end = first;
    }
}

void IdmlDocument::save(const std::filesystem::path& output) {
    std::error_code error;
    if (std::filesystem::equivalent(path_, output, error)) {
        throw std::runtime_error("the output " + output.string() + " is the input; it is never written");
    }
    if (!saved_) {
        for (auto paragraph = paragraphs_.rbegin(); paragraph != paragraphs_.rend(); ++paragraph) {
            if (changed(*paragraph)) writeEdits(*paragraph);
        }
        for (const Paragraph& paragraph : paragraphs_) {
            const LoadedStory& story = stories_[paragraph.story];
            if (changed(paragraph) && !edited_.contains(story.entry)) edited_[story.entry] = story.xml->save();
        }
        saved_ = true;
    }
    package_->writeCopy(output, edited_);
}

}  // namespace sonotag::idml
