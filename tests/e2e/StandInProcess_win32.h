#pragma once
// standin-host.exe as another process, for the tests that reach it through
// COM: starting and ending it by hand, waiting for it, its private control
// operations, and forgetting a killed one in Wine's RPC service.

#include <windows.h>

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "base/Utf.h"
#include "host/AutomationError.h"
#include "host/HostObject.h"
#include "base/OwnedHandle_win32.h"
#include "tests/support/RpcService_win32.h"
#include "standin/ControlCodes.h"
#include "standin/LocalServer_win32.h"

namespace sonotag::e2e {

using host::AutomationError;
using host::InvokeKind;
using host::ObjectRef;
using host::Value;
using host::ValueType;
using standin::kInstanceMutexName;
using standin::kReadyEventName;
using standin::kWindowClass;
namespace control = standin::control;

inline constexpr char16_t kCS2[] = u"InDesign.Application.CS2";
inline constexpr char16_t kCS3[] = u"InDesign.Application.CS3";
inline constexpr char16_t kCS4[] = u"InDesign.Application.CS4";
inline constexpr char16_t kCS5[] = u"InDesign.Application.CS5";

// Every wait is bounded; a host that does not answer in time fails the test.
inline constexpr DWORD kStartTimeout = 30'000;
inline constexpr DWORD kEndTimeout = 15'000;

inline std::wstring Wide(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }
inline std::wstring Wide(const std::u16string& text) { return std::wstring(reinterpret_cast<const wchar_t*>(text.c_str())); }

inline std::u16string FixturePath(const std::string& name) {
    const std::string path = std::string(SONOTAG_FIXTURES) + "/e2e/" + name;
    return std::u16string(path.begin(), path.end());
}

// Waits until no stand-in host runs: its instance mutex is free or gone.
inline bool WaitForHostToEnd(DWORD timeout) {
    const KernelHandle mutex(OpenMutexW(SYNCHRONIZE, FALSE, kInstanceMutexName));
    if (!mutex.get()) return GetLastError() == ERROR_FILE_NOT_FOUND;
    const DWORD waited = WaitForSingleObject(mutex.get(), timeout);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) return false;
    ReleaseMutex(mutex.get());
    return true;
}

inline bool HostIsRunning() {
    const KernelHandle mutex(OpenMutexW(SYNCHRONIZE, FALSE, kInstanceMutexName));
    return mutex.get() != nullptr;
}

// standin-host.exe started by hand, like an application the user opened.
// It is closed (or, failing that, ended) when the object goes.
class HandStartedHost {
public:
    explicit HandStartedHost(const std::wstring& arguments) {
        ready_ = KernelHandle(CreateEventW(nullptr, TRUE, FALSE, kReadyEventName));
        ResetEvent(ready_.get());
        std::wstring commandLine = L"\"" + Wide(SONOTAG_STANDIN_HOST) + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                            &started)) {
            ADD_FAILURE() << "standin-host.exe did not start: error " << GetLastError();
            return;
        }
        CloseHandle(started.hThread);
        process_ = KernelHandle(started.hProcess);
    }
    HandStartedHost(const HandStartedHost&) = delete;
    HandStartedHost& operator=(const HandStartedHost&) = delete;
    ~HandStartedHost() {
        if (process_.get() && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT) {
            close();
            if (WaitForSingleObject(process_.get(), kEndTimeout) == WAIT_TIMEOUT) kill();
        }
    }

    // True once the host serves clients; false when it ended or did not answer in time.
    bool waitUntilReady() const {
        if (!process_.get()) return false;
        const HANDLE handles[] = {ready_.get(), process_.get()};
        return WaitForMultipleObjects(2, handles, FALSE, kStartTimeout) == WAIT_OBJECT_0;
    }
    // Closes the host's window as a user closes an application.
    void close() const {
        if (const HWND window = FindWindowExW(HWND_MESSAGE, nullptr, kWindowClass, nullptr))
            PostMessageW(window, WM_CLOSE, 0, 0);
    }
    void kill() const {
        TerminateProcess(process_.get(), 99);
        WaitForSingleObject(process_.get(), kEndTimeout);
    }
    // The exit status, once the host has ended within the timeout; STILL_ACTIVE otherwise.
    DWORD waitForExit() const {
        WaitForSingleObject(process_.get(), kEndTimeout);
        DWORD status = STILL_ACTIVE;
        GetExitCodeProcess(process_.get(), &status);
        return status;
    }

private:
    KernelHandle ready_;
    KernelHandle process_;
};

// A private control operation of the stand-in's application object.
inline Value Control(const ObjectRef& application, host::DispatchId id, std::vector<Value> arguments = {},
              ValueType resultType = ValueType::Any) {
    return host::Required(application)->invoke(id, InvokeKind::Method, arguments, resultType);
}

inline nlohmann::json DumpedDocument(const ObjectRef& application) {
    return nlohmann::json::parse(
        Utf16ToUtf8(Control(application, control::kDumpDocumentJson, {}, ValueType::Text).text()));
}

inline AutomationError ErrorOf(const std::function<void()>& work) {
    try {
        work();
    } catch (const AutomationError& error) {
        return error;
    }
    ADD_FAILURE() << "no automation error";
    return AutomationError(host::kOk);
}

// Ends the test process with a message when the step it guards has not
// returned in time: a hang fails the test at once instead of stalling the
// suite until its timeout.
class Watchdog {
public:
    Watchdog(DWORD timeout, const char* step) : timeout_(timeout), step_(step) {
        done_ = KernelHandle(CreateEventW(nullptr, TRUE, FALSE, nullptr));
        thread_ = KernelHandle(CreateThread(nullptr, 0, &Watch, this, 0, nullptr));
    }
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;
    ~Watchdog() {
        SetEvent(done_.get());
        WaitForSingleObject(thread_.get(), INFINITE);
    }

private:
    static DWORD WINAPI Watch(void* context) {
        const auto* self = static_cast<const Watchdog*>(context);
        if (WaitForSingleObject(self->done_.get(), self->timeout_) == WAIT_TIMEOUT) {
            std::fprintf(stderr, "hang: %s did not return within %lu ms\n", self->step_,
                         static_cast<unsigned long>(self->timeout_));
            std::fflush(stderr);
            TerminateProcess(GetCurrentProcess(), 3);
        }
        return 0;
    }

    DWORD timeout_;
    const char* step_;
    KernelHandle done_;
    KernelHandle thread_;
};

}  // namespace sonotag::e2e
