#pragma once
// Character styles and their groups as the stand-in hands them out.

#include <memory>

#include "standin/ModelObject.h"

namespace sonotag::standin {

class StyleObject : public DocumentObject {
public:
    StyleObject(std::shared_ptr<HostState> state, std::shared_ptr<model::Document> document, model::StyleId style)
        : DocumentObject(std::move(state), std::move(document)), style_(style) {}

    // The style, for applying it to text of `target`.
    model::StyleId styleFor(const model::Document& target) const;

protected:
    std::string typeName() const override { return "a character style"; }
    host::Value dispatch(const Request& request) override;

private:
    model::StyleId style_;
};

// 'csts' or 'Csts' of a container of styles: the document's styles or a group's.
host::Value StyleContainerProperty(const Request& request, const std::shared_ptr<HostState>& state,
                                   const std::shared_ptr<model::Document>& document, const model::StyleGroup& group);

}  // namespace sonotag::standin
