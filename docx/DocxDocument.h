#pragma once
// A Word document (.docx, .dotx) as a document Sonotag annotates: the
// paragraphs of its story parts (the main document, and the headers,
// footers, footnotes and endnotes it refers to; docx/StoryPart.h says what
// their text is) go into the document model, each paragraph (a long one in
// pieces that end at a word separator) a story of its own. The run selects
// them one by one; the package is written again with only the parts the run
// changed saved anew and every other entry copied as it is stored.

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

namespace sonotag::docx {

class StoryPart;
struct Insertion;
struct RunLook;

// Reads the package: [Content_Types].xml, _rels/.rels and the main part it
// names, that part's relationships, its story parts and the character styles
// of its styles part (each by the path ":" and its w:name, the name Word
// shows); and checks that every other entry reads to its end intact. Throws
// DocumentError for anything that is not a readable Word document, naming
// Strict Open XML and macro-enabled documents as such (package/XmlPart.h:
// what its XML may not hold).
std::unique_ptr<documents::AnnotatableDocument> ReadDocxDocument(std::string bytes, const std::string& name);

class DocxDocument : public documents::AnnotatableDocument {
public:
    DocxDocument(std::string bytes, const std::string& name);
    ~DocxDocument() override;
    DocxDocument(const DocxDocument&) = delete;
    DocxDocument& operator=(const DocxDocument&) = delete;

    const std::shared_ptr<model::Document>& model() const override { return document_; }
    bool keepsUndoHistory() const override { return false; }
    bool startsText(std::int32_t story) const override {
        return paragraphs_[static_cast<std::size_t>(story)].start == 0;
    }
    // The package with the parts the run changed saved again and every other
    // entry copied raw; the run's edits go into the parts' XML at the first save.
    std::string save() override;

private:
    struct Paragraph {
        std::size_t part;    // index in parts_
        std::size_t text;    // index in that part's texts
        std::int32_t start;  // position of its first character in that text
        std::int32_t length;
    };
    std::string mainPart();
    void readParts(const std::string& main);
    void readStyles(const std::string& entry);
    void addParagraphs(std::size_t part, const StoryPart& xml);
    bool changed(std::size_t paragraph) const;
    const RunLook* lookOf(const model::CharFormat& format);
    void collectEdits(std::size_t paragraph, const StoryPart& xml, std::vector<Insertion>& edits);

    std::unique_ptr<package::ZipArchive> package_;
    // The story parts, e.g. word/header1.xml; each is parsed again to save
    // the run's edits, so that none is held through the run.
    std::vector<std::string> parts_;
    std::uint64_t lastId_ = 0;  // the highest w:id of the story parts, then the last one given out
    std::shared_ptr<model::Document> document_;
    std::map<std::uint32_t, std::string> styleIds_;                                      // model style id -> w:styleId
    std::map<std::pair<std::uint32_t, std::uint32_t>, std::unique_ptr<RunLook>> looks_;  // (font, style) -> look
    std::vector<Paragraph> paragraphs_;
    std::map<std::string, std::string> edited_;  // entry -> saved part, from the first save
    bool saved_ = false;
};

}  // namespace sonotag::docx
