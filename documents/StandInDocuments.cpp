#include "documents/StandInDocuments.h"

#include "base/Utf.h"
#include "documents/TextPieces.h"
#include "model/Document.h"
#include "model/DocumentFile.h"
#include "model/Origins.h"

namespace sonotag::documents {
namespace {

// The stand-in's JSON file: the model as it was saved, with its selection
// and undo history.
class JsonDocument : public AnnotatableDocument {
public:
    explicit JsonDocument(std::unique_ptr<model::Document> document) : model_(std::move(document)) {
        for (std::int32_t k = 0; k < model_->storyCount(); ++k) model::NumberOrigins(model_->story(k));
    }
    const std::shared_ptr<model::Document>& model() const override { return model_; }
    std::vector<std::vector<std::int32_t>> selections() const override { return {model_->selection()}; }
    bool keepsUndoHistory() const override { return true; }
    std::string save() override { return modelJson(); }

private:
    std::shared_ptr<model::Document> model_;
};

// A plain text: one text frame, which goes into the model in pieces
// (model::PieceEnd), each the selection of a run of its own, so that a
// book-length text costs in proportion to its length. Printed and saved
// as the one text it is.
class TextDocument : public AnnotatableDocument {
public:
    explicit TextDocument(std::u16string_view text) : model_(std::make_shared<model::Document>()) {
        if (AddTextInPieces(*model_, text).empty()) model_->addStory(u"", {});
    }
    const std::shared_ptr<model::Document>& model() const override { return model_; }
    bool keepsUndoHistory() const override { return true; }
    bool startsText(std::int32_t story) const override { return story == 0; }
    std::string save() override { return textLines(); }
    std::string textLines() const override { return Utf16ToUtf8(Joined()->story(0).text()) + '\n'; }
    std::string modelJson() const override { return model::DumpDocumentJson(*Joined()); }

private:
    // The pieces as one story, selected, with the run's undo history.
    std::unique_ptr<model::Document> Joined() const {
        std::u16string text;
        std::vector<model::CharFormat> formats;
        auto joined = std::make_unique<model::Document>();
        for (std::int32_t k = 0; k < model_->storyCount(); ++k) {
            const model::Story& piece = model_->story(k);
            text += piece.text();
            for (model::CharFormat format : piece.formats()) {
                if (format.font != 0) format.font = joined->internFont(model_->fontName(format.font));
                format.origin = 0;
                formats.push_back(format);
            }
        }
        for (const std::u16string& path : model_->styles().paths()) {
            if (!joined->styles().find(path)) joined->styles().add(path);
        }
        joined->addStory(std::move(text), std::move(formats));
        joined->select({0});
        for (const std::u16string& step : model_->undoStepNames()) joined->addRecordedStep(step);
        return joined;
    }

    std::shared_ptr<model::Document> model_;
};

}  // namespace

std::unique_ptr<AnnotatableDocument> ReadTextDocument(std::string_view bytes, const std::string& name) {
    try {
        return std::make_unique<TextDocument>(DecodeUtf8Text(bytes));
    } catch (const DocumentError& error) { throw DocumentError(name + " is not UTF-8 text (" + error.what() + ")"); }
}

std::unique_ptr<AnnotatableDocument> ReadStandInJson(std::string_view bytes, const std::string& name) {
    try {
        return std::make_unique<JsonDocument>(model::ParseDocumentJson(bytes));
    } catch (const DocumentError& error) { throw DocumentError(name + ": " + error.what()); }
}

std::vector<std::vector<std::int32_t>> AnnotatableDocument::selections() const {
    std::vector<std::vector<std::int32_t>> each;
    each.reserve(static_cast<std::size_t>(model()->storyCount()));
    for (std::int32_t story = 0; story < model()->storyCount(); ++story) each.push_back({story});
    return each;
}

bool AnnotatableDocument::startsText(std::int32_t) const { return true; }

std::string AnnotatableDocument::textLines() const { return StoryLines(*model()); }

std::string AnnotatableDocument::modelJson() const { return model::DumpDocumentJson(*model()); }

std::string StoryLines(const model::Document& document) {
    std::string lines;
    for (std::int32_t k = 0; k < document.storyCount(); ++k) {
        lines += Utf16ToUtf8(document.story(k).text());
        lines += '\n';
    }
    return lines;
}

}  // namespace sonotag::documents
