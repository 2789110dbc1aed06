// The bases of the stand-in's objects, and how they fail.

#include "standin/ModelObject.h"

#include "base/Utf.h"
#include "standin/StandInHost.h"

namespace sonotag::standin {

using host::InvokeKind;
using host::ObjectRef;
using host::Value;
namespace code = host::code;

namespace {

const char* KindVerb(InvokeKind kind) {
    switch (kind) {
        case InvokeKind::Get: return "read";
        case InvokeKind::Put: return "set";
        case InvokeKind::Method: return "called as a method";
    }
    return "used";
}

std::string RequestName(const Request& request) {
    return request.id == code::kItem ? std::string("The item") : OperationName(request.id);
}

}  // namespace

void Raise(host::HResult result, const std::string& description) {
    throw host::AutomationError::fromException({0, result, std::u16string(kErrorSource), Utf8ToUtf16(description)});
}

std::string OperationName(host::DispatchId id) {
    std::string name = host::DispatchCodeName(id);
    // Four letters are quoted; "item" and a code in hex stand as they are.
    return id != code::kItem && name.size() == 4 ? "'" + name + "'" : name;
}

std::string Capitalized(std::string text) {
    if (!text.empty() && text[0] >= 'a' && text[0] <= 'z') text[0] = static_cast<char>(text[0] - 'a' + 'A');
    return text;
}

std::string Plural(std::size_t count, const char* noun) {
    return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

ModelObject::ModelObject(std::shared_ptr<HostState> state, bool handedOut)
    : state_(std::move(state)), handedOut_(handedOut) {
    if (handedOut_) state_->objectMade();
}

ModelObject::~ModelObject() {
    if (handedOut_) state_->objectReleased();
}

Value ModelObject::invoke(host::DispatchId id, InvokeKind kind, std::span<const Value> arguments,
                          host::ValueType resultType) {
    state_->beginCall(id);
    return host::ChangeType(dispatch({id, kind, arguments}), resultType);
}

void ModelObject::expect(const Request& request, InvokeKind kind, std::size_t argumentCount) const {
    if (request.kind != kind) {
        Raise(host::kMemberNotFound,
              RequestName(request) + " of " + typeName() + " cannot be " + KindVerb(request.kind) + ".");
    }
    if (request.arguments.size() != argumentCount) {
        Raise(host::kBadParameterCount, RequestName(request) + " of " + typeName() + " takes " +
                                            Plural(argumentCount, "argument") + ", not " +
                                            std::to_string(request.arguments.size()) + ".");
    }
}

void ModelObject::unknown(const Request& request) const {
    if (request.id == code::kItem && request.arguments.empty()) {
        Raise(host::kMemberNotFound, "There is no default value of " + typeName() + ".");
    }
    Raise(host::kMemberNotFound, Capitalized(typeName()) + " has no operation " + OperationName(request.id) + ".");
}

model::Document& DocumentObject::document() const {
    if (!document_) Raise(host::kUnspecifiedFailure, "No document is open.");
    if (document_->closed()) Raise(host::kUnspecifiedFailure, closedProblem());
    return *document_;
}

Value Collection::dispatch(const Request& request) {
    switch (request.id) {
        case code::kCount: expect(request, InvokeKind::Get, 0); return Value(count());
        case code::kItem:
            if (request.arguments.empty()) unknown(request);
            expect(request, InvokeKind::Get, 1);
            return Value(item(request.arguments.front()));
        case code::kFirst:
        case code::kLast: {
            expect(request, InvokeKind::Method, 0);
            const std::int32_t total = count();
            if (total == 0) Raise(host::kBadIndex, emptyProblem());
            return Value(itemAt(request.id == code::kFirst ? 0 : total - 1));
        }
        default: unknown(request);
    }
}

ObjectRef Collection::item(const Value& key) {
    if (key.type() == host::ValueType::Integer) {
        const std::int32_t index = key.integer();
        const std::int32_t total = count();
        if (index < 1 || index > total) {
            Raise(host::kBadIndex, "Index " + std::to_string(index) + " is out of range: " + typeName() + " hold " +
                                       Plural(static_cast<std::size_t>(total), "item") + ".");
        }
        return itemAt(index - 1);
    }
    if (key.type() == host::ValueType::Text) {
        const auto found = itemNamed(key.text());
        if (!found) Raise(host::kTypeMismatch, "Items of " + typeName() + " are chosen by index, not by name.");
        if (!*found) {
            Raise(host::kBadIndex,
                  Capitalized(typeName()) + " hold no item named \"" + Utf16ToUtf8(key.text()) + "\".");
        }
        return *found;
    }
    Raise(host::kTypeMismatch, "The item of " + typeName() + " needs an index or a name.");
}

}  // namespace sonotag::standin
