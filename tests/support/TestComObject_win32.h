#pragma once
// The plumbing of the small COM objects that tests make: reference counting,
// QueryInterface from one function, and an IDispatch that knows no names.

#include <windows.h>
#include <oaidl.h>

#if defined(__GNUC__)
// COM objects are destroyed through Release, never through an interface pointer.
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif

namespace sonotag::test {

// `Derived` gives `void* interfaceFor(REFIID)`: itself as the interface
// asked for, or null. Objects start with one reference, the creator's.
template <class Derived, class Interface>
class TestComObject : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object = static_cast<Derived*>(this)->interfaceFor(iid);
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete static_cast<Derived*>(this);
        return left;
    }
    ULONG references() const { return references_; }

protected:
    TestComObject() = default;
    ~TestComObject() = default;

private:
    ULONG references_ = 1;
};

// An IDispatch reached by dispatch identifier only; `Derived` gives Invoke.
template <class Derived>
class TestDispatch : public TestComObject<Derived, IDispatch> {
public:
    void* interfaceFor(REFIID iid) {
        return iid == IID_IUnknown || iid == IID_IDispatch ? static_cast<IDispatch*>(this) : nullptr;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
        return DISP_E_UNKNOWNNAME;
    }
};

}  // namespace sonotag::test
