#pragma once
// The host interface over IDispatch::Invoke: how every host operation
// reaches a real automation server. Calls pass locale 0 and IID_NULL,
// arguments travel by value as VARIANTs, a put passes its one value as the
// named argument DISPID_PROPERTYPUT, and results of another type than the
// one asked for are converted with VariantChangeType. Failures raise the
// automation error; DISP_E_EXCEPTION carries the host's source and
// description.
//
// A ComObject must be used and released on the thread (apartment) that made
// it, before COM is shut down on that thread.

#include <windows.h>

#include <oaidl.h>

#include "host/ComOwners_win32.h"
#include "host/HostObject.h"

namespace sonotag::host {

class ComObject final : public HostObject {
public:
    // `dispatch` must not be empty.
    explicit ComObject(ComRef<IDispatch> dispatch);

    Value invoke(DispatchId id, InvokeKind kind, std::span<const Value> arguments, ValueType resultType) override;

    IDispatch* dispatch() const { return dispatch_.get(); }

private:
    ComRef<IDispatch> dispatch_;
};

// A host object over `dispatch`; an empty reference for an empty one.
ObjectRef WrapDispatch(ComRef<IDispatch> dispatch);
// The same, taking a reference of its own to a borrowed pointer.
ObjectRef WrapDispatch(IDispatch* dispatch);

// The IDispatch behind a host object made by WrapDispatch (borrowed), or
// null for an empty reference or an object of another kind.
IDispatch* DispatchOf(const ObjectRef& object);

// True when `object` lives in this apartment, false when it is a proxy to
// another apartment or process.
bool IsInProcess(IUnknown* object);

// VARIANT types that hold an integer (VT_BOOL among them): what both ends
// of a call turn into an integer value.
inline bool IsIntegerType(VARTYPE type) {
    switch (type) {
        case VT_I1:
        case VT_I2:
        case VT_I4:
        case VT_I8:
        case VT_UI1:
        case VT_UI2:
        case VT_UI4:
        case VT_UI8:
        case VT_INT:
        case VT_UINT:
        case VT_BOOL: return true;
        default: return false;
    }
}

}  // namespace sonotag::host
