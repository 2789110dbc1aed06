#pragma once
// A host object as automation offers it, and nothing more: operations are
// invoked by dispatch code as a property get, a property put or a method,
// with values that are empty, 32-bit integers, text, object references or
// arrays. The COM binding implements it over IDispatch; the stand-in host
// implements it over its own document model. The portable core speaks to
// the host only through this interface.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <variant>

#include "host/DispatchCodes.h"

namespace sonotag::host {

class HostObject;

// A counted reference to a host object; it may be empty.
using ObjectRef = std::shared_ptr<HostObject>;

// An array result: only the upper bound of its first dimension is ever used.
struct ArrayBound {
    std::int32_t upperBound = -1;
    bool operator==(const ArrayBound&) const = default;
};

enum class ValueType { Empty, Integer, Text, Object, Array, Any };

class Value {
public:
    Value() = default;
    Value(std::int32_t integer) : data_(integer) {}
    Value(std::u16string text) : data_(std::move(text)) {}
    Value(const char16_t* text) : data_(std::u16string(text)) {}
    Value(ObjectRef object) : data_(std::move(object)) {}
    Value(ArrayBound array) : data_(array) {}

    ValueType type() const { return static_cast<ValueType>(data_.index()); }
    bool isEmpty() const { return type() == ValueType::Empty; }

    // The held value; throws the automation error kTypeMismatch for another type.
    std::int32_t integer() const;
    const std::u16string& text() const;
    const ObjectRef& object() const;
    ArrayBound array() const;

private:
    std::variant<std::monostate, std::int32_t, std::u16string, ObjectRef, ArrayBound> data_;
};

enum class InvokeKind { Get, Put, Method };

class HostObject {
public:
    virtual ~HostObject() = default;

    // Invokes one operation. A put passes its one value in `arguments`. The
    // result is converted to `resultType` (ValueType::Any: as it comes),
    // the way automation's type conversion converts. Failures throw the
    // automation error.
    virtual Value invoke(DispatchId id, InvokeKind kind, std::span<const Value> arguments, ValueType resultType) = 0;
};

// Converts a value as automation's type conversion does for the types used
// here: integers and decimal text both ways; empty to 0, empty text or an
// empty reference; an object to its default value. Throws kTypeMismatch
// when it cannot.
Value ChangeType(const Value& value, ValueType type);

// The calls the program makes, each on a reference that may be empty: an
// empty one raises kInvalidPointer without reaching the host.
Value Get(const ObjectRef& object, DispatchId id, ValueType resultType = ValueType::Any);
inline ObjectRef GetObjectRef(const ObjectRef& object, DispatchId id) {
    return Get(object, id, ValueType::Object).object();
}
std::int32_t GetInteger(const ObjectRef& object, DispatchId id);
std::u16string GetText(const ObjectRef& object, DispatchId id);
void Put(const ObjectRef& object, DispatchId id, const Value& value);
Value Call(const ObjectRef& object, DispatchId id, ValueType resultType = ValueType::Any);
ObjectRef CallForObject(const ObjectRef& object, DispatchId id);

// Item access of a collection (dispatch id 0): by 1-based index or by name.
ObjectRef Item(const ObjectRef& collection, std::int32_t index);
ObjectRef Item(const ObjectRef& collection, const std::u16string& name);

// The object a reference must hold for the next step; empty raises kInvalidPointer.
const ObjectRef& Required(const ObjectRef& object);

}  // namespace sonotag::host
