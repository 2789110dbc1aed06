#pragma once
// Wine's RPC service keeps handing out the class registration of a server
// that was killed; restarting it forgets that registration, so the next
// client gets a fresh server.

#include <windows.h>

#include <string>

#include "base/OwnedHandle_win32.h"

namespace sonotag::test {

// False when the service did not stop and start within the timeout.
inline bool ForgetDeadServers() {
    // The service's chatter goes nowhere, not into the test's output.
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};
    const KernelHandle nowhere(CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited,
                                                 OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    bool done = static_cast<bool>(nowhere);
    for (const wchar_t* command : {L"net.exe stop rpcss", L"net.exe start rpcss"}) {
        if (!done) break;
        std::wstring commandLine = command;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = nowhere.get();
        startup.hStdOutput = nowhere.get();
        startup.hStdError = nowhere.get();
        PROCESS_INFORMATION started{};
        done = CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                              &started) != FALSE;
        if (!done) break;
        CloseHandle(started.hThread);
        const KernelHandle process(started.hProcess);
        done = WaitForSingleObject(process.get(), 30000) == WAIT_OBJECT_0;
    }
    return done;
}

}  // namespace sonotag::test
