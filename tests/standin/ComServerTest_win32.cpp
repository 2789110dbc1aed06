// What a client other than Sonotag's binding may send the stand-in's COM
// server; the binding's own calls are covered end to end in tests/e2e.
#include "standin/ComServer_win32.h"

#include <functional>
#include <stdexcept>

#include <gtest/gtest.h>

#include "host/AttachHost_win32.h"
#include "host/AutomationError.h"
#include "host/ComObject_win32.h"

namespace sonotag::standin {
namespace {

using host::AutomationError;
using host::InvokeKind;
using host::Value;

// A host object that keeps its last call and answers with `answer`.
class Responder : public host::HostObject {
public:
    explicit Responder(std::function<Value()> answer) : answer_(std::move(answer)) {}
    Value invoke(host::DispatchId, InvokeKind kind, std::span<const Value> arguments, host::ValueType) override {
        ++calls;
        lastKind = kind;
        lastArgument = arguments.empty() ? Value(u"none") : arguments[0];
        return answer_();
    }
    int calls = 0;
    InvokeKind lastKind = InvokeKind::Get;
    Value lastArgument;

private:
    std::function<Value()> answer_;
};

BSTR referencedText = SysAllocString(L"Phonetics");
LONG referencedNumber = 12;

// Invoke made by hand with one argument; the binding's own calls are in tests/e2e.
TEST(ComServer, TakesArgumentsAndFlagsAsAnyClientSendsThem) {
    const host::OleApartment apartment;
    const auto v = [](VARTYPE type, auto set) { VARIANT value{}; V_VT(&value) = type; set(value); return value; };
    const struct {
        WORD flags;
        bool named;
        VARIANT argument;
        HRESULT expected;
        InvokeKind kind;
        const char16_t* received;  // as text; nothing when refused
    } rows[] = {
        {DISPATCH_METHOD, false, v(VT_I2, [](VARIANT& a) { V_I2(&a) = -3; }), S_OK, InvokeKind::Method, u"-3"},
        {DISPATCH_METHOD, false, v(VT_UI1, [](VARIANT& a) { V_UI1(&a) = 250; }), S_OK, InvokeKind::Method, u"250"},
        {DISPATCH_METHOD, false, v(VT_EMPTY, [](VARIANT&) {}), S_OK, InvokeKind::Method, u""},
        {DISPATCH_METHOD, false, v(VT_ERROR, [](VARIANT& a) { V_ERROR(&a) = DISP_E_PARAMNOTFOUND; }), S_OK,
         InvokeKind::Method, u""},
        {DISPATCH_METHOD, false, v(VT_I4 | VT_BYREF, [](VARIANT& a) { V_I4REF(&a) = &referencedNumber; }), S_OK,
         InvokeKind::Method, u"12"},
        {DISPATCH_METHOD, false, v(VT_BSTR | VT_BYREF, [](VARIANT& a) { V_BSTRREF(&a) = &referencedText; }), S_OK,
         InvokeKind::Method, u"Phonetics"},
        {DISPATCH_METHOD, false, v(VT_I8, [](VARIANT& a) { V_I8(&a) = 1LL << 40; }), DISP_E_OVERFLOW, {}, nullptr},
        {DISPATCH_METHOD, false, v(VT_R8, [](VARIANT& a) { V_R8(&a) = 1.5; }), DISP_E_TYPEMISMATCH, {}, nullptr},
        {DISPATCH_METHOD | DISPATCH_PROPERTYGET, false, v(VT_I4, [](VARIANT& a) { V_I4(&a) = 1; }), S_OK,
         InvokeKind::Get, u"1"},
        {DISPATCH_PROPERTYPUTREF, true, v(VT_I4, [](VARIANT& a) { V_I4(&a) = 1; }), S_OK, InvokeKind::Put, u"1"},
        {DISPATCH_PROPERTYPUT, false, v(VT_I4, [](VARIANT& a) { V_I4(&a) = 1; }), DISP_E_PARAMNOTFOUND, {}, nullptr},
        {DISPATCH_PROPERTYGET, true, v(VT_I4, [](VARIANT& a) { V_I4(&a) = 1; }), DISP_E_NONAMEDARGS, {}, nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << "flags " << row.flags << ", vt " << V_VT(&row.argument));
        const auto responder = std::make_shared<Responder>([] { return Value(); });
        const host::ComRef<IDispatch> served = ServeObject(responder);
        VARIANT argument = row.argument;
        DISPID put = DISPID_PROPERTYPUT;
        DISPPARAMS parameters{&argument, row.named ? &put : nullptr, 1, row.named ? 1u : 0u};
        UINT argumentError = 9;
        host::Variant result;
        EXCEPINFO exception{};
        EXPECT_EQ(served->Invoke(1, IID_NULL, 0, row.flags, &parameters, result.get(), &exception, &argumentError),
                  row.expected);
        EXPECT_EQ(responder->calls, row.received ? 1 : 0);
        if (!row.received) continue;
        EXPECT_EQ(responder->lastKind, row.kind);
        EXPECT_EQ(host::ChangeType(responder->lastArgument, host::ValueType::Text).text(), row.received);
    }
}

// A host failure is an exception filled in at once; without a place for it, the bare result.
TEST(ComServer, AnswersHostFailuresAsExceptions) {
    const host::OleApartment apartment;
    const struct {
        std::function<void()> fail;
        bool withExceptionInfo;
        HRESULT expected;
        WORD wCode;
        HRESULT scode;
        const wchar_t* source;
        const wchar_t* description;
    } rows[] = {
        {[] { throw AutomationError::FromException({0, DISP_E_BADINDEX, u"Stand-in host", u"No such word."}); }, true,
         DISP_E_EXCEPTION, 0, DISP_E_BADINDEX, L"Stand-in host", L"No such word."},
        {[] { throw AutomationError::FromException({5, 0, u"s", std::nullopt}); }, true, DISP_E_EXCEPTION, 5, 0, L"s",
         L"(absent)"},
        {[] { throw AutomationError(host::kTypeMismatch); }, true, DISP_E_EXCEPTION, 0, DISP_E_TYPEMISMATCH,
         L"(absent)", L"(absent)"},
        {[] { throw std::runtime_error("model broke"); }, true, DISP_E_EXCEPTION, 0, E_FAIL, L"(absent)", L"model broke"},
        {[] { throw AutomationError::FromException({0, DISP_E_BADINDEX, u"s", u"d"}); }, false, DISP_E_BADINDEX, 0, 0,
         L"(absent)", L"(absent)"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(testing::Message() << std::hex << row.expected << " " << row.scode);
        const auto served = ServeObject(std::make_shared<Responder>([&] { row.fail(); return Value(); }));
        DISPPARAMS none{};
        EXCEPINFO exception{};
        EXPECT_EQ(served->Invoke(1, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, nullptr,
                                 row.withExceptionInfo ? &exception : nullptr, nullptr),
                  row.expected);
        const auto text = [](BSTR value) { return value ? std::wstring(value, SysStringLen(value)) : L"(absent)"; };
        EXPECT_EQ(exception.pfnDeferredFillIn, nullptr);
        EXPECT_EQ(exception.wCode, row.wCode);
        EXPECT_EQ(exception.scode, row.scode);
        EXPECT_EQ(text(exception.bstrSource), row.source);
        EXPECT_EQ(text(exception.bstrDescription), row.description);
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
    }
}

}  // namespace
}  // namespace sonotag::standin
