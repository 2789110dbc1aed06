#include "documents/StandInDocuments.h"

#include "base/Utf.h"
#include "model/Document.h"
#include "model/DocumentFile.h"
#include "model/Origins.h"

namespace sonotag::documents {
namespace {

class ModelDocument : public AnnotatableDocument {
public:
    ModelDocument(std::unique_ptr<model::Document> document, bool json) : model_(std::move(document)), json_(json) {
        for (std::int32_t k = 0; k < model_->storyCount(); ++k) model::NumberOrigins(model_->story(k));
    }

    const std::shared_ptr<model::Document>& model() const override { return model_; }
    std::vector<std::vector<std::int32_t>> selections() const override { return {model_->selection()}; }
    bool keepsUndoHistory() const override { return true; }
    std::string save() override { return json_ ? model::DumpDocumentJson(*model_) : StoryLines(*model_); }

private:
    std::shared_ptr<model::Document> model_;
    bool json_;
};

}  // namespace

std::unique_ptr<AnnotatableDocument> ReadTextDocument(std::string_view bytes, const std::string& name) {
    try {
        return std::make_unique<ModelDocument>(model::MakePlainTextDocument(DecodeUtf8Text(bytes)), false);
    } catch (const DocumentError& error) { throw DocumentError(name + " is not UTF-8 text (" + error.what() + ")"); }
}

std::unique_ptr<AnnotatableDocument> ReadStandInJson(std::string_view bytes, const std::string& name) {
    try {
        return std::make_unique<ModelDocument>(model::ParseDocumentJson(bytes), true);
    } catch (const DocumentError& error) { throw DocumentError(name + ": " + error.what()); }
}

std::string StoryLines(const model::Document& document) {
    std::string lines;
    for (std::int32_t k = 0; k < document.storyCount(); ++k) {
        lines += Utf16ToUtf8(document.story(k).text());
        lines += '\n';
    }
    return lines;
}

}  // namespace sonotag::documents
