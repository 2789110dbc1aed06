#pragma once
// What every object of the stand-in shares: the failure it raises, the
// request it answers, and the bases that count objects and calls, tie an
// object to its document and answer a collection's operations.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "host/AutomationError.h"
#include "host/HResult.h"
#include "host/HostObject.h"
#include "model/Document.h"
#include "standin/HostState.h"

namespace sonotag::standin {

// Fails like the real host: the automation error with the stand-in as its
// source and `description`, filled in at once.
[[noreturn]] void Raise(host::HResult result, const std::string& description);

// How descriptions name an operation: "'cnte'", or the code in hex.
std::string OperationName(host::DispatchId id);

std::string Capitalized(std::string text);
std::string Plural(std::size_t count, const char* noun);

struct Request {
    host::DispatchId id;
    host::InvokeKind kind;
    std::span<const host::Value> arguments;
};

// The base of every object: counts it, counts its calls, converts results.
class ModelObject : public host::HostObject {
public:
    // `handedOut` false: an object the host keeps itself (the application),
    // left out of the live count.
    explicit ModelObject(std::shared_ptr<HostState> state, bool handedOut = true);
    ~ModelObject() override;
    ModelObject(const ModelObject&) = delete;
    ModelObject& operator=(const ModelObject&) = delete;

    host::Value invoke(host::DispatchId id, host::InvokeKind kind, std::span<const host::Value> arguments,
                       host::ValueType resultType) override;

protected:
    virtual host::Value dispatch(const Request& request) = 0;
    // "a word", "the characters": how descriptions name this object.
    virtual std::string typeName() const = 0;

    const std::shared_ptr<HostState>& state() const { return state_; }

    // Fails unless the call is of this kind with this many arguments.
    void expect(const Request& request, host::InvokeKind kind, std::size_t argumentCount) const;
    [[noreturn]] void unknown(const Request& request) const;

private:
    std::shared_ptr<HostState> state_;
    bool handedOut_;
};

// An object of one document: fails once that document is closed or replaced.
class DocumentObject : public ModelObject {
public:
    DocumentObject(std::shared_ptr<HostState> state, std::shared_ptr<model::Document> document)
        : ModelObject(std::move(state)), document_(std::move(document)) {}

protected:
    model::Document& document() const;
    virtual std::string closedProblem() const { return "The document of " + typeName() + " is no longer open."; }
    const std::shared_ptr<model::Document>& documentRef() const { return document_; }

private:
    std::shared_ptr<model::Document> document_;
};

// Collections: 'cnte', item by 1-based index (and by name where the host
// allows it), 'firs' and 'last'.
class Collection : public DocumentObject {
public:
    using DocumentObject::DocumentObject;

protected:
    virtual std::int32_t count() = 0;
    virtual host::ObjectRef itemAt(std::int32_t index) = 0;  // 0-based, in range
    virtual std::optional<host::ObjectRef> itemNamed(const std::u16string&) { return std::nullopt; }  // none: no names
    virtual std::string emptyProblem() const { return Capitalized(typeName()) + " hold no items."; }

    host::Value dispatch(const Request& request) override;

private:
    host::ObjectRef item(const host::Value& key);
};

}  // namespace sonotag::standin
