#include "standin/StyleObjects.h"

namespace sonotag::standin {
namespace {

using host::InvokeKind;
using host::ObjectRef;
using host::Value;
namespace code = host::code;

class StylesCollection : public Collection {
public:
    StylesCollection(std::shared_ptr<HostState> state, std::shared_ptr<model::Document> document,
                     const model::StyleGroup& group)
        : Collection(std::move(state), std::move(document)), group_(group) {}

protected:
    std::string typeName() const override { return "the character styles"; }
    std::int32_t count() override {
        document();
        return static_cast<std::int32_t>(group_.styles.size());
    }
    ObjectRef itemAt(std::int32_t index) override {
        return std::make_shared<StyleObject>(state(), documentRef(), group_.styles[static_cast<std::size_t>(index)]);
    }
    std::optional<ObjectRef> itemNamed(const std::u16string& name) override {
        const model::Document& owner = document();
        for (model::StyleId style : group_.styles) {
            if (owner.styles().style(style).name == name) {
                return ObjectRef(std::make_shared<StyleObject>(state(), documentRef(), style));
            }
        }
        return ObjectRef();
    }

private:
    const model::StyleGroup& group_;
};

class GroupsCollection : public Collection {
public:
    GroupsCollection(std::shared_ptr<HostState> state, std::shared_ptr<model::Document> document,
                     const model::StyleGroup& group)
        : Collection(std::move(state), std::move(document)), group_(group) {}

protected:
    std::string typeName() const override { return "the character style groups"; }
    std::int32_t count() override {
        document();
        return static_cast<std::int32_t>(group_.groups.size());
    }
    ObjectRef itemAt(std::int32_t index) override;
    std::optional<ObjectRef> itemNamed(const std::u16string& name) override;

private:
    const model::StyleGroup& group_;
};

class GroupObject : public DocumentObject {
public:
    GroupObject(std::shared_ptr<HostState> state, std::shared_ptr<model::Document> document,
                const model::StyleGroup& group)
        : DocumentObject(std::move(state), std::move(document)), group_(group) {}

protected:
    std::string typeName() const override { return "a character style group"; }
    Value dispatch(const Request& request) override {
        switch (request.id) {
            case code::kItem:
                expect(request, InvokeKind::Get, 0);
                document();
                return Value(group_.name);
            case code::kCharacterStyles:
            case code::kCharacterStyleGroups:
                expect(request, InvokeKind::Get, 0);
                document();
                return StyleContainerProperty(request, state(), documentRef(), group_);
            default: unknown(request);
        }
    }

private:
    const model::StyleGroup& group_;
};

ObjectRef GroupsCollection::itemAt(std::int32_t index) {
    return std::make_shared<GroupObject>(state(), documentRef(), *group_.groups[static_cast<std::size_t>(index)]);
}

std::optional<ObjectRef> GroupsCollection::itemNamed(const std::u16string& name) {
    document();
    for (const auto& child : group_.groups) {
        if (child->name == name) return ObjectRef(std::make_shared<GroupObject>(state(), documentRef(), *child));
    }
    return ObjectRef();
}

}  // namespace

model::StyleId StyleObject::styleFor(const model::Document& target) const {
    if (&document() != &target) Raise(host::kInvalidArgument, "The character style belongs to another document.");
    return style_;
}

Value StyleObject::dispatch(const Request& request) {
    if (request.id != code::kItem) unknown(request);
    expect(request, InvokeKind::Get, 0);
    return Value(document().styles().style(style_).name);
}

Value StyleContainerProperty(const Request& request, const std::shared_ptr<HostState>& state,
                             const std::shared_ptr<model::Document>& document, const model::StyleGroup& group) {
    if (request.id == code::kCharacterStyles)
        return Value(ObjectRef(std::make_shared<StylesCollection>(state, document, group)));
    return Value(ObjectRef(std::make_shared<GroupsCollection>(state, document, group)));
}

}  // namespace sonotag::standin
