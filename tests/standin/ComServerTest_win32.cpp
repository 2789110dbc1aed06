#include "standin/ComServer_win32.h"

#include <functional>
#include <stdexcept>
#include <vector>

#include <gtest/gtest.h>

#include "host/AttachHost_win32.h"
#include "host/AutomationError.h"
#include "host/ComObject_win32.h"
#include "tests/support/CaseName.h"
#include "tests/support/TestComObject_win32.h"

namespace sonotag::standin {
namespace {

using host::ArrayBound;
using host::AutomationError;
using host::ComRef;
using host::InvokeKind;
using host::ObjectRef;
using host::Value;
using host::ValueType;

// A host object that hands each call to the test and remembers it.
class Responder : public host::HostObject {
public:
    struct Received {
        host::DispatchId id;
        InvokeKind kind;
        std::vector<Value> arguments;
    };
    using Answer = std::function<Value(const Received&)>;

    explicit Responder(Answer answer = [](const Received&) { return Value(); }) : answer_(std::move(answer)) {}

    Value invoke(host::DispatchId id, InvokeKind kind, std::span<const Value> arguments, ValueType) override {
        calls.push_back({id, kind, {arguments.begin(), arguments.end()}});
        return answer_(calls.back());
    }

    std::vector<Received> calls;

private:
    Answer answer_;
};

// Calls Invoke as a client that builds its own DISPPARAMS would.
struct RawCall {
    HRESULT result = S_OK;
    host::Variant value;
    EXCEPINFO exception{};
    UINT argumentError = 0xFFFF;

    RawCall() = default;
    RawCall(const RawCall&) = delete;
    RawCall& operator=(const RawCall&) = delete;
    ~RawCall() {
        SysFreeString(exception.bstrSource);
        SysFreeString(exception.bstrDescription);
        SysFreeString(exception.bstrHelpFile);
    }
};

void Invoke(IDispatch* object, WORD flags, std::vector<VARIANT> arguments, std::vector<DISPID> named, RawCall& call,
            DISPID id = 1) {
    DISPPARAMS parameters{arguments.data(), named.data(), static_cast<UINT>(arguments.size()),
                          static_cast<UINT>(named.size())};
    call.result = object->Invoke(id, IID_NULL, 0, flags, &parameters, call.value.get(), &call.exception,
                                 &call.argumentError);
}

VARIANT Integer(LONG number) {
    VARIANT value;
    V_VT(&value) = VT_I4;
    V_I4(&value) = number;
    return value;
}

class ComServerTest : public ::testing::Test {
protected:
    host::OleApartment apartment;
};

TEST_F(ComServerTest, ValuesMakeTheRoundTrip) {
    auto responder = std::make_shared<Responder>([](const Responder::Received& call) {
        return call.arguments.empty() ? Value(u"apple,") : call.arguments[0];
    });
    const ObjectRef client = host::WrapDispatch(ServeObject(responder));
    EXPECT_EQ(host::GetText(client, host::code::kContents), u"apple,");
    host::Put(client, host::code::kContents, Value(u" [ˈæpl]"));
    const Value seven(7);
    EXPECT_EQ(client->invoke(host::code::kItem, InvokeKind::Get, std::span(&seven, 1), ValueType::Text).text(), u"7");
    ASSERT_EQ(responder->calls.size(), 3u);
    EXPECT_EQ(responder->calls[1].kind, InvokeKind::Put);
    EXPECT_EQ(responder->calls[1].arguments.at(0).text(), u" [ˈæpl]");
    EXPECT_EQ(responder->calls[2].arguments.at(0).integer(), 7);
}

TEST_F(ComServerTest, ArgumentsArriveInOrder) {
    auto responder = std::make_shared<Responder>();
    const ComRef<IDispatch> served = ServeObject(responder);
    VARIANT text;
    V_VT(&text) = VT_BSTR;
    V_BSTR(&text) = SysAllocString(L"two");
    RawCall call;
    Invoke(served.get(), DISPATCH_METHOD, {text, Integer(1)}, {}, call);  // DISPPARAMS order: last first
    SysFreeString(V_BSTR(&text));
    ASSERT_EQ(call.result, S_OK);
    ASSERT_EQ(responder->calls.size(), 1u);
    ASSERT_EQ(responder->calls[0].arguments.size(), 2u);
    EXPECT_EQ(responder->calls[0].arguments[0].integer(), 1);
    EXPECT_EQ(responder->calls[0].arguments[1].text(), u"two");
}

struct ArgumentCase {
    const char* name;
    std::function<VARIANT()> make;
    std::optional<Value> expected;  // nothing: refused with `failure`
    HRESULT failure = S_OK;
};

class ArgumentConversion : public ComServerTest, public ::testing::WithParamInterface<ArgumentCase> {};

TEST_P(ArgumentConversion, GivesTheHostAValue) {
    auto responder = std::make_shared<Responder>();
    const ComRef<IDispatch> served = ServeObject(responder);
    VARIANT argument = GetParam().make();
    RawCall call;
    Invoke(served.get(), DISPATCH_METHOD, {Integer(0), argument}, {}, call);
    if (!(V_VT(&argument) & VT_BYREF)) VariantClear(&argument);
    if (!GetParam().expected) {
        EXPECT_EQ(call.result, GetParam().failure);
        EXPECT_EQ(call.argumentError, 1u);
        EXPECT_TRUE(responder->calls.empty());
        return;
    }
    ASSERT_EQ(call.result, S_OK);
    const Value& received = responder->calls.at(0).arguments.at(0);
    ASSERT_EQ(received.type(), GetParam().expected->type());
    if (received.type() == ValueType::Integer) {
        EXPECT_EQ(received.integer(), GetParam().expected->integer());
    } else if (received.type() == ValueType::Text) {
        EXPECT_EQ(received.text(), GetParam().expected->text());
    }
}

LONG referencedNumber = 12;
BSTR referencedText = nullptr;

INSTANTIATE_TEST_SUITE_P(
    Arguments, ArgumentConversion,
    ::testing::Values(
        ArgumentCase{"Short", [] { VARIANT v; V_VT(&v) = VT_I2; V_I2(&v) = -3; return v; }, Value(-3)},
        ArgumentCase{"Byte", [] { VARIANT v; V_VT(&v) = VT_UI1; V_UI1(&v) = 250; return v; }, Value(250)},
        ArgumentCase{"Empty", [] { VARIANT v; VariantInit(&v); return v; }, Value()},
        ArgumentCase{"Omitted", [] { VARIANT v; V_VT(&v) = VT_ERROR; V_ERROR(&v) = DISP_E_PARAMNOTFOUND; return v; },
                     Value()},
        ArgumentCase{"IntegerByReference",
                     [] { VARIANT v; V_VT(&v) = VT_I4 | VT_BYREF; V_I4REF(&v) = &referencedNumber; return v; },
                     Value(12)},
        ArgumentCase{"TextByReference",
                     [] {
                         SysFreeString(referencedText);
                         referencedText = SysAllocString(L"Phonetics");
                         VARIANT v;
                         V_VT(&v) = VT_BSTR | VT_BYREF;
                         V_BSTRREF(&v) = &referencedText;
                         return v;
                     },
                     Value(u"Phonetics")},
        ArgumentCase{"TooBig", [] { VARIANT v; V_VT(&v) = VT_I8; V_I8(&v) = 1LL << 40; return v; },
                     std::nullopt, DISP_E_OVERFLOW},
        ArgumentCase{"Real", [] { VARIANT v; V_VT(&v) = VT_R8; V_R8(&v) = 1.5; return v; }, std::nullopt,
                     DISP_E_TYPEMISMATCH}),
    test::CaseName());

TEST_F(ComServerTest, OurOwnObjectsComeBackAsTheObjectTheyServe) {
    auto style = std::make_shared<Responder>();
    auto character = std::make_shared<Responder>();
    const ObjectRef styles = host::WrapDispatch(ServeObject(std::make_shared<Responder>([&](const auto&) {
        return Value(ObjectRef(style));
    })));
    const ObjectRef clientStyle = host::Item(styles, u"Phonetics");
    ASSERT_NE(host::DispatchOf(clientStyle), nullptr);
    EXPECT_EQ(ServedObject(host::DispatchOf(clientStyle)), style);

    host::Put(host::WrapDispatch(ServeObject(character)), host::code::kAppliedCharacterStyle, Value(clientStyle));
    ASSERT_EQ(character->calls.size(), 1u);
    EXPECT_EQ(character->calls[0].arguments.at(0).object(), style);
}

// An IDispatch from somewhere else: every call answers its name.
class ForeignDispatch final : public test::TestDispatch<ForeignDispatch> {
public:
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                     UINT*) override {
        V_VT(result) = VT_BSTR;
        V_BSTR(result) = SysAllocString(L"foreign");
        return S_OK;
    }
};

TEST_F(ComServerTest, ForeignObjectsComeAsHostObjectsOverTheirDispatch) {
    const auto foreign = ComRef<IDispatch>::Adopt(new ForeignDispatch);
    EXPECT_EQ(ServedObject(foreign.get()), nullptr);
    EXPECT_EQ(ServedObject(nullptr), nullptr);
    auto receiver = std::make_shared<Responder>([](const Responder::Received& call) {
        return Value(host::GetText(call.arguments.at(0).object(), host::code::kItem));
    });
    const ObjectRef client = host::WrapDispatch(ServeObject(receiver));
    const Value argument(host::WrapDispatch(foreign.get()));
    EXPECT_EQ(client->invoke(1, InvokeKind::Method, std::span(&argument, 1), ValueType::Text).text(), u"foreign");
    EXPECT_EQ(host::DispatchOf(receiver->calls.at(0).arguments.at(0).object()), foreign.get());
}

TEST_F(ComServerTest, ArraysKeepTheirUpperBound) {
    for (const std::int32_t upperBound : {4, 0, -1, -3}) {
        const ObjectRef client = host::WrapDispatch(ServeObject(std::make_shared<Responder>([=](const auto&) {
            return Value(ArrayBound{upperBound});
        })));
        EXPECT_EQ(host::Get(client, host::code::kUndoHistory).array().upperBound, upperBound);
    }
}

struct FlagCase {
    const char* name;
    WORD flags;
    std::vector<DISPID> named;
    HRESULT expected;
    InvokeKind kind = InvokeKind::Get;
};

class InvokeFlags : public ComServerTest, public ::testing::WithParamInterface<FlagCase> {};

TEST_P(InvokeFlags, ChooseTheKindOfCall) {
    auto responder = std::make_shared<Responder>();
    const ComRef<IDispatch> served = ServeObject(responder);
    RawCall call;
    Invoke(served.get(), GetParam().flags, {Integer(1)}, GetParam().named, call);
    EXPECT_EQ(call.result, GetParam().expected);
    if (SUCCEEDED(GetParam().expected)) {
        ASSERT_EQ(responder->calls.size(), 1u);
        EXPECT_EQ(responder->calls[0].kind, GetParam().kind);
    } else {
        EXPECT_TRUE(responder->calls.empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Flags, InvokeFlags,
    ::testing::Values(FlagCase{"Get", DISPATCH_PROPERTYGET, {}, S_OK, InvokeKind::Get},
                      FlagCase{"Method", DISPATCH_METHOD, {}, S_OK, InvokeKind::Method},
                      FlagCase{"MethodOrGetReads", DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}, S_OK, InvokeKind::Get},
                      FlagCase{"Put", DISPATCH_PROPERTYPUT, {DISPID_PROPERTYPUT}, S_OK, InvokeKind::Put},
                      FlagCase{"PutReference", DISPATCH_PROPERTYPUTREF, {DISPID_PROPERTYPUT}, S_OK, InvokeKind::Put},
                      FlagCase{"PutWithoutNamedValue", DISPATCH_PROPERTYPUT, {}, DISP_E_PARAMNOTFOUND},
                      FlagCase{"NamedArgumentOfAGet", DISPATCH_PROPERTYGET, {DISPID_PROPERTYPUT}, DISP_E_NONAMEDARGS}),
    test::CaseName());

TEST_F(ComServerTest, NamesAreUnknown) {
    const ComRef<IDispatch> served = ServeObject(std::make_shared<Responder>());
    wchar_t name[] = L"contents";
    LPOLESTR names[] = {name};
    DISPID id = 5;
    EXPECT_EQ(served->GetIDsOfNames(IID_NULL, names, 1, 0, &id), DISP_E_UNKNOWNNAME);
    EXPECT_EQ(id, DISPID_UNKNOWN);
}

struct FailureCase {
    const char* name;
    std::function<void()> fail;
    WORD wCode;
    HRESULT scode;
    const wchar_t* source;
    const wchar_t* description;
};

class HostFailure : public ComServerTest, public ::testing::WithParamInterface<FailureCase> {};

TEST_P(HostFailure, IsAnExceptionFilledInAtOnce) {
    const FailureCase& c = GetParam();
    const ComRef<IDispatch> served = ServeObject(std::make_shared<Responder>([&c](const auto&) -> Value {
        c.fail();
        return {};
    }));
    RawCall call;
    Invoke(served.get(), DISPATCH_PROPERTYGET, {}, {}, call);
    ASSERT_EQ(call.result, DISP_E_EXCEPTION);
    EXPECT_EQ(call.exception.pfnDeferredFillIn, nullptr);
    EXPECT_EQ(call.exception.wCode, c.wCode);
    EXPECT_EQ(call.exception.scode, c.scode);
    const auto text = [](BSTR value) { return value ? std::wstring(value, SysStringLen(value)) : L"(absent)"; };
    EXPECT_EQ(text(call.exception.bstrSource), c.source);
    EXPECT_EQ(text(call.exception.bstrDescription), c.description);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, HostFailure,
    ::testing::Values(
        FailureCase{"HostException",
                    [] { throw AutomationError::FromException({0, DISP_E_BADINDEX, u"Stand-in host", u"No such word."}); },
                    0, DISP_E_BADINDEX, L"Stand-in host", L"No such word."},
        FailureCase{"ExceptionCode", [] { throw AutomationError::FromException({5, 0, u"s", std::nullopt}); }, 5, 0,
                    L"s", L"(absent)"},
        FailureCase{"PlainError", [] { throw AutomationError(host::kTypeMismatch); }, 0, DISP_E_TYPEMISMATCH,
                    L"(absent)", L"(absent)"},
        FailureCase{"OtherException", [] { throw std::runtime_error("model broke"); }, 0, E_FAIL, L"(absent)",
                    L"model broke"}),
    test::CaseName());

TEST_F(ComServerTest, WithoutExceptionInformationTheResultItself) {
    const ComRef<IDispatch> served = ServeObject(std::make_shared<Responder>([](const auto&) -> Value {
        throw AutomationError::FromException({0, DISP_E_BADINDEX, u"s", u"d"});
    }));
    DISPPARAMS none{};
    EXPECT_EQ(served->Invoke(1, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, nullptr, nullptr, nullptr),
              DISP_E_BADINDEX);
}

TEST_F(ComServerTest, ClientSeesTheHostsException) {
    const ObjectRef client = host::WrapDispatch(ServeObject(std::make_shared<Responder>([](const auto&) -> Value {
        throw AutomationError::FromException({0, DISP_E_BADINDEX, u"Stand-in host", u"No such word."});
    })));
    try {
        host::Item(client, 99);
        FAIL() << "no error";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.result(), DISP_E_BADINDEX);
        EXPECT_EQ(FormatErrorReport(error), u"发生错误:Stand-in host,原因:" + error.message() + u",描述:No such word.!");
    }
}

TEST_F(ComServerTest, WrappersHoldTheirObjectsAndCountInTheLifetime) {
    int lastReleases = 0;
    auto lifetime = std::make_shared<ServerLifetime>([&] { ++lastReleases; });
    auto child = std::make_shared<Responder>();
    std::weak_ptr<Responder> watched = child;
    {
        const ObjectRef parent = host::WrapDispatch(
            ServeObject(std::make_shared<Responder>([child](const auto&) { return Value(ObjectRef(child)); }), lifetime));
        const ObjectRef first = host::GetObjectRef(parent, host::code::kWords);
        const ObjectRef second = host::GetObjectRef(parent, host::code::kWords);
        EXPECT_EQ(lifetime->references(), 3);
        child.reset();
        EXPECT_FALSE(watched.expired());
    }
    EXPECT_TRUE(watched.expired());
    EXPECT_EQ(lifetime->references(), 0);
    EXPECT_EQ(lastReleases, 1);
}

TEST_F(ComServerTest, ClassFactoryServesOneApplicationToEveryClient) {
    int lastReleases = 0;
    auto lifetime = std::make_shared<ServerLifetime>([&] { ++lastReleases; });
    auto application = std::make_shared<Responder>([](const auto&) { return Value(1); });
    const ComRef<IClassFactory> factory = MakeClassFactory(application, lifetime);
    ComRef<IDispatch> first;
    ComRef<IDispatch> second;
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, first.putVoid()), S_OK);
    ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, second.putVoid()), S_OK);
    EXPECT_EQ(ServedObject(first.get()), application);
    EXPECT_EQ(ServedObject(second.get()), application);
    ComRef<IUnknown> refused;
    EXPECT_EQ(factory->CreateInstance(first.get(), IID_IUnknown, refused.putVoid()), CLASS_E_NOAGGREGATION);

    factory->LockServer(TRUE);
    first.reset();
    second.reset();
    EXPECT_EQ(lastReleases, 0);
    factory->LockServer(FALSE);
    EXPECT_EQ(lastReleases, 1);
}

}  // namespace
}  // namespace sonotag::standin
