#include "host/HostObject.h"

#include <charconv>

#include "host/AutomationError.h"

namespace sonotag::host {
namespace {

[[noreturn]] void Mismatch() { throw AutomationError(kTypeMismatch); }

// Decimal text to a 32-bit integer, blanks around allowed, as automation's
// conversion reads numbers.
std::int32_t ParseInteger(const std::u16string& text) {
    std::string narrow;
    for (char16_t unit : text) {
        if (unit > 0x7F) Mismatch();
        narrow.push_back(static_cast<char>(unit));
    }
    const auto first = narrow.find_first_not_of(" \t");
    const auto last = narrow.find_last_not_of(" \t");
    if (first == std::string::npos) Mismatch();
    const char* begin = narrow.data() + first;
    const char* end = narrow.data() + last + 1;
    if (*begin == '+') ++begin;
    std::int32_t number = 0;
    const auto [stop, error] = std::from_chars(begin, end, number);
    if (error != std::errc() || stop != end) Mismatch();
    return number;
}

std::u16string FormatInteger(std::int32_t number) {
    const std::string narrow = std::to_string(number);
    return std::u16string(narrow.begin(), narrow.end());
}

Value Invoke(const ObjectRef& object, DispatchId id, InvokeKind kind, std::span<const Value> arguments,
             ValueType resultType) {
    return Required(object)->invoke(id, kind, arguments, resultType);
}

}  // namespace

std::int32_t Value::integer() const {
    if (const auto* held = std::get_if<std::int32_t>(&data_)) return *held;
    Mismatch();
}

const std::u16string& Value::text() const {
    if (const auto* held = std::get_if<std::u16string>(&data_)) return *held;
    Mismatch();
}

const ObjectRef& Value::object() const {
    if (const auto* held = std::get_if<ObjectRef>(&data_)) return *held;
    Mismatch();
}

ArrayBound Value::array() const {
    if (const auto* held = std::get_if<ArrayBound>(&data_)) return *held;
    Mismatch();
}

Value ChangeType(const Value& value, ValueType type) {
    if (type == ValueType::Any || type == value.type()) return value;
    if (value.type() == ValueType::Object && type != ValueType::Empty) {
        // An object stands for its default value.
        if (!value.object()) Mismatch();
        return value.object()->invoke(code::kItem, InvokeKind::Get, {}, type);
    }
    switch (type) {
        case ValueType::Empty: return Value();
        case ValueType::Integer:
            if (value.isEmpty()) return Value(0);
            if (value.type() == ValueType::Text) return Value(ParseInteger(value.text()));
            break;
        case ValueType::Text:
            if (value.isEmpty()) return Value(std::u16string());
            if (value.type() == ValueType::Integer) return Value(FormatInteger(value.integer()));
            break;
        case ValueType::Object:
            if (value.isEmpty()) return Value(ObjectRef());  // nothing: an empty reference
            break;
        case ValueType::Array:
        case ValueType::Any: break;
    }
    Mismatch();
}

const ObjectRef& Required(const ObjectRef& object) {
    if (!object) throw AutomationError(kInvalidPointer);
    return object;
}

Value Get(const ObjectRef& object, DispatchId id, ValueType resultType) {
    return Invoke(object, id, InvokeKind::Get, {}, resultType);
}

std::int32_t GetInteger(const ObjectRef& object, DispatchId id) {
    return Get(object, id, ValueType::Integer).integer();
}

std::u16string GetText(const ObjectRef& object, DispatchId id) { return Get(object, id, ValueType::Text).text(); }

void Put(const ObjectRef& object, DispatchId id, const Value& value) {
    Invoke(object, id, InvokeKind::Put, std::span<const Value>(&value, 1), ValueType::Any);
}

Value Call(const ObjectRef& object, DispatchId id, ValueType resultType) {
    return Invoke(object, id, InvokeKind::Method, {}, resultType);
}

ObjectRef CallForObject(const ObjectRef& object, DispatchId id) { return Call(object, id, ValueType::Object).object(); }

ObjectRef Item(const ObjectRef& collection, std::int32_t index) {
    const Value argument(index);
    return Invoke(collection, code::kItem, InvokeKind::Get, std::span<const Value>(&argument, 1), ValueType::Object)
        .object();
}

ObjectRef Item(const ObjectRef& collection, const std::u16string& name) {
    const Value argument(name);
    return Invoke(collection, code::kItem, InvokeKind::Get, std::span<const Value>(&argument, 1), ValueType::Object)
        .object();
}

}  // namespace sonotag::host
