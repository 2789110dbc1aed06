#include "host/ComObject_win32.h"

#include <objidl.h>

#include "host/AutomationError.h"

namespace sonotag::host {
namespace {

void ThrowIfFailed(HRESULT result) {
    if (FAILED(result)) throw AutomationError(result);
}

WORD DispatchFlags(InvokeKind kind) {
    switch (kind) {
        case InvokeKind::Get: return DISPATCH_PROPERTYGET;
        case InvokeKind::Put: return DISPATCH_PROPERTYPUT;
        case InvokeKind::Method: return DISPATCH_METHOD;
    }
    return DISPATCH_METHOD;
}

// One argument, by value. Only objects of this binding can be passed on to
// a COM host: anything else has no IDispatch to give.
void FillArgument(const Value& value, VARIANT& argument) {
    switch (value.type()) {
        case ValueType::Empty: V_VT(&argument) = VT_EMPTY; return;
        case ValueType::Integer:
            V_VT(&argument) = VT_I4;
            V_I4(&argument) = value.integer();
            return;
        case ValueType::Text:
            V_BSTR(&argument) = Bstr(value.text()).detach();
            V_VT(&argument) = VT_BSTR;
            return;
        case ValueType::Object: {
            const ObjectRef& object = value.object();
            IDispatch* dispatch = DispatchOf(object);
            if (object && !dispatch) throw AutomationError(kTypeMismatch);
            if (dispatch) dispatch->AddRef();
            V_VT(&argument) = VT_DISPATCH;
            V_DISPATCH(&argument) = dispatch;
            return;
        }
        case ValueType::Array:
        case ValueType::Any: break;
    }
    throw AutomationError(kTypeMismatch);
}

void ChangeTo(Variant& result, VARTYPE type) { ThrowIfFailed(VariantChangeType(result.get(), result.get(), 0, type)); }

// A result as IDispatch: asked for through QueryInterface, where a refusal
// (E_NOINTERFACE) leaves the reference empty.
ObjectRef ObjectFrom(Variant& result) {
    if (result.type() != VT_DISPATCH && result.type() != VT_UNKNOWN) ChangeTo(result, VT_DISPATCH);
    IUnknown* unknown = result.type() == VT_DISPATCH ? V_DISPATCH(result.get()) : V_UNKNOWN(result.get());
    if (!unknown) return {};
    ComRef<IDispatch> dispatch;
    const HRESULT answer = QueryInterface(unknown, IID_IDispatch, dispatch);
    if (answer == E_NOINTERFACE) return {};
    ThrowIfFailed(answer);
    return WrapDispatch(std::move(dispatch));
}

Value ArrayFrom(Variant& result) {
    if ((result.type() & VT_ARRAY) == 0) ChangeTo(result, VT_ARRAY | VT_VARIANT);
    LONG upperBound = 0;
    ThrowIfFailed(SafeArrayGetUBound(V_ARRAY(result.get()), 1, &upperBound));
    return Value(ArrayBound{upperBound});
}

Value IntegerFrom(Variant& result) {
    if (result.type() != VT_I4) ChangeTo(result, VT_I4);
    return Value(static_cast<std::int32_t>(V_I4(result.get())));
}

Value TextFrom(Variant& result) {
    if (result.type() != VT_BSTR) ChangeTo(result, VT_BSTR);
    return Value(TextOf(V_BSTR(result.get())));
}

// A result taken as it comes: each kind of VARIANT to the value that holds
// it; numbers of other types become integers, anything else text.
Value AsItComes(Variant& result) {
    const VARTYPE type = result.type();
    if (type & VT_ARRAY) return ArrayFrom(result);
    switch (type) {
        case VT_EMPTY:
        case VT_NULL: return Value();
        case VT_DISPATCH:
        case VT_UNKNOWN: return Value(ObjectFrom(result));
        case VT_BSTR: return TextFrom(result);
        case VT_R4:
        case VT_R8:
        case VT_CY:
        case VT_DECIMAL: return IntegerFrom(result);
        default: return IsIntegerType(type) ? IntegerFrom(result) : TextFrom(result);
    }
}

Value ResultValue(Variant& result, ValueType type) {
    if (result.type() & VT_BYREF) {
        Variant value;
        ThrowIfFailed(VariantCopyInd(value.get(), result.get()));
        result = std::move(value);
    }
    switch (type) {
        case ValueType::Empty: return Value();
        case ValueType::Integer: return IntegerFrom(result);
        case ValueType::Text: return TextFrom(result);
        case ValueType::Object: return Value(ObjectFrom(result));
        case ValueType::Array: return ArrayFrom(result);
        case ValueType::Any: return AsItComes(result);
    }
    return AsItComes(result);
}

// The automation error for DISP_E_EXCEPTION. A deferred fill-in routine is
// only called for an object in this process: a proxy has no business
// passing one, and Wine's marshaler hands a cross-process caller a
// truncated pointer there that would crash when called.
AutomationError ExceptionError(EXCEPINFO& exception, IDispatch* object) {
    if (exception.pfnDeferredFillIn && IsInProcess(object)) exception.pfnDeferredFillIn(&exception);
    // A host that gives neither code has still failed; its result must not
    // read as success.
    const HResult scode = exception.wCode == 0 && !FAILED(exception.scode) ? kException : exception.scode;
    return AutomationError::fromException(
        {exception.wCode, scode, OptionalTextOf(exception.bstrSource), OptionalTextOf(exception.bstrDescription)});
}

}  // namespace

ComObject::ComObject(ComRef<IDispatch> dispatch) : dispatch_(std::move(dispatch)) {}

Value ComObject::invoke(DispatchId id, InvokeKind kind, std::span<const Value> arguments, ValueType resultType) {
    // DISPPARAMS lists the arguments from the last to the first.
    VariantList argumentList(arguments.size());
    for (std::size_t i = 0; i < arguments.size(); ++i)
        FillArgument(arguments[i], argumentList[arguments.size() - 1 - i]);
    DISPID propertyPut = DISPID_PROPERTYPUT;
    const bool isPut = kind == InvokeKind::Put;
    DISPPARAMS parameters{argumentList.data(), isPut ? &propertyPut : nullptr, static_cast<UINT>(argumentList.size()),
                          isPut ? 1u : 0u};

    Variant result;
    OwnedExcepInfo exception;
    UINT argumentError = 0;
    const HRESULT answer = dispatch_->Invoke(id, IID_NULL, 0, DispatchFlags(kind), &parameters,
                                             isPut ? nullptr : result.get(), exception.get(), &argumentError);
    if (answer == DISP_E_EXCEPTION) throw ExceptionError(*exception, dispatch_.get());
    ThrowIfFailed(answer);
    return ResultValue(result, resultType);
}

ObjectRef WrapDispatch(ComRef<IDispatch> dispatch) {
    if (!dispatch) return {};
    return std::make_shared<ComObject>(std::move(dispatch));
}

ObjectRef WrapDispatch(IDispatch* dispatch) { return WrapDispatch(ComRef<IDispatch>::share(dispatch)); }

IDispatch* DispatchOf(const ObjectRef& object) {
    const auto* comObject = dynamic_cast<const ComObject*>(object.get());
    return comObject ? comObject->dispatch() : nullptr;
}

bool IsInProcess(IUnknown* object) {
    // Every proxy answers IMultiQI itself, from its proxy manager; an object
    // served in this apartment has no reason to.
    ComRef<IMultiQI> proxyManager;
    return FAILED(QueryInterface(object, IID_IMultiQI, proxyManager));
}

}  // namespace sonotag::host
