#pragma once
// StandInProcess(arguments): standin-host.exe (SONOTAG_STANDIN_HOST) started by hand, closed or else killed when it goes.
// StandInEnded(timeout): no stand-in host runs any more. After a kill, ForgetDeadServers() before the next attach.

#include <windows.h>

#include <string>

#include "base/OwnedHandle_win32.h"
#include "standin/LocalServer_win32.h"
#include "tests/support/RpcService_win32.h"

namespace sonotag::test {

inline constexpr DWORD kStandInStartTimeout = 30'000;  // every wait is bounded
inline constexpr DWORD kStandInEndTimeout = 15'000;

inline bool StandInEnded(DWORD timeout) {
    const KernelHandle mutex(OpenMutexW(SYNCHRONIZE, FALSE, standin::kInstanceMutexName));
    if (!mutex.get()) return GetLastError() == ERROR_FILE_NOT_FOUND;
    const DWORD waited = WaitForSingleObject(mutex.get(), timeout);
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED) return false;
    ReleaseMutex(mutex.get());
    return true;
}

class StandInProcess {
public:
    explicit StandInProcess(const std::wstring& arguments) {
        ResetEvent(ready_.get());
        const std::string exe = SONOTAG_STANDIN_HOST;
        std::wstring commandLine = L"\"" + std::wstring(exe.begin(), exe.end()) + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) return;
        CloseHandle(started.hThread);
        process_ = KernelHandle(started.hProcess);
    }
    ~StandInProcess() {
        if (!process_.get() || WaitForSingleObject(process_.get(), 0) != WAIT_TIMEOUT) return;
        close();
        if (waitForExit() == STILL_ACTIVE) kill();
    }

    // True once it serves clients; false when it did not start, ended, or did not answer in time.
    bool waitUntilReady() const {
        const HANDLE handles[] = {ready_.get(), process_.get()};
        return process_.get() && WaitForMultipleObjects(2, handles, FALSE, kStandInStartTimeout) == WAIT_OBJECT_0;
    }
    void close() const {  // as a user closes an application
        if (const HWND window = FindWindowExW(HWND_MESSAGE, nullptr, standin::kWindowClass, nullptr)) PostMessageW(window, WM_CLOSE, 0, 0);
    }
    void kill() const {  // as a crash would
        TerminateProcess(process_.get(), 99);
        WaitForSingleObject(process_.get(), kStandInEndTimeout);
    }
    // The exit status once it ended within the timeout; STILL_ACTIVE otherwise.
    DWORD waitForExit() const {
        WaitForSingleObject(process_.get(), kStandInEndTimeout);
        DWORD status = STILL_ACTIVE;
        GetExitCodeProcess(process_.get(), &status);
        return status;
    }

private:
    KernelHandle ready_{CreateEventW(nullptr, TRUE, FALSE, standin::kReadyEventName)};
    KernelHandle process_;
};

}  // namespace sonotag::test
