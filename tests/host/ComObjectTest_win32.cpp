#include "host/ComObject_win32.h"

#include <windows.h>
#include <objidl.h>

#include <functional>
#include <optional>

#include <gtest/gtest.h>

#include "host/AttachHost_win32.h"
#include "host/AutomationError.h"
#include "tests/support/CaseName.h"
#include "tests/support/TestComObject_win32.h"

namespace sonotag::host {
namespace {

// An IDispatch that answers every call as scripted and keeps the last call's shape.
class ScriptedDispatch final : public test::TestDispatch<ScriptedDispatch> {
public:
    HRESULT answer = S_OK;
    Variant result;
    std::function<void(EXCEPINFO&)> fillException;
    bool posesAsProxy = false;  // answers IMultiQI, as a proxy's manager does
    std::wstring lastCall;

    void* interfaceFor(REFIID iid) {
        if (posesAsProxy && iid == IID_IMultiQI) return static_cast<IDispatch*>(this);
        return TestDispatch::interfaceFor(iid);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* resultSlot, EXCEPINFO* exception, UINT*) override {
        lastCall = std::to_wstring(iid == IID_NULL) + L" " + std::to_wstring(locale) + L" " + std::to_wstring(flags);
        for (UINT i = 0; i < parameters->cArgs; ++i) lastCall += L" vt" + std::to_wstring(V_VT(&parameters->rgvarg[i]));
        for (UINT i = 0; i < parameters->cNamedArgs; ++i) lastCall += L" @" + std::to_wstring(parameters->rgdispidNamedArgs[i]);
        if (answer == DISP_E_EXCEPTION) fillException(*exception);
        if (SUCCEEDED(answer) && resultSlot) VariantCopy(resultSlot, result.get());
        return answer;
    }
};

// An object that knows IUnknown only and refuses every other interface with `refusal`.
class PlainUnknown final : public test::TestComObject<PlainUnknown, IUnknown> {
public:
    explicit PlainUnknown(HRESULT refusal) : refusal_(refusal) {}
    void* interfaceFor(REFIID iid) { return iid == IID_IUnknown ? this : nullptr; }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        const HRESULT answer = TestComObject::QueryInterface(iid, object);
        return answer == E_NOINTERFACE ? refusal_ : answer;
    }

private:
    HRESULT refusal_;
};

AutomationError ErrorOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const AutomationError& error) {
        return error;
    }
    return AutomationError(kOk);
}

class ComTest : public ::testing::Test {
protected:
    OleApartment apartment;
    ComRef<ScriptedDispatch> object = ComRef<ScriptedDispatch>::Adopt(new ScriptedDispatch);
    ObjectRef host = WrapDispatch(static_cast<IDispatch*>(object.get()));
};

// Locale 0 and IID_NULL always; a put's value is the named DISPID_PROPERTYPUT argument (-3).
TEST_F(ComTest, CallsHaveTheShapeTheHostExpects) {
    V_VT(object->result.get()) = VT_DISPATCH;  // a null object
    const struct {
        std::function<void(const ObjectRef&)> call;
        const wchar_t* shape;
    } rows[] = {{[](const ObjectRef& h) { Get(h, code::kCount); }, L"1 0 2"},
                {[](const ObjectRef& h) { Put(h, code::kContents, Value(u"x")); }, L"1 0 4 vt8 @-3"},
                {[](const ObjectRef& h) { Put(h, code::kAppliedCharacterStyle, Value(ObjectRef())); }, L"1 0 4 vt9 @-3"},
                {[](const ObjectRef& h) { Call(h, code::kUndo); }, L"1 0 1"},
                {[](const ObjectRef& h) { Item(h, 3); }, L"1 0 2 vt3"}};
    for (const auto& row : rows) {
        row.call(host);
        EXPECT_EQ(object->lastCall, row.shape);
    }
    class Portable : public HostObject {
        Value invoke(DispatchId, InvokeKind, std::span<const Value>, ValueType) override { return {}; }
    };
    EXPECT_EQ(ErrorOf([&] { Put(host, code::kAppliedCharacterStyle, Value(std::make_shared<Portable>())); }).result(),
              kTypeMismatch);
}

struct ResultCase {
    const char* name;
    std::function<void(VARIANT&)> make;
    ValueType asked;
    std::optional<Value> expected;  // nothing: the call fails with `failure`
    HResult failure = kOk;
};

void Text(VARIANT& v, const wchar_t* text) { V_VT(&v) = VT_BSTR, V_BSTR(&v) = SysAllocString(text); }
void Array(VARIANT& v, ULONG size) { V_VT(&v) = VT_ARRAY | VT_VARIANT, V_ARRAY(&v) = SafeArrayCreateVector(VT_VARIANT, 0, size); }
void Unknown(VARIANT& v, HRESULT refusal) { V_VT(&v) = VT_UNKNOWN, V_UNKNOWN(&v) = new PlainUnknown(refusal); }
LONG referencedNumber = 17;

class ResultConversion : public ComTest, public ::testing::WithParamInterface<ResultCase> {};

TEST_P(ResultConversion, FollowsVariantChangeType) {
    const ResultCase& c = GetParam();
    c.make(*object->result.get());
    if (!c.expected) {
        EXPECT_EQ(ErrorOf([&] { Get(host, code::kContents, c.asked); }).result(), c.failure);
        return;
    }
    const Value value = Get(host, code::kContents, c.asked);
    ASSERT_EQ(value.type(), c.expected->type());
    switch (value.type()) {
        case ValueType::Integer: EXPECT_EQ(value.integer(), c.expected->integer()); break;
        case ValueType::Text: EXPECT_EQ(value.text(), c.expected->text()); break;
        case ValueType::Array: EXPECT_EQ(value.array(), c.expected->array()); break;
        case ValueType::Object: EXPECT_EQ(value.object(), nullptr); break;
        default: break;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Results, ResultConversion,
    ::testing::Values(
        ResultCase{"ShortToInteger", [](VARIANT& v) { V_VT(&v) = VT_I2, V_I2(&v) = -7; }, ValueType::Integer, Value(-7)},
        ResultCase{"TextToInteger", [](VARIANT& v) { Text(v, L"42"); }, ValueType::Integer, Value(42)},
        ResultCase{"WordsAreNoInteger", [](VARIANT& v) { Text(v, L"apple"); }, ValueType::Integer, {}, kTypeMismatch},
        ResultCase{"RealRoundsToInteger", [](VARIANT& v) { V_VT(&v) = VT_R8, V_R8(&v) = 2.75; }, ValueType::Integer,
                   Value(3)},
        ResultCase{"TooBigForInteger", [](VARIANT& v) { V_VT(&v) = VT_I8, V_I8(&v) = 1LL << 40; }, ValueType::Integer,
                   {}, MakeHResult(0x8002000A)},  // DISP_E_OVERFLOW
        ResultCase{"IntegerToText", [](VARIANT& v) { V_VT(&v) = VT_I4, V_I4(&v) = 5; }, ValueType::Text, Value(u"5")},
        ResultCase{"ByReferenceToText", [](VARIANT& v) { V_VT(&v) = VT_I4 | VT_BYREF, V_I4REF(&v) = &referencedNumber; },
                   ValueType::Text, Value(u"17")},
        ResultCase{"EmptyToText", [](VARIANT&) {}, ValueType::Text, Value(u"")},
        ResultCase{"EmptyToInteger", [](VARIANT&) {}, ValueType::Integer, Value(0)},
        ResultCase{"NullTextIsEmptyText", [](VARIANT& v) { V_VT(&v) = VT_BSTR, V_BSTR(&v) = nullptr; },
                   ValueType::Text, Value(u"")},
        ResultCase{"ByteAsItComes", [](VARIANT& v) { V_VT(&v) = VT_UI1, V_UI1(&v) = 200; }, ValueType::Any, Value(200)},
        ResultCase{"TextAsItComes", [](VARIANT& v) { Text(v, L"apple,"); }, ValueType::Any, Value(u"apple,")},
        ResultCase{"NothingAsItComes", [](VARIANT&) {}, ValueType::Any, Value()},
        ResultCase{"IntegerIsNoObject", [](VARIANT& v) { V_VT(&v) = VT_I4, V_I4(&v) = 1; }, ValueType::Object, {},
                   kTypeMismatch},
        ResultCase{"NothingIsNoObject", [](VARIANT&) {}, ValueType::Object, {}, kTypeMismatch},
        ResultCase{"NullDispatchIsEmptyReference", [](VARIANT& v) { V_VT(&v) = VT_DISPATCH, V_DISPATCH(&v) = nullptr; },
                   ValueType::Object, Value(ObjectRef())},
        ResultCase{"RefusedDispatchIsEmptyReference", [](VARIANT& v) { Unknown(v, E_NOINTERFACE); }, ValueType::Object,
                   Value(ObjectRef())},
        ResultCase{"OtherRefusalRaises", [](VARIANT& v) { Unknown(v, E_ACCESSDENIED); }, ValueType::Object, {},
                   MakeHResult(0x80070005)},
        ResultCase{"TextIsNoArray", [](VARIANT& v) { Text(v, L"x"); }, ValueType::Array, {}, kTypeMismatch},
        ResultCase{"ArrayGivesItsUpperBound", [](VARIANT& v) { Array(v, 4); }, ValueType::Array, Value(ArrayBound{3})},
        ResultCase{"EmptyArrayAsItComes", [](VARIANT& v) { Array(v, 0); }, ValueType::Any, Value(ArrayBound{-1})}),
    test::CaseName());

HRESULT STDAPICALLTYPE FillLater(EXCEPINFO* exception) {
    exception->scode = kBadIndex;
    exception->bstrSource = SysAllocString(L"Later");
    exception->pfnDeferredFillIn = nullptr;
    return S_OK;
}

struct ExceptionCase {
    const char* name;
    HRESULT answer;  // DISP_E_EXCEPTION: with this EXCEPINFO; otherwise a plain failing result
    WORD wCode;
    HResult scode;
    const wchar_t* source;
    const wchar_t* description;
    HResult expected;
    bool deferred = false;  // the texts come from pfnDeferredFillIn
    bool proxy = false;
};

class HostException : public ComTest, public ::testing::WithParamInterface<ExceptionCase> {};

TEST_P(HostException, BecomesTheAutomationError) {
    const ExceptionCase& c = GetParam();
    object->answer = c.answer;
    object->posesAsProxy = c.proxy;
    object->fillException = [&c](EXCEPINFO& exception) {
        exception.wCode = c.wCode;
        exception.scode = c.scode;
        exception.bstrSource = c.source && !c.deferred ? SysAllocString(c.source) : nullptr;
        exception.bstrDescription = c.description ? SysAllocString(c.description) : nullptr;
        if (c.deferred) exception.pfnDeferredFillIn = FillLater;
    };
    const AutomationError error = ErrorOf([&] { Get(host, code::kActiveDocument); });
    EXPECT_EQ(error.result(), c.expected);
    EXPECT_EQ(error.hasErrorInfo(), c.answer == DISP_E_EXCEPTION);
    const auto text = [](const wchar_t* t) { return t ? std::optional(std::u16string(reinterpret_cast<const char16_t*>(t))) : std::nullopt; };
    if (error.hasErrorInfo()) {
        EXPECT_EQ(error.source(), text(c.source));
        EXPECT_EQ(error.description(), text(c.description));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Exceptions, HostException,
    ::testing::Values(
        ExceptionCase{"CodeFive", DISP_E_EXCEPTION, 5, 0, L"Stand-in host", L"No document.", MakeHResult(0x80040205)},
        ExceptionCase{"CodeWinsOverScode", DISP_E_EXCEPTION, 5, MakeHResult(0x80004005), L"s", L"d", MakeHResult(0x80040205)},
        ExceptionCase{"LastPlainCode", DISP_E_EXCEPTION, 0xFDFF, 0, L"s", L"d", MakeHResult(0x8004FFFF)},
        ExceptionCase{"CodesFromFE00", DISP_E_EXCEPTION, 0xFE00, 0, L"s", L"d", MakeHResult(0x8004FFFF)},
        ExceptionCase{"Scode", DISP_E_EXCEPTION, 0, kBadIndex, L"Stand-in host", L"Index out of range.", kBadIndex},
        ExceptionCase{"NoTexts", DISP_E_EXCEPTION, 0, kInvalidArgument, nullptr, nullptr, kInvalidArgument},
        ExceptionCase{"NoCodeIsNoSuccess", DISP_E_EXCEPTION, 0, 0, L"s", L"d", kException},
        ExceptionCase{"SuccessCodeIsNoSuccess", DISP_E_EXCEPTION, 0, 1, L"s", L"d", kException},
        ExceptionCase{"EmptyTextsStayTexts", DISP_E_EXCEPTION, 0, kInvalidArgument, L"", L"", kInvalidArgument},
        ExceptionCase{"PlainResultUnchanged", DISP_E_MEMBERNOTFOUND, 0, 0, nullptr, nullptr, kMemberNotFound},
        ExceptionCase{"DeferredFillInHere", DISP_E_EXCEPTION, 0, 0, L"Later", L"d", kBadIndex, true},
        ExceptionCase{"DeferredFillInOfAProxyNever", DISP_E_EXCEPTION, 0, kUnspecifiedFailure, nullptr, L"d",
                      kUnspecifiedFailure, true, true}),
    test::CaseName());

// The system's text for a result, without the line end FormatMessageW gives it.
TEST(SystemMessage, SystemTextLosesItsLineEnd) {
    for (const HResult result : {kUnspecifiedFailure, kInvalidArgument, kServerUnavailable}) {
        wchar_t raw[512] = {};
        ASSERT_GT(FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                 static_cast<DWORD>(result), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), raw, 512, nullptr),
                  2u);
        const std::u16string text(reinterpret_cast<const char16_t*>(raw));
        ASSERT_EQ(text.substr(text.size() - 2), u"\r\n");
        EXPECT_EQ(AutomationError(result).message(), text.substr(0, text.size() - 2));
    }
}

}  // namespace
}  // namespace sonotag::host
