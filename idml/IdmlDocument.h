#pragma once
// An IDML package as a document Sonotag annotates: the texts of its stories
// go into the document model, each paragraph (a long one in pieces that end
// at a word separator) a story of its own, so words never span a paragraph
// break and each story's edits cost in proportion to its length. The run
// selects them one by one; the package is written again with only the
// stories the run changed re-serialised.

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "documents/AnnotatableDocument.h"

namespace sonotag::model {
struct CharFormat;
}  // namespace sonotag::model

namespace sonotag::package {
class ZipArchive;
}  // namespace sonotag::package

namespace sonotag::idml {

class StoryXml;
struct Insertion;
struct RangeFormat;

inline constexpr char kIdmlMimeType[] = "application/vnd.adobe.indesign-idml-package";

// Reads the package: its mimetype, designmap.xml, the character styles of
// Resources/Styles.xml and the stories designmap.xml lists (one listed
// twice is one story), only those whose Self ids `stories` names when it
// names any; and checks that every other entry reads to its end intact.
// Throws DocumentError for anything that is not a readable IDML package
// (package/XmlPart.h: what its XML may not hold) and for an unknown story.
std::unique_ptr<documents::AnnotatableDocument> ReadIdmlDocument(std::string bytes, const std::string& name,
                                                                 const std::vector<std::string>& stories);

class IdmlDocument : public documents::AnnotatableDocument {
public:
    IdmlDocument(std::string bytes, const std::string& name, const std::vector<std::string>& stories);
    ~IdmlDocument() override;
    IdmlDocument(const IdmlDocument&) = delete;
    IdmlDocument& operator=(const IdmlDocument&) = delete;

    const std::shared_ptr<model::Document>& model() const override { return document_; }
    bool keepsUndoHistory() const override { return false; }
    bool startsText(std::int32_t story) const override {
        return paragraphs_[static_cast<std::size_t>(story)].start == 0;
    }
    // The package with the stories the run changed saved again and every
    // other entry copied raw; the run's edits go into the stories' XML at
    // the first save.
    std::string save() override;

    // The Self ids of the stories read, in designmap.xml's order.
    std::vector<std::string> storyIds() const;

private:
    struct Paragraph {
        std::size_t story;   // index in stories_
        std::size_t text;    // index in that story's texts
        std::int32_t start;  // position of its first character in that text
        std::int32_t length;
    };
    struct LoadedStory {
        std::string entry;  // e.g. Stories/Story_u139.xml
        std::string self;
        std::vector<std::u16string> texts;  // as StoryXml reads them; the XML is parsed again to save the run's edits
    };
    void readStories(const std::vector<std::string>& chosen);
    std::string styleSelf(std::uint32_t style) const;
    bool changed(const Paragraph& paragraph) const;
    const RangeFormat* lookOf(const model::CharFormat& format);
    void collectEdits(const Paragraph& paragraph, const StoryXml& xml, std::vector<Insertion>& edits);

    std::unique_ptr<package::ZipArchive> package_;
    std::vector<LoadedStory> stories_;
    std::shared_ptr<model::Document> document_;
    std::map<std::uint32_t, std::string> styleSelves_;  // model style id -> Self
    std::map<std::pair<std::uint32_t, std::uint32_t>, std::unique_ptr<RangeFormat>>
        looks_;  // (font, style) -> inserted text's format
    std::vector<Paragraph> paragraphs_;
    std::map<std::string, std::string> edited_;  // entry -> saved story, from the first save
    bool saved_ = false;
};

}  // namespace sonotag::idml
