#include <windows.h>

#include <cstdio>

#include <gtest/gtest.h>
#include <objidl.h>

#include "base/Utf.h"
#include "host/AttachHost_win32.h"  // OleApartment
#include "host/AutomationError.h"
#include "host/ComObject_win32.h"

#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"  // COM objects go through Release only

namespace sonotag::host { namespace {

// A scripted COM object: IDispatch (IUnknown only when it has a `refusal` for the rest), and IMultiQI as a proxy.
struct Scripted final : IDispatch {
    Scripted(HRESULT answered = S_OK, HRESULT refused = S_OK, bool poses = false) : answer(answered), refusal(refused), proxy(poses) {}
    HRESULT answer, refusal;
    bool proxy;
    ULONG references = 1;
    Variant result;
    EXCEPINFO thrown{};  // with DISP_E_EXCEPTION: its texts are copied, being the caller's to free

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        const bool known = iid == IID_IUnknown || (!refusal && (iid == IID_IDispatch || (proxy && iid == IID_IMultiQI)));
        *object = known ? this : nullptr;
        return known ? (AddRef(), S_OK) : refusal ? refusal : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references ? references : (delete this, 0); }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override { return *count = 0, S_OK; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* slot, EXCEPINFO* exception, UINT*) override {
        if (answer == DISP_E_EXCEPTION)
            *exception = thrown, exception->bstrSource = SysAllocString(thrown.bstrSource), exception->bstrDescription = SysAllocString(thrown.bstrDescription);
        if (SUCCEEDED(answer) && slot) VariantCopy(slot, result.get());
        return answer;
    }
};

// What a get gave: "i:<integer>", "t:<text>", "a:<upper bound>", "o:null", "-", or "!<result>[ <source>|<description>]".
std::string Outcome(Scripted& object, ValueType asked) {
    const OleApartment apartment;
    try {
        const Value value = Get(WrapDispatch(static_cast<IDispatch*>(&object)), code::kContents, asked);
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
        const auto text = [](const auto& part) { return Utf16ToUtf8(part.value_or(u"(null)")); };
        return error.hasErrorInfo() ? hex + (" " + text(error.source())) + "|" + text(error.description()) : hex;
    }
}

void Text(VARIANT& v, const wchar_t* text) { V_VT(&v) = VT_BSTR, V_BSTR(&v) = SysAllocString(text); }
void Array(VARIANT& v, ULONG size) { V_VT(&v) = VT_ARRAY | VT_VARIANT, V_ARRAY(&v) = SafeArrayCreateVector(VT_VARIANT, 0, size); }
void Unknown(VARIANT& v, HRESULT refusal) { V_VT(&v) = VT_UNKNOWN, V_UNKNOWN(&v) = new Scripted(S_OK, refusal); }

// Results are converted to the type asked for as VariantChangeType does; "Any" takes them as they come.
TEST(ComObject, ResultConversionFollowsVariantChangeType) {
    using V = VARIANT&;
    constexpr auto I = ValueType::Integer, T = ValueType::Text, A = ValueType::Any, O = ValueType::Object, R = ValueType::Array;
    const struct {
        void (*make)(VARIANT&);
        ValueType asked;
        const char* outcome;  // 80020005: DISP_E_TYPEMISMATCH, 8002000A: DISP_E_OVERFLOW
    } rows[] = {
        {[](V v) { V_VT(&v) = VT_I2, V_I2(&v) = -7; }, I, "i:-7"},
        {[](V v) { Text(v, L"42"); }, I, "i:42"},
        {[](V v) { Text(v, L"apple"); }, I, "!80020005"},
        {[](V v) { V_VT(&v) = VT_R8, V_R8(&v) = 2.75; }, I, "i:3"},
        {[](V v) { V_VT(&v) = VT_I8, V_I8(&v) = 1LL << 40; }, I, "!8002000A"},
        {[](V v) { V_VT(&v) = VT_I4, V_I4(&v) = 5; }, T, "t:5"},
        {[](V v) {
             static LONG seventeen = 17;
             V_VT(&v) = VT_I4 | VT_BYREF, V_I4REF(&v) = &seventeen;
         },
         T, "t:17"},
        {[](V) {}, T, "t:"},
        {[](V) {}, I, "i:0"},
        {[](V) {}, A, "-"},
        {[](V v) { V_VT(&v) = VT_BSTR, V_BSTR(&v) = nullptr; }, T, "t:"},
        {[](V v) { V_VT(&v) = VT_UI1, V_UI1(&v) = 200; }, A, "i:200"},
        {[](V v) { Text(v, L"apple,"); }, A, "t:apple,"},
        {[](V v) { V_VT(&v) = VT_I4, V_I4(&v) = 1; }, O, "!80020005"},
        {[](V) {}, O, "!80020005"},
        {[](V v) { V_VT(&v) = VT_DISPATCH, V_DISPATCH(&v) = nullptr; }, O, "o:null"},
        {[](V v) { Unknown(v, E_NOINTERFACE); }, O, "o:null"},  // refused: an empty reference; other refusals raise
        {[](V v) { Unknown(v, E_ACCESSDENIED); }, O, "!80070005"},
        {[](V v) { Text(v, L"x"); }, R, "!80020005"},
        {[](V v) { Array(v, 4); }, R, "a:3"},
        {[](V v) { Array(v, 0); }, A, "a:-1"},
    };
    for (const auto& row : rows) {
        Scripted object;
        row.make(*object.result.put());
        EXPECT_EQ(Outcome(object, row.asked), row.outcome);
    }
}

HRESULT STDAPICALLTYPE FillLater(EXCEPINFO* exception) {
    exception->scode = kBadIndex, exception->bstrSource = SysAllocString(L"Later"), exception->pfnDeferredFillIn = nullptr;
    return S_OK;
}

// The host's exception (wCode before scode, a deferred fill-in called only in this process) or the bare result raises.
TEST(ComObject, HostExceptionBecomesTheAutomationError) {
    constexpr HRESULT X = DISP_E_EXCEPTION;
    const struct {
        HRESULT answer;  // DISP_E_EXCEPTION: with this EXCEPINFO
        WORD wCode;
        HResult scode;
        const wchar_t *source, *description;
        const char* outcome;
        bool deferred = false, proxy = false;
    } rows[] = {
        {X, 5, 0, L"Stand-in host", L"No document.", "!80040205 Stand-in host|No document."},
        {X, 5, kUnspecifiedFailure, L"s", L"d", "!80040205 s|d"},
        {X, 0xFDFF, 0, L"s", L"d", "!8004FFFF s|d"},
        {X, 0xFE00, 0, L"s", L"d", "!8004FFFF s|d"},
        {X, 0, kBadIndex, L"s", L"Bad.", "!8002000B s|Bad."},
        {X, 0, kInvalidArgument, nullptr, nullptr, "!80070057 (null)|(null)"},
        {X, 0, kInvalidArgument, L"", L"", "!80070057 |"},
        {X, 0, 0, L"s", L"d", "!80020009 s|d"},
        {X, 0, 1, L"s", L"d", "!80020009 s|d"},  // no code is no success
        {DISP_E_MEMBERNOTFOUND, 0, 0, nullptr, nullptr, "!80020003"},
        {X, 0, 0, nullptr, L"d", "!8002000B Later|d", true},
        {X, 0, kUnspecifiedFailure, nullptr, L"d", "!80004005 (null)|d", true, true},
    };
    for (const auto& row : rows) {
        Scripted object(row.answer, S_OK, row.proxy);
        object.thrown = {row.wCode, 0, const_cast<BSTR>(row.source), const_cast<BSTR>(row.description), nullptr, 0, nullptr, row.deferred ? FillLater : nullptr,
                         row.scode};
        EXPECT_EQ(Outcome(object, ValueType::Any), row.outcome);
    }
}

}}  // namespace sonotag::host
