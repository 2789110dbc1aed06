#pragma once
// An IDML package as a host of its own: the texts of its stories are loaded
// into a stand-in document (the stand-in's text model, answering the same
// automation calls), the annotation run is made over them through the host
// interface, and the package is written again with only the stories the
// run changed re-serialised.

#include <cstdint>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "host/HostObject.h"
#include "idml/PackageError.h"

namespace sonotag::standin {
struct CharFormat;
class Document;
class HostState;
}  // namespace sonotag::standin

namespace sonotag::idml {

class StoryXml;
class ZipPackage;
struct Insertion;
struct RangeFormat;

inline constexpr char kIdmlMimeType[] = "application/vnd.adobe.indesign-idml-package";

class IdmlDocument {
public:
    // Reads the package: its mimetype, designmap.xml, the character styles
    // of Resources/Styles.xml and every story designmap.xml lists (one
    // listed twice is one story), and checks that every other entry reads
    // to its end intact. Throws PackageError for anything that is not a
    // readable IDML package (XmlEntry.h: what its XML may not hold).
    explicit IdmlDocument(const std::filesystem::path& path);
    ~IdmlDocument();
    IdmlDocument(const IdmlDocument&) = delete;
    IdmlDocument& operator=(const IdmlDocument&) = delete;

    // The Self ids of the stories, in designmap.xml's order.
    std::vector<std::string> storyIds() const;

    // Loads the texts of the stories with these ids (all when empty) into
    // the host, each paragraph a stand-in story of its own (a long one in
    // pieces that end at a word separator): words never span a paragraph
    // break, and a stand-in story's edits cost in proportion to its length.
    // Throws PackageError for an unknown id.
    void loadStories(const std::vector<std::string>& ids);

    // The host: its application object, and the paragraphs (or pieces of
    // one) to select one by one for the run.
    host::ObjectRef application() const { return application_; }
    std::int32_t paragraphCount() const;
    void selectParagraph(std::int32_t paragraph);
    std::int32_t wordCount() const;

    // Words annotated so far: original characters with text inserted after them.
    std::int32_t annotationCount() const;

    // Writes the package to `output` (never the input): the stories that
    // the run changed saved again, every other entry copied raw. The run's
    // edits go into the stories' XML at the first save. Throws
    // std::runtime_error when it cannot be written.
    void save(const std::filesystem::path& output);

private:
    struct Paragraph {
        std::size_t story;  // index in stories_
        std::size_t text;   // index in that story's texts
        std::int32_t start;  // position of its first character in that text
        std::int32_t length;
    };
    struct LoadedStory {
        std::string entry;  // e.g. Stories/Story_u139.xml
        std::string self;
        std::vector<std::u16string> texts;  // as StoryXml reads them; the XML is parsed again to save the run's edits
    };
    std::string styleSelf(std::uint32_t style) const;
    bool changed(const Paragraph& paragraph) const;
    const RangeFormat* lookOf(const standin::CharFormat& format);
    void collectEdits(const Paragraph& paragraph, const StoryXml& xml, std::vector<Insertion>& edits);

    std::filesystem::path path_;
    std::unique_ptr<ZipPackage> package_;
    std::vector<LoadedStory> stories_;
    std::shared_ptr<standin::HostState> hostState_;
    std::shared_ptr<standin::Document> document_;
    host::ObjectRef application_;
    std::map<std::uint32_t, std::string> styleSelves_;  // stand-in style id -> Self
    std::map<std::pair<std::uint32_t, std::uint32_t>, std::unique_ptr<RangeFormat>> looks_;  // (font, style) -> inserted text's format
    std::vector<Paragraph> paragraphs_;
    std::map<std::string, std::string> edited_;  // entry -> saved story, from the first save
    bool saved_ = false;
};

}  // namespace sonotag::idml
