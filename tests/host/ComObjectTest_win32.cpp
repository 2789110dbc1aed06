#include "host/ComObject_win32.h"

#include <windows.h>
#include <objidl.h>

#include <cmath>
#include <functional>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "host/AttachHost_win32.h"
#include "host/AutomationError.h"
#include "tests/support/CaseName.h"
#include "tests/support/TestComObject_win32.h"

namespace sonotag::host {
namespace {

// What one Invoke was given, VARIANTs copied as they came.
struct ReceivedCall {
    DISPID id = 0;
    bool nullInterfaceId = false;
    LCID locale = 0;
    WORD flags = 0;
    std::vector<std::u16string> arguments;  // rgvarg order, each described by Describe()
    std::vector<DISPID> named;
    bool hadResultSlot = false;
};

std::u16string Describe(const VARIANT& value) {
    switch (V_VT(&value)) {
        case VT_EMPTY: return u"empty";
        case VT_I4: {
            const std::string number = std::to_string(V_I4(&value));
            return u"i4:" + std::u16string(number.begin(), number.end());
        }
        case VT_BSTR: return u"bstr:" + TextOf(V_BSTR(&value));
        case VT_DISPATCH: return V_DISPATCH(&value) ? u"dispatch" : u"dispatch:null";
        default: return u"other";
    }
}

// An IDispatch whose every call answers as the test scripted it and
// remembers what it was given.
class ScriptedDispatch final : public test::TestDispatch<ScriptedDispatch> {
public:
    // The next calls' answer: an HRESULT, a result VARIANT, and what goes
    // into the EXCEPINFO for DISP_E_EXCEPTION.
    HRESULT answer = S_OK;
    Variant result;
    std::function<void(EXCEPINFO&)> fillException;
    // Answers IMultiQI as a proxy's manager does (no test calls its methods:
    // the answer is all a proxy check asks for).
    bool posesAsProxy = false;
    std::vector<ReceivedCall> calls;

    void* interfaceFor(REFIID iid) {
        if (posesAsProxy && iid == IID_IMultiQI) return static_cast<IDispatch*>(this);
        return TestDispatch::interfaceFor(iid);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* parameters,
                                     VARIANT* resultSlot, EXCEPINFO* exception, UINT*) override {
        ReceivedCall call{id, iid == IID_NULL, locale, flags, {}, {}, resultSlot != nullptr};
        for (UINT i = 0; i < parameters->cArgs; ++i) call.arguments.push_back(Describe(parameters->rgvarg[i]));
        for (UINT i = 0; i < parameters->cNamedArgs; ++i) call.named.push_back(parameters->rgdispidNamedArgs[i]);
        calls.push_back(call);
        if (answer == DISP_E_EXCEPTION && fillException) fillException(*exception);
        if (SUCCEEDED(answer) && resultSlot) VariantCopy(resultSlot, result.get());
        return answer;
    }
};

// A scripted object held by the test; its reference count shows what the
// binding still holds.
struct Scripted {
    ComRef<ScriptedDispatch> object = ComRef<ScriptedDispatch>::Adopt(new ScriptedDispatch);
    ObjectRef wrap() const { return WrapDispatch(static_cast<IDispatch*>(object.get())); }
    ScriptedDispatch* operator->() const { return object.get(); }
};

HResult ResultOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const AutomationError& error) {
        return error.result();
    }
    return kOk;
}

AutomationError ErrorOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const AutomationError& error) {
        return error;
    }
    ADD_FAILURE() << "no automation error";
    return AutomationError(kOk);
}

class ComTest : public ::testing::Test {
protected:
    OleApartment apartment;
};

TEST_F(ComTest, GetPassesLocaleZeroAndNoArguments) {
    Scripted host;
    V_VT(host->result.get()) = VT_I4;
    V_I4(host->result.get()) = 9;
    EXPECT_EQ(GetInteger(host.wrap(), code::kCount), 9);
    ASSERT_EQ(host->calls.size(), 1u);
    const ReceivedCall& call = host->calls[0];
    EXPECT_EQ(call.id, code::kCount);
    EXPECT_TRUE(call.nullInterfaceId);
    EXPECT_EQ(call.locale, 0u);
    EXPECT_EQ(call.flags, DISPATCH_PROPERTYGET);
    EXPECT_TRUE(call.arguments.empty());
    EXPECT_TRUE(call.named.empty());
    EXPECT_TRUE(call.hadResultSlot);
}

TEST_F(ComTest, PutPassesItsValueAsThePropertyPutArgument) {
    Scripted host;
    Put(host.wrap(), code::kContents, Value(u" [ˈæpl]"));
    ASSERT_EQ(host->calls.size(), 1u);
    const ReceivedCall& call = host->calls[0];
    EXPECT_EQ(call.flags, DISPATCH_PROPERTYPUT);
    EXPECT_EQ(call.arguments, std::vector<std::u16string>{u"bstr: [ˈæpl]"});
    EXPECT_EQ(call.named, std::vector<DISPID>{DISPID_PROPERTYPUT});
}

TEST_F(ComTest, MethodAndItemCalls) {
    Scripted host;
    V_VT(host->result.get()) = VT_DISPATCH;  // no item: a null object
    Call(host.wrap(), code::kUndo);
    Item(host.wrap(), 3);
    Item(host.wrap(), u"Phonetics");
    ASSERT_EQ(host->calls.size(), 3u);
    EXPECT_EQ(host->calls[0].flags, DISPATCH_METHOD);
    EXPECT_EQ(host->calls[0].id, code::kUndo);
    EXPECT_EQ(host->calls[1].flags, DISPATCH_PROPERTYGET);
    EXPECT_EQ(host->calls[1].id, DISPID_VALUE);
    EXPECT_EQ(host->calls[1].arguments, std::vector<std::u16string>{u"i4:3"});
    EXPECT_EQ(host->calls[2].arguments, std::vector<std::u16string>{u"bstr:Phonetics"});
}

TEST_F(ComTest, ArgumentsTravelLastFirst) {
    Scripted host;
    const Value arguments[] = {Value(3), Value(u"x"), Value()};
    host.wrap()->invoke(code::kItem, InvokeKind::Method, arguments, ValueType::Any);
    ASSERT_EQ(host->calls.size(), 1u);
    EXPECT_EQ(host->calls[0].arguments, (std::vector<std::u16string>{u"empty", u"bstr:x", u"i4:3"}));
}

TEST_F(ComTest, ObjectArgumentsPassTheirDispatch) {
    Scripted host;
    Scripted style;
    Put(host.wrap(), code::kAppliedCharacterStyle, Value(style.wrap()));
    Put(host.wrap(), code::kAppliedCharacterStyle, Value(ObjectRef()));
    ASSERT_EQ(host->calls.size(), 2u);
    EXPECT_EQ(host->calls[0].arguments, std::vector<std::u16string>{u"dispatch"});
    EXPECT_EQ(host->calls[1].arguments, std::vector<std::u16string>{u"dispatch:null"});
    EXPECT_EQ(style->references(), 1u);
}

TEST_F(ComTest, ObjectOfAnotherKindCannotBePassed) {
    class Portable : public HostObject {
        Value invoke(DispatchId, InvokeKind, std::span<const Value>, ValueType) override { return {}; }
    };
    Scripted host;
    EXPECT_EQ(ResultOf([&] { Put(host.wrap(), code::kAppliedCharacterStyle, Value(std::make_shared<Portable>())); }),
              kTypeMismatch);
    EXPECT_TRUE(host->calls.empty());
}

// A result VARIANT made by the test.
struct ResultCase {
    const char* name;
    std::function<void(VARIANT&)> make;
    ValueType asked;
    std::optional<Value> expected;  // nothing: the call fails with `failure`
    HResult failure = kOk;
};

void I2(VARIANT& v, SHORT number) { V_VT(&v) = VT_I2, V_I2(&v) = number; }
void I4(VARIANT& v, LONG number) { V_VT(&v) = VT_I4, V_I4(&v) = number; }
void Text(VARIANT& v, const wchar_t* text) { V_VT(&v) = VT_BSTR, V_BSTR(&v) = SysAllocString(text); }

class ResultConversion : public ComTest, public ::testing::WithParamInterface<ResultCase> {};

TEST_P(ResultConversion, FollowsVariantChangeType) {
    Scripted host;
    GetParam().make(*host->result.get());
    const ResultCase& c = GetParam();
    if (!c.expected) {
        EXPECT_EQ(ResultOf([&] { Get(host.wrap(), code::kContents, c.asked); }), c.failure);
        return;
    }
    const Value value = Get(host.wrap(), code::kContents, c.asked);
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
        ResultCase{"ShortToInteger", [](VARIANT& v) { I2(v, -7); }, ValueType::Integer, Value(-7)},
        ResultCase{"TextToInteger", [](VARIANT& v) { Text(v, L"42"); }, ValueType::Integer, Value(42)},
        ResultCase{"WordsAreNoInteger", [](VARIANT& v) { Text(v, L"apple"); }, ValueType::Integer, std::nullopt,
                   kTypeMismatch},
        ResultCase{"RealRoundsToInteger", [](VARIANT& v) { V_VT(&v) = VT_R8, V_R8(&v) = 2.75; }, ValueType::Integer,
                   Value(3)},
        ResultCase{"TooBigForInteger", [](VARIANT& v) { V_VT(&v) = VT_I8, V_I8(&v) = 1LL << 40; },
                   ValueType::Integer, std::nullopt, MakeHResult(0x8002000A)},  // DISP_E_OVERFLOW
        ResultCase{"IntegerToText", [](VARIANT& v) { I4(v, 5); }, ValueType::Text, Value(u"5")},
        ResultCase{"EmptyToText", [](VARIANT&) {}, ValueType::Text, Value(u"")},
        ResultCase{"EmptyToInteger", [](VARIANT&) {}, ValueType::Integer, Value(0)},
        ResultCase{"NullTextIsEmptyText", [](VARIANT& v) { V_VT(&v) = VT_BSTR, V_BSTR(&v) = nullptr; },
                   ValueType::Text, Value(u"")},
        ResultCase{"ByteAsItComes", [](VARIANT& v) { V_VT(&v) = VT_UI1, V_UI1(&v) = 200; }, ValueType::Any,
                   Value(200)},
        ResultCase{"TextAsItComes", [](VARIANT& v) { Text(v, L"apple,"); }, ValueType::Any, Value(u"apple,")},
        ResultCase{"NothingAsItComes", [](VARIANT&) {}, ValueType::Any, Value()},
        ResultCase{"IntegerIsNoObject", [](VARIANT& v) { I4(v, 1); }, ValueType::Object, std::nullopt,
                   kTypeMismatch},
        ResultCase{"NothingIsNoObject", [](VARIANT&) {}, ValueType::Object, std::nullopt, kTypeMismatch},
        ResultCase{"NullDispatchIsEmptyReference",
                   [](VARIANT& v) { V_VT(&v) = VT_DISPATCH, V_DISPATCH(&v) = nullptr; }, ValueType::Object,
                   Value(ObjectRef())},
        ResultCase{"TextIsNoArray", [](VARIANT& v) { Text(v, L"x"); }, ValueType::Array, std::nullopt,
                   kTypeMismatch},
        ResultCase{"ArrayGivesItsUpperBound",
                   [](VARIANT& v) { V_VT(&v) = VT_ARRAY | VT_VARIANT, V_ARRAY(&v) = SafeArrayCreateVector(VT_VARIANT, 0, 4); },
                   ValueType::Array, Value(ArrayBound{3})},
        ResultCase{"EmptyArrayAsItComes",
                   [](VARIANT& v) { V_VT(&v) = VT_ARRAY | VT_VARIANT, V_ARRAY(&v) = SafeArrayCreateVector(VT_VARIANT, 0, 0); },
                   ValueType::Any, Value(ArrayBound{-1})}),
    test::CaseName());

TEST_F(ComTest, ResultByReferenceIsRead) {
    Scripted host;
    // The callee owns the referenced number; the VARIANT only points at it.
    static LONG number = 17;
    V_VT(host->result.get()) = VT_I4 | VT_BYREF;
    V_I4REF(host->result.get()) = &number;
    EXPECT_EQ(GetText(host.wrap(), code::kContents), u"17");
}

TEST_F(ComTest, ObjectResultIsTakenThroughQueryInterface) {
    Scripted host;
    Scripted word;
    V_VT(host->result.get()) = VT_DISPATCH;
    V_DISPATCH(host->result.get()) = ComRef<IDispatch>::Share(word.object.get()).detach();
    {
        const ObjectRef result = GetObjectRef(host.wrap(), code::kWords);
        ASSERT_NE(result, nullptr);
        EXPECT_EQ(DispatchOf(result), static_cast<IDispatch*>(word.object.get()));
        Call(result, code::kLast);
        EXPECT_EQ(word->calls.size(), 1u);
    }
    host->result.put();
    EXPECT_EQ(word->references(), 1u);
}

// An object that knows IUnknown only and answers every other question with `refusal`.
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

TEST_F(ComTest, RefusedDispatchIsAnEmptyReferenceOtherFailuresRaise) {
    Scripted host;
    V_VT(host->result.get()) = VT_UNKNOWN;
    V_UNKNOWN(host->result.get()) = new PlainUnknown(E_NOINTERFACE);
    EXPECT_EQ(GetObjectRef(host.wrap(), code::kSelection), nullptr);

    V_UNKNOWN(host->result.put()) = new PlainUnknown(E_ACCESSDENIED);
    V_VT(host->result.get()) = VT_UNKNOWN;
    EXPECT_EQ(ResultOf([&] { GetObjectRef(host.wrap(), code::kSelection); }), MakeHResult(0x80070005));
}

TEST_F(ComTest, FailingResultRaisesItUnchanged) {
    Scripted host;
    host->answer = DISP_E_MEMBERNOTFOUND;
    const AutomationError error = ErrorOf([&] { Get(host.wrap(), code::kWords); });
    EXPECT_EQ(error.result(), kMemberNotFound);
    EXPECT_FALSE(error.hasErrorInfo());
}

struct ExceptionCase {
    const char* name;
    WORD wCode;
    HResult scode;
    const wchar_t* source;
    const wchar_t* description;
    HResult expected;
};

class HostException : public ComTest, public ::testing::WithParamInterface<ExceptionCase> {};

TEST_P(HostException, BecomesTheAutomationError) {
    const ExceptionCase& c = GetParam();
    Scripted host;
    host->answer = DISP_E_EXCEPTION;
    host->fillException = [&c](EXCEPINFO& exception) {
        exception.wCode = c.wCode;
        exception.scode = c.scode;
        exception.bstrSource = c.source ? SysAllocString(c.source) : nullptr;
        exception.bstrDescription = c.description ? SysAllocString(c.description) : nullptr;
    };
    const AutomationError error = ErrorOf([&] { Get(host.wrap(), code::kActiveDocument); });
    EXPECT_EQ(error.result(), c.expected);
    ASSERT_TRUE(error.hasErrorInfo());
    const auto expectText = [](const wchar_t* text) {
        return text ? std::optional<std::u16string>(reinterpret_cast<const char16_t*>(text)) : std::nullopt;
    };
    EXPECT_EQ(error.source(), expectText(c.source));
    EXPECT_EQ(error.description(), expectText(c.description));
}

INSTANTIATE_TEST_SUITE_P(
    Exceptions, HostException,
    ::testing::Values(
        ExceptionCase{"CodeFive", 5, 0, L"Stand-in host", L"No document is open.", MakeHResult(0x80040205)},
        ExceptionCase{"CodeWinsOverScode", 5, MakeHResult(0x80004005), L"s", L"d", MakeHResult(0x80040205)},
        ExceptionCase{"LastPlainCode", 0xFDFF, 0, L"s", L"d", MakeHResult(0x8004FFFF)},
        ExceptionCase{"CodesFromFE00", 0xFE00, 0, L"s", L"d", MakeHResult(0x8004FFFF)},
        ExceptionCase{"Scode", 0, kBadIndex, L"Stand-in host", L"Index out of range.", kBadIndex},
        ExceptionCase{"NoTexts", 0, kInvalidArgument, nullptr, nullptr, kInvalidArgument},
        ExceptionCase{"NoCodeIsNoSuccess", 0, 0, L"s", L"d", kException},
        ExceptionCase{"SuccessCodeIsNoSuccess", 0, 1, L"s", L"d", kException},
        ExceptionCase{"EmptyTextsStayTexts", 0, kInvalidArgument, L"", L"", kInvalidArgument}),
    test::CaseName());

HRESULT STDAPICALLTYPE FillLater(EXCEPINFO* exception) {
    exception->scode = kBadIndex;
    exception->bstrSource = SysAllocString(L"Deferred source");
    exception->bstrDescription = SysAllocString(L"Deferred description");
    exception->pfnDeferredFillIn = nullptr;
    return S_OK;
}

TEST_F(ComTest, DeferredFillInIsCalledForAnObjectInThisProcess) {
    Scripted host;
    host->answer = DISP_E_EXCEPTION;
    host->fillException = [](EXCEPINFO& exception) { exception.pfnDeferredFillIn = FillLater; };
    const AutomationError error = ErrorOf([&] { Get(host.wrap(), code::kSelection); });
    EXPECT_EQ(error.result(), kBadIndex);
    EXPECT_EQ(error.source(), u"Deferred source");
    EXPECT_EQ(error.description(), u"Deferred description");
}

TEST_F(ComTest, DeferredFillInOfAProxyIsNeverCalled) {
    Scripted host;
    host->posesAsProxy = true;
    host->answer = DISP_E_EXCEPTION;
    host->fillException = [](EXCEPINFO& exception) {
        exception.scode = kUnspecifiedFailure;
        exception.pfnDeferredFillIn = FillLater;
    };
    const AutomationError error = ErrorOf([&] { Get(host.wrap(), code::kSelection); });
    EXPECT_EQ(error.result(), kUnspecifiedFailure);
    EXPECT_EQ(error.source(), std::nullopt);
}

TEST_F(ComTest, ProxiesAreToldFromObjectsInThisProcess) {
    Scripted local;
    Scripted proxy;
    proxy->posesAsProxy = true;
    EXPECT_TRUE(IsInProcess(local.object.get()));
    EXPECT_FALSE(IsInProcess(proxy.object.get()));
}

TEST_F(ComTest, EmptyReferenceFailsWithoutReachingTheHost) {
    EXPECT_EQ(WrapDispatch(static_cast<IDispatch*>(nullptr)), nullptr);
    EXPECT_EQ(WrapDispatch(ComRef<IDispatch>()), nullptr);
    const AutomationError error = ErrorOf([] { Get(WrapDispatch(static_cast<IDispatch*>(nullptr)), code::kSelection); });
    EXPECT_EQ(error.result(), kInvalidPointer);
    EXPECT_FALSE(error.hasErrorInfo());
}

TEST_F(ComTest, WrapperHoldsOneReferenceForItsLifetime) {
    Scripted host;
    {
        const ObjectRef wrapped = host.wrap();
        EXPECT_EQ(host->references(), 2u);
        const ObjectRef copy = wrapped;
        EXPECT_EQ(host->references(), 2u);
    }
    EXPECT_EQ(host->references(), 1u);
}

// The system's text for a result as FormatMessageW gives it, line end included.
std::optional<std::u16string> RawSystemText(HResult result) {
    wchar_t* buffer = nullptr;
    const DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(result), MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                       reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (length == 0) return std::nullopt;
    std::u16string text(reinterpret_cast<const char16_t*>(buffer), length);
    LocalFree(buffer);
    return text;
}

TEST(SystemMessage, SystemTextLosesItsLineEnd) {
    // Results the system has a text for, also under Wine.
    for (const HResult result : {kUnspecifiedFailure, kInvalidArgument, kServerUnavailable}) {
        const std::optional<std::u16string> raw = RawSystemText(result);
        ASSERT_TRUE(raw.has_value()) << std::hex << result;
        ASSERT_GE(raw->size(), 3u);
        ASSERT_EQ(raw->substr(raw->size() - 2), u"\r\n");
        EXPECT_EQ(AutomationError(result).message(), raw->substr(0, raw->size() - 2));
    }
}

TEST(SystemMessage, WithoutSystemTextTheFallbacksApply) {
    ASSERT_FALSE(RawSystemText(MakeHResult(0x80040205)).has_value());
    EXPECT_EQ(AutomationError(MakeHResult(0x80040205)).message(), u"IDispatch error #5");
    ASSERT_FALSE(RawSystemText(MakeHResult(0x80040200)).has_value());
    EXPECT_EQ(AutomationError(MakeHResult(0x80040200)).message(), u"Unknown error 0x80040200");
}

TEST(SystemMessage, ReportOfAnEmptyConnection) {
    HostConnection connection;
    const AutomationError error = ErrorOf([&] { GetObjectRef(connection.application(), code::kActiveDocument); });
    // Wine has no text for E_POINTER; Windows has one.
    const std::optional<std::u16string> raw = RawSystemText(kInvalidPointer);
    const std::u16string reason = raw ? raw->substr(0, raw->size() - 2) : u"Unknown error 0x80004003";
    EXPECT_EQ(FormatErrorReport(error), u"发生错误:(null),原因:" + reason + u",描述:(null)!");
}

}  // namespace
}  // namespace sonotag::host
