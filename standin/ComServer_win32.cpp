#include "standin/ComServer_win32.h"

#include <algorithm>
#include <new>
#include <vector>

#include "base/Utf.h"
#include "base/WideText_win32.h"
#include "host/AutomationError.h"
#include "host/ComObject_win32.h"

namespace sonotag::standin {
namespace {

using host::Bstr;
using host::ComRef;
using host::ObjectRef;
using host::Value;
using host::ValueType;

// Asked for by ServedObject to recognise our own wrappers. Nothing answers it
// across processes: it has no marshaler, so only a wrapper in this process
// can ever hand out its address this way.
constexpr IID kServedObjectId = {0x23d6fc11, 0x029a, 0x4db1, {0x90, 0xfb, 0x0c, 0xc5, 0x2d, 0xd0, 0x34, 0x3b}};

// Keeps the server alive while the owner exists.
class LifetimeReference {
public:
    explicit LifetimeReference(std::shared_ptr<ServerLifetime> lifetime) : lifetime_(std::move(lifetime)) {
        if (lifetime_) lifetime_->addReference();
    }
    LifetimeReference(const LifetimeReference&) = delete;
    LifetimeReference& operator=(const LifetimeReference&) = delete;
    ~LifetimeReference() {
        if (lifetime_) lifetime_->releaseReference();
    }
    const std::shared_ptr<ServerLifetime>& lifetime() const { return lifetime_; }

private:
    std::shared_ptr<ServerLifetime> lifetime_;
};

host::InvokeKind KindOf(WORD flags) {
    if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) return host::InvokeKind::Put;
    // A client that cannot tell (DISPATCH_METHOD | DISPATCH_PROPERTYGET) reads a property.
    if (flags & DISPATCH_PROPERTYGET) return host::InvokeKind::Get;
    return host::InvokeKind::Method;
}

ObjectRef ObjectArgument(IUnknown* object) {
    if (!object) return {};
    if (ObjectRef served = ServedObject(object)) return served;
    ComRef<IDispatch> dispatch;
    if (FAILED(host::QueryInterface(object, IID_IDispatch, dispatch))) throw host::AutomationError(host::kTypeMismatch);
    return host::WrapDispatch(std::move(dispatch));
}

// One argument as a value; failures raise the automation error with the
// HRESULT that Invoke answers for a bad argument.
Value ArgumentValue(const VARIANT& argument) {
    host::Variant value;
    if (V_VT(&argument) & VT_BYREF) {
        const HRESULT copied = VariantCopyInd(value.get(), const_cast<VARIANT*>(&argument));
        if (FAILED(copied)) throw host::AutomationError(copied);
    } else {
        const HRESULT copied = VariantCopy(value.get(), const_cast<VARIANT*>(&argument));
        if (FAILED(copied)) throw host::AutomationError(copied);
    }
    const VARTYPE type = value.type();
    if (type == VT_EMPTY || type == VT_NULL) return Value();
    // An optional argument the caller left out.
    if (type == VT_ERROR && V_ERROR(value.get()) == DISP_E_PARAMNOTFOUND) return Value();
    if (type == VT_BSTR) return Value(host::TextOf(V_BSTR(value.get())));
    if (type == VT_DISPATCH) return Value(ObjectArgument(V_DISPATCH(value.get())));
    if (type == VT_UNKNOWN) return Value(ObjectArgument(V_UNKNOWN(value.get())));
    if (host::IsIntegerType(type)) {
        const HRESULT changed = VariantChangeType(value.get(), value.get(), 0, VT_I4);
        if (FAILED(changed)) throw host::AutomationError(changed);
        return Value(static_cast<std::int32_t>(V_I4(value.get())));
    }
    throw host::AutomationError(host::kTypeMismatch);
}

// An array with `upperBound` as the upper bound of its one dimension.
SAFEARRAY* MakeArray(std::int32_t upperBound) {
    const LONG lowerBound = std::min<LONG>(0, static_cast<LONG>(upperBound) + 1);
    const auto count = static_cast<ULONG>(static_cast<LONG>(upperBound) + 1 - lowerBound);
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, lowerBound, count);
    if (!array) throw host::AutomationError(host::kOutOfMemory);
    return array;
}

void FillResult(const Value& result, const std::shared_ptr<ServerLifetime>& lifetime, VARIANT& out) {
    host::Variant value;
    VARIANT* slot = value.get();
    switch (result.type()) {
        case ValueType::Empty:
        case ValueType::Any: break;
        case ValueType::Integer:
            V_VT(slot) = VT_I4;
            V_I4(slot) = result.integer();
            break;
        case ValueType::Text:
            V_BSTR(slot) = Bstr(result.text()).detach();
            V_VT(slot) = VT_BSTR;
            break;
        case ValueType::Object: {
            // An object that came from another server goes back as itself.
            IDispatch* foreign = host::DispatchOf(result.object());
            V_DISPATCH(slot) =
                foreign ? ComRef<IDispatch>::share(foreign).detach() : ServeObject(result.object(), lifetime).detach();
            V_VT(slot) = VT_DISPATCH;
            break;
        }
        case ValueType::Array:
            V_ARRAY(slot) = MakeArray(result.array().upperBound);
            V_VT(slot) = VT_ARRAY | VT_VARIANT;
            break;
    }
    out = value.detach();
}

BSTR OptionalBstr(const std::optional<std::u16string>& text) {
    if (!text) return nullptr;
    return SysAllocStringLen(Wide(*text), static_cast<UINT>(text->size()));
}

// The error as an exception filled in at once; without a place for it, the
// error's result itself.
HRESULT AnswerException(const host::AutomationError& error, EXCEPINFO* exception) {
    if (!exception) return error.result();
    *exception = EXCEPINFO{};
    if (const host::ExceptionInfo* info = error.exception()) {
        exception->wCode = info->wCode;
        exception->scode = info->scode;
        exception->bstrSource = OptionalBstr(info->source);
        exception->bstrDescription = OptionalBstr(info->description);
    } else {
        exception->scode = error.result();
    }
    return DISP_E_EXCEPTION;
}

// COM objects are destroyed through Release, never through a pointer to
// their interface, which has no virtual destructor by design.
#if defined(__GNUC__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif

// IUnknown for an object of one interface: counted references, starting at
// one for the creator, and the object deleted with the last; QueryInterface
// answers IUnknown and what the object says it answers.
template <class Interface>
class CountedUnknown : public Interface {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** result) override {
        if (!result) return E_POINTER;
        if (iid == IID_IUnknown || answers(iid)) {
            *result = static_cast<Interface*>(this);
            AddRef();
            return S_OK;
        }
        *result = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

protected:
    CountedUnknown() = default;
    virtual ~CountedUnknown() = default;
    virtual bool answers(REFIID iid) const = 0;

private:
    std::atomic<ULONG> references_{1};
};

class DispatchServer final : public CountedUnknown<IDispatch> {
public:
    DispatchServer(ObjectRef object, std::shared_ptr<ServerLifetime> lifetime)
        : object_(std::move(object)), lifetime_(std::move(lifetime)) {}

    const ObjectRef& object() const { return object_; }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
        if (info) *info = nullptr;
        return DISP_E_BADINDEX;
    }
    // Callers use dispatch codes only; no name is known.
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) override {
        if (ids) std::fill_n(ids, count, DISPID_UNKNOWN);
        return DISP_E_UNKNOWNNAME;
    }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* parameters, VARIANT* result,
                                     EXCEPINFO* exception, UINT* argumentError) override {
        if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        const DISPPARAMS none{};
        const DISPPARAMS& given = parameters ? *parameters : none;
        if (given.cArgs != 0 && !given.rgvarg) return E_INVALIDARG;
        const host::InvokeKind kind = KindOf(flags);
        if (const HRESULT named = CheckNamedArguments(given, kind); FAILED(named)) return named;

        std::vector<Value> arguments(given.cArgs);
        for (UINT i = 0; i < given.cArgs; ++i) {
            const UINT position = given.cArgs - 1 - i;  // DISPPARAMS lists them from the last
            try {
                arguments[i] = ArgumentValue(given.rgvarg[position]);
            } catch (const host::AutomationError& error) {
                if (argumentError) *argumentError = position;
                return error.result();
            } catch (const std::bad_alloc&) { return E_OUTOFMEMORY; }
        }
        try {
            const Value answer = object_->invoke(id, kind, arguments, ValueType::Any);
            if (result) FillResult(answer, lifetime_.lifetime(), *result);
            return S_OK;
        } catch (const host::AutomationError& error) {
            return AnswerException(error, exception);
        } catch (const std::bad_alloc&) { return E_OUTOFMEMORY; } catch (const std::exception& failure) {
            return AnswerException(
                host::AutomationError::fromException({0, E_FAIL, std::nullopt, Utf8ToUtf16(failure.what())}),
                exception);
        } catch (...) { return E_UNEXPECTED; }
    }

private:
    ~DispatchServer() override = default;
    bool answers(REFIID iid) const override { return iid == IID_IDispatch || iid == kServedObjectId; }

    // A put takes its value as the one named argument DISPID_PROPERTYPUT;
    // nothing else takes named arguments.
    static HRESULT CheckNamedArguments(const DISPPARAMS& parameters, host::InvokeKind kind) {
        if (kind != host::InvokeKind::Put) return parameters.cNamedArgs == 0 ? S_OK : DISP_E_NONAMEDARGS;
        if (parameters.cNamedArgs != 1 || !parameters.rgdispidNamedArgs ||
            parameters.rgdispidNamedArgs[0] != DISPID_PROPERTYPUT)
            return DISP_E_PARAMNOTFOUND;
        return parameters.cArgs == 1 ? S_OK : DISP_E_BADPARAMCOUNT;
    }

    ObjectRef object_;
    LifetimeReference lifetime_;
};

class ApplicationFactory final : public CountedUnknown<IClassFactory> {
public:
    ApplicationFactory(ObjectRef application, std::shared_ptr<ServerLifetime> lifetime)
        : application_(std::move(application)), lifetime_(std::move(lifetime)) {}

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** result) override {
        if (!result) return E_POINTER;
        *result = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        try {
            const ComRef<IDispatch> instance = ServeObject(application_, lifetime_);
            return instance->QueryInterface(iid, result);
        } catch (const std::bad_alloc&) { return E_OUTOFMEMORY; }
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
        if (!lifetime_) return S_OK;
        if (lock) {
            lifetime_->addReference();
        } else {
            lifetime_->releaseReference();
        }
        return S_OK;
    }

private:
    ~ApplicationFactory() override = default;
    bool answers(REFIID iid) const override { return iid == IID_IClassFactory; }

    ObjectRef application_;
    std::shared_ptr<ServerLifetime> lifetime_;
};

#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif

}  // namespace

ComRef<IDispatch> ServeObject(ObjectRef object, std::shared_ptr<ServerLifetime> lifetime) {
    if (!object) return {};
    return ComRef<IDispatch>::adopt(new DispatchServer(std::move(object), std::move(lifetime)));
}

ObjectRef ServedObject(IUnknown* object) {
    if (!object) return {};
    ComRef<IDispatch> served;
    if (FAILED(host::QueryInterface(object, kServedObjectId, served))) return {};
    return static_cast<DispatchServer*>(served.get())->object();
}

ComRef<IClassFactory> MakeClassFactory(ObjectRef application, std::shared_ptr<ServerLifetime> lifetime) {
    return ComRef<IClassFactory>::adopt(new ApplicationFactory(std::move(application), std::move(lifetime)));
}

}  // namespace sonotag::standin
