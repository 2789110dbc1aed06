#pragma once
// Wraps a host so a test can answer chosen calls itself: every object the
// host hands out comes back wrapped too, and wrapped arguments are unwrapped
// on the way in. For host answers the stand-in never gives (a history that
// is not an array, a word whose text is not text, a word that does not grow).

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "host/HostObject.h"

namespace sonotag::test {

// Returns a value to answer the call in the host's place, or nothing to let
// the host answer.
using CallHook = std::function<std::optional<host::Value>(host::DispatchId, host::InvokeKind, std::span<const host::Value>)>;

class InterceptingObject : public host::HostObject {
public:
    InterceptingObject(host::ObjectRef inner, std::shared_ptr<CallHook> hook) : inner_(std::move(inner)), hook_(std::move(hook)) {}

    host::Value invoke(host::DispatchId id, host::InvokeKind kind, std::span<const host::Value> arguments, host::ValueType resultType) override {
        std::vector<host::Value> unwrapped;
        for (const host::Value& argument : arguments) unwrapped.push_back(Unwrap(argument));
        if (std::optional<host::Value> answer = (*hook_)(id, kind, unwrapped)) { return host::ChangeType(*answer, resultType); }
        return Wrap(inner_->invoke(id, kind, unwrapped, resultType), hook_);
    }

    static host::Value Wrap(const host::Value& value, const std::shared_ptr<CallHook>& hook) {
        if (value.type() != host::ValueType::Object || !value.object()) return value;
        return host::Value(host::ObjectRef(std::make_shared<InterceptingObject>(value.object(), hook)));
    }

private:
    static host::Value Unwrap(const host::Value& value) {
        if (value.type() != host::ValueType::Object) return value;
        const auto* wrapped = dynamic_cast<const InterceptingObject*>(value.object().get());
        return wrapped ? host::Value(wrapped->inner_) : value;
    }

    host::ObjectRef inner_;
    std::shared_ptr<CallHook> hook_;
};

inline host::ObjectRef Intercept(host::ObjectRef application, CallHook hook) {
    return host::ObjectRef(std::make_shared<InterceptingObject>(std::move(application), std::make_shared<CallHook>(std::move(hook))));
}

}  // namespace sonotag::test
