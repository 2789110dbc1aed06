#include "host/AttachHost_win32.h"

#include <windows.h>
#include <ole2.h>

#include <string>

#include <gtest/gtest.h>

#include "host/AutomationError.h"
#include "host/ComObject_win32.h"
#include "tests/support/CaseName.h"
#include "tests/support/TestComObject_win32.h"

namespace sonotag::host {
namespace {

// What the application objects of one test did, shared with the test.
struct Census {
    int created = 0;
    int alive = 0;
    int runs = 0;
};

// How the test's application class behaves.
struct Behaviour {
    bool offersDispatch = true;
    bool runnable = false;  // answers IRunnableObject
    HRESULT runResult = S_OK;
};

// An application object: IDispatch when it offers one, and IRunnableObject
// when it can be told to run. Every call answers the instance's number.
class TestApplication final : public test::TestDispatch<TestApplication>, public IRunnableObject {
public:
    TestApplication(Behaviour behaviour, Census& census)
        : behaviour_(behaviour), census_(census), number_(++census.created) {
        ++census_.alive;
    }
    ~TestApplication() { --census_.alive; }

    void* interfaceFor(REFIID iid) {
        if (iid == IID_IUnknown || (iid == IID_IDispatch && behaviour_.offersDispatch)) return static_cast<IDispatch*>(this);
        if (iid == IID_IRunnableObject && behaviour_.runnable) return static_cast<IRunnableObject*>(this);
        return nullptr;
    }
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        return TestDispatch::QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return TestDispatch::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() override { return TestDispatch::Release(); }

    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*,
                                     UINT*) override {
        if (result) {
            V_VT(result) = VT_I4;
            V_I4(result) = number_;
        }
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetRunningClass(CLSID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Run(IBindCtx*) override {
        ++census_.runs;
        return behaviour_.runResult;
    }
    BOOL STDMETHODCALLTYPE IsRunning() override { return TRUE; }
    HRESULT STDMETHODCALLTYPE LockRunning(BOOL, BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE SetContainedObject(BOOL) override { return S_OK; }

private:
    Behaviour behaviour_;
    Census& census_;
    int number_;
};

class TestFactory final : public test::TestComObject<TestFactory, IClassFactory> {
public:
    TestFactory(Behaviour behaviour, Census& census) : behaviour_(behaviour), census_(census) {}

    void* interfaceFor(REFIID iid) { return iid == IID_IUnknown || iid == IID_IClassFactory ? this : nullptr; }
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override {
        *object = nullptr;
        if (outer) return CLASS_E_NOAGGREGATION;
        const auto instance = ComRef<IDispatch>::Adopt(new TestApplication(behaviour_, census_));
        return instance->QueryInterface(iid, object);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    Behaviour behaviour_;
    Census& census_;
};

constexpr wchar_t kProgId[] = L"Sonotag.Test.AttachHost";
constexpr wchar_t kClassId[] = L"{CDF05DC9-19A2-40D4-9C0F-EB77AE679B21}";
constexpr wchar_t kServerlessProgId[] = L"Sonotag.Test.AttachHost.NoServer";
constexpr wchar_t kServerlessClassId[] = L"{0C3A2B9E-6D51-4F0E-9E21-5B7C1D4A8E60}";

void RegisterProgId(const wchar_t* progId, const wchar_t* classId) {
    HKEY key = nullptr;
    const std::wstring path = std::wstring(progId) + L"\\CLSID";
    ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(classId),
                   static_cast<DWORD>((wcslen(classId) + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

// A ProgID of the test's own class, served from this process while the
// test runs, and one whose class has no server at all.
class AttachHostTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(apartment.isInitialised());
        RegisterProgId(kProgId, kClassId);
        RegisterProgId(kServerlessProgId, kServerlessClassId);
    }
    void TearDown() override {
        if (registration) CoRevokeClassObject(registration);
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kProgId);
        RegDeleteTreeW(HKEY_CLASSES_ROOT, kServerlessProgId);
    }

    void serve(Behaviour behaviour) {
        if (registration) CoRevokeClassObject(registration);
        registration = 0;
        CLSID classId{};
        ASSERT_EQ(CLSIDFromString(kClassId, &classId), S_OK);
        const auto factory = ComRef<IClassFactory>::Adopt(new TestFactory(behaviour, census));
        ASSERT_EQ(CoRegisterClassObject(classId, factory.get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                        &registration),
                  S_OK);
    }

    static std::u16string ProgId(const wchar_t* text) { return reinterpret_cast<const char16_t*>(text); }

    OleApartment apartment;
    Census census;
    DWORD registration = 0;
};

TEST_F(AttachHostTest, AttachesToTheApplicationObject) {
    serve({});
    HostConnection connection;
    AttachHost(ProgId(kProgId), connection);
    ASSERT_TRUE(connection.isAttached());
    EXPECT_NE(DispatchOf(connection.application()), nullptr);
    EXPECT_EQ(GetInteger(connection.application(), code::kCount), 1);
    connection.release();
    EXPECT_EQ(census.alive, 0);
}

TEST_F(AttachHostTest, RunsTheObjectBeforeAskingForDispatch) {
    serve({.runnable = true});
    HostConnection connection;
    AttachHost(ProgId(kProgId), connection);
    EXPECT_TRUE(connection.isAttached());
    EXPECT_EQ(census.runs, 1);
}

struct FailedAttachment {
    const char* name;
    Behaviour behaviour;
};

class AttachmentThatFails : public AttachHostTest, public ::testing::WithParamInterface<FailedAttachment> {};

// Whatever fails after the class was found leaves the connection empty,
// also when it held an application before; nothing is thrown.
TEST_P(AttachmentThatFails, LeavesTheConnectionEmpty) {
    serve({});
    HostConnection connection;
    AttachHost(ProgId(kProgId), connection);
    ASSERT_TRUE(connection.isAttached());

    serve(GetParam().behaviour);
    AttachHost(ProgId(kProgId), connection);
    EXPECT_FALSE(connection.isAttached());
    EXPECT_EQ(census.alive, 0);
    try {
        GetObjectRef(connection.application(), code::kActiveDocument);
        ADD_FAILURE() << "a call through an empty connection succeeded";
    } catch (const AutomationError& error) {
        EXPECT_EQ(error.result(), kInvalidPointer);
    }
}

INSTANTIATE_TEST_SUITE_P(Attachments, AttachmentThatFails,
                         ::testing::Values(FailedAttachment{"RunFails", {.runnable = true, .runResult = E_FAIL}},
                                           FailedAttachment{"NoDispatch", {.offersDispatch = false}}),
                         test::CaseName());

TEST_F(AttachHostTest, ClassWithoutServerLeavesTheConnectionEmpty) {
    serve({});
    HostConnection connection;
    AttachHost(ProgId(kProgId), connection);
    ASSERT_TRUE(connection.isAttached());
    AttachHost(ProgId(kServerlessProgId), connection);
    EXPECT_FALSE(connection.isAttached());
    EXPECT_EQ(census.alive, 0);
}

TEST_F(AttachHostTest, UnknownProgIdKeepsWhatTheConnectionHeld) {
    serve({});
    HostConnection connection;
    AttachHost(u"InDesign.Application.CS2", connection);
    EXPECT_FALSE(connection.isAttached());

    AttachHost(ProgId(kProgId), connection);
    const ObjectRef attached = connection.application();
    AttachHost(u"Sonotag.Test.NoSuchProgId", connection);
    EXPECT_EQ(connection.application(), attached);
}

TEST_F(AttachHostTest, AttachingAgainReleasesTheOldApplication) {
    serve({});
    HostConnection connection;
    AttachHost(ProgId(kProgId), connection);
    AttachHost(ProgId(kProgId), connection);
    EXPECT_EQ(census.created, 2);
    EXPECT_EQ(census.alive, 1);
    EXPECT_EQ(GetInteger(connection.application(), code::kCount), 2);
}

}  // namespace
}  // namespace sonotag::host
