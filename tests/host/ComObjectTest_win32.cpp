#include "host/ComObject_win32.h"

#include <windows.h>
#include <objidl.h>

#include <cstdio>
#include <functional>
#include <optional>

#include <gtest/gtest.h>

#include "host/AttachHost_win32.h"  // OleApartment
#include "host/AutomationError.h"
#include "base/Utf.h"

#if defined(__GNUC__)
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"  // COM objects go through Release only
#endif

namespace sonotag::host {
namespace {

// A COM object as each test scripts it: IDispatch (unless it knows IUnknown only, refusing the rest
// with `refusal`), and IMultiQI when it poses as a proxy.
class Scripted final : public IDispatch {
public:
    HRESULT answer = S_OK;
    Variant result;
    std::function<void(EXCEPINFO&)> fillException;
    bool knowsIUnknownOnly = false;
    HRESULT refusal = E_NOINTERFACE;
    bool posesAsProxy = false;
    ULONG references = 1;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        *object = nullptr;
        if (iid == IID_IUnknown || (!knowsIUnknownOnly && (iid == IID_IDispatch || (posesAsProxy && iid == IID_IMultiQI))))
            *object = this;
        if (!*object) return refusal;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references;
        if (left == 0) delete this;
        return left;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* resultSlot, EXCEPINFO* exception,
                                     UINT*) override {
        if (answer == DISP_E_EXCEPTION) fillException(*exception);
        if (SUCCEEDED(answer) && resultSlot) VariantCopy(resultSlot, result.get());
        return answer;
    }
};

class ComTest : public ::testing::Test {
protected:
    OleApartment apartment;
    ComRef<Scripted> object = ComRef<Scripted>::Adopt(new Scripted);
    ObjectRef host = WrapDispatch(static_cast<IDispatch*>(object.get()));
};

// What a get gave: "i:<integer>", "t:<text>", "a:<upper bound>", "o:null", "-" for nothing, or the
// error: "!<result>", and " <source>|<description>" when it has error information.
std::string Outcome(const ObjectRef& host, ValueType asked) {
    try {
        const Value value = Get(host, code::kContents, asked);
        switch (value.type()) {
            case ValueType::Integer: return "i:" + std::to_string(value.integer());
            case ValueType::Text: return "t:" + Utf16ToUtf8(value.text());
            case ValueType::Array: return "a:" + std::to_string(value.array().upperBound);
            case ValueType::Object: return value.object() ? "o:object" : "o:null";
            default: return "-";
        }
    } catch (const AutomationError& error) {
        char hex[16];
        std::snprintf(hex, sizeof hex, "!%08X", static_cast<unsigned>(error.result()));
        if (!error.hasErrorInfo()) return hex;
        return hex + (" " + Utf16ToUtf8(error.source().value_or(u"(null)"))) + "|" +
               Utf16ToUtf8(error.description().value_or(u"(null)"));
    }
}

void Text(VARIANT& v, const wchar_t* text) { V_VT(&v) = VT_BSTR, V_BSTR(&v) = SysAllocString(text); }
void Array(VARIANT& v, ULONG size) { V_VT(&v) = VT_ARRAY | VT_VARIANT, V_ARRAY(&v) = SafeArrayCreateVector(VT_VARIANT, 0, size); }
void Unknown(VARIANT& v, HRESULT refusal) {
    auto* unknown = new Scripted;
    unknown->knowsIUnknownOnly = true;
    unknown->refusal = refusal;
    V_VT(&v) = VT_UNKNOWN, V_UNKNOWN(&v) = unknown;
}
LONG referencedNumber = 17;

// Results are converted to the type asked for as VariantChangeType does; "Any" takes them as they come.
TEST_F(ComTest, ResultConversionFollowsVariantChangeType) {
    using V = VARIANT&;
    const struct {
        void (*make)(VARIANT&);
        ValueType asked;
        const char* outcome;
    } rows[] = {
        {[](V v) { V_VT(&v) = VT_I2, V_I2(&v) = -7; }, ValueType::Integer, "i:-7"},
        {[](V v) { Text(v, L"42"); }, ValueType::Integer, "i:42"},
        {[](V v) { Text(v, L"apple"); }, ValueType::Integer, "!80020005"},  // DISP_E_TYPEMISMATCH
        {[](V v) { V_VT(&v) = VT_R8, V_R8(&v) = 2.75; }, ValueType::Integer, "i:3"},
        {[](V v) { V_VT(&v) = VT_I8, V_I8(&v) = 1LL << 40; }, ValueType::Integer, "!8002000A"},  // DISP_E_OVERFLOW
        {[](V v) { V_VT(&v) = VT_I4, V_I4(&v) = 5; }, ValueType::Text, "t:5"},
        {[](V v) { V_VT(&v) = VT_I4 | VT_BYREF, V_I4REF(&v) = &referencedNumber; }, ValueType::Text, "t:17"},
        {[](V) {}, ValueType::Text, "t:"},
        {[](V) {}, ValueType::Integer, "i:0"},
        {[](V v) { V_VT(&v) = VT_BSTR, V_BSTR(&v) = nullptr; }, ValueType::Text, "t:"},
        {[](V v) { V_VT(&v) = VT_UI1, V_UI1(&v) = 200; }, ValueType::Any, "i:200"},
        {[](V v) { Text(v, L"apple,"); }, ValueType::Any, "t:apple,"},
        {[](V) {}, ValueType::Any, "-"},
        {[](V v) { V_VT(&v) = VT_I4, V_I4(&v) = 1; }, ValueType::Object, "!80020005"},
        {[](V) {}, ValueType::Object, "!80020005"},
        {[](V v) { V_VT(&v) = VT_DISPATCH, V_DISPATCH(&v) = nullptr; }, ValueType::Object, "o:null"},
        {[](V v) { Unknown(v, E_NOINTERFACE); }, ValueType::Object, "o:null"},  // refused: an empty reference
        {[](V v) { Unknown(v, E_ACCESSDENIED); }, ValueType::Object, "!80070005"},  // other refusals raise
        {[](V v) { Text(v, L"x"); }, ValueType::Array, "!80020005"},
        {[](V v) { Array(v, 4); }, ValueType::Array, "a:3"},
        {[](V v) { Array(v, 0); }, ValueType::Any, "a:-1"},
    };
    for (const auto& row : rows) {
        row.make(*object->result.put());
        EXPECT_EQ(Outcome(host, row.asked), row.outcome);
    }
}

HRESULT STDAPICALLTYPE FillLater(EXCEPINFO* exception) {
    exception->scode = kBadIndex;
    exception->bstrSource = SysAllocString(L"Later");
    exception->pfnDeferredFillIn = nullptr;
    return S_OK;
}

// A failing call raises the automation error: from the host's exception (wCode before scode, a
// deferred fill-in called only in this process) or, without one, the result unchanged.
TEST_F(ComTest, HostExceptionBecomesTheAutomationError) {
    const struct {
        HRESULT answer;  // DISP_E_EXCEPTION: with this EXCEPINFO
        WORD wCode;
        HResult scode;
        const wchar_t* source;
        const wchar_t* description;
        const char* outcome;
        bool deferred = false;
        bool proxy = false;
    } rows[] = {
        {DISP_E_EXCEPTION, 5, 0, L"Stand-in host", L"No document.", "!80040205 Stand-in host|No document."},
        {DISP_E_EXCEPTION, 5, kUnspecifiedFailure, L"s", L"d", "!80040205 s|d"},
        {DISP_E_EXCEPTION, 0xFDFF, 0, L"s", L"d", "!8004FFFF s|d"},
        {DISP_E_EXCEPTION, 0xFE00, 0, L"s", L"d", "!8004FFFF s|d"},
        {DISP_E_EXCEPTION, 0, kBadIndex, L"s", L"Index out of range.", "!8002000B s|Index out of range."},
        {DISP_E_EXCEPTION, 0, kInvalidArgument, nullptr, nullptr, "!80070057 (null)|(null)"},
        {DISP_E_EXCEPTION, 0, 0, L"s", L"d", "!80020009 s|d"},  // no code is no success: DISP_E_EXCEPTION
        {DISP_E_EXCEPTION, 0, 1, L"s", L"d", "!80020009 s|d"},
        {DISP_E_EXCEPTION, 0, kInvalidArgument, L"", L"", "!80070057 |"},
        {DISP_E_MEMBERNOTFOUND, 0, 0, nullptr, nullptr, "!80020003"},
        {DISP_E_EXCEPTION, 0, 0, nullptr, L"d", "!8002000B Later|d", true},
        {DISP_E_EXCEPTION, 0, kUnspecifiedFailure, nullptr, L"d", "!80004005 (null)|d", true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.outcome);
        object->answer = row.answer;
        object->posesAsProxy = row.proxy;
        object->fillException = [&row](EXCEPINFO& exception) {
            exception.wCode = row.wCode;
            exception.scode = row.scode;
            exception.bstrSource = row.source ? SysAllocString(row.source) : nullptr;
            exception.bstrDescription = row.description ? SysAllocString(row.description) : nullptr;
            if (row.deferred) exception.pfnDeferredFillIn = FillLater;
        };
        EXPECT_EQ(Outcome(host, ValueType::Any), row.outcome);
    }
}

}  // namespace
}  // namespace sonotag::host
