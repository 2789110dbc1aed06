// The selection, the document and the application of the stand-in.

#include "standin/StyleObjects.h"
#include "standin/TestControls.h"
#include "standin/TextObjects.h"

namespace sonotag::standin {
namespace {

using host::DispatchId;
using host::InvokeKind;
using host::ObjectRef;
using host::Value;
namespace code = host::code;

class SelectionObject : public Collection {
public:
    SelectionObject(std::shared_ptr<HostState> state, std::shared_ptr<model::Document> document,
                    std::vector<std::int32_t> stories)
        : Collection(std::move(state), std::move(document)), stories_(std::move(stories)) {}

protected:
    std::string typeName() const override { return "the selection"; }
    std::string emptyProblem() const override { return "Nothing is selected."; }
    std::int32_t count() override {
        if (stories_.empty()) return 0;
        document();
        return static_cast<std::int32_t>(stories_.size());
    }
    ObjectRef itemAt(std::int32_t index) override {
        return MakeStoryObject(state(), documentRef(), document().story(stories_[static_cast<std::size_t>(index)]));
    }

private:
    std::vector<std::int32_t> stories_;
};

class ActiveDocumentObject : public DocumentObject {
public:
    using DocumentObject::DocumentObject;

protected:
    std::string typeName() const override { return "a document"; }
    std::string closedProblem() const override { return "The document is no longer open."; }
    Value dispatch(const Request& request) override {
        switch (request.id) {
            case code::kUndoHistory:
                expect(request, InvokeKind::Get, 0);
                return Value(host::ArrayBound{document().undoStepCount() - 1});
            case code::kUndo:
                expect(request, InvokeKind::Method, 0);
                if (!document().undo()) Raise(host::kUnspecifiedFailure, "There is nothing to undo.");
                return Value();
            case code::kCharacterStyles:
            case code::kCharacterStyleGroups:
                expect(request, InvokeKind::Get, 0);
                return StyleContainerProperty(request, state(), documentRef(), document().styles().root());
            default: unknown(request);
        }
    }
};

// The application: 'pacd' and 'sele', and the private test controls, which
// are neither counted nor made to fail.
class ApplicationObject : public ModelObject {
public:
    explicit ApplicationObject(std::shared_ptr<HostState> state) : ModelObject(std::move(state), false) {}

    Value invoke(DispatchId id, InvokeKind kind, std::span<const Value> arguments,
                 host::ValueType resultType) override {
        if (const auto answer = AnswerTestControl(*state(), {id, kind, arguments})) {
            return host::ChangeType(*answer, resultType);
        }
        return ModelObject::invoke(id, kind, arguments, resultType);
    }

protected:
    std::string typeName() const override { return "the application"; }
    Value dispatch(const Request& request) override {
        const auto& document = state()->document();
        switch (request.id) {
            case code::kActiveDocument:
                expect(request, InvokeKind::Get, 0);
                if (!document) Raise(host::kUnspecifiedFailure, "No document is open.");
                return Value(ObjectRef(std::make_shared<ActiveDocumentObject>(state(), document)));
            case code::kSelection: {
                expect(request, InvokeKind::Get, 0);
                std::vector<std::int32_t> stories;
                if (document) stories = document->selection();
                return Value(ObjectRef(std::make_shared<SelectionObject>(state(), document, std::move(stories))));
            }
            default: unknown(request);
        }
    }
};

}  // namespace

host::ObjectRef MakeApplication(std::shared_ptr<HostState> state) {
    return std::make_shared<ApplicationObject>(std::move(state));
}

}  // namespace sonotag::standin
