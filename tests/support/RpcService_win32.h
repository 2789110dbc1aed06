#pragma once
// Wine's RPC service keeps handing out a killed server's class registration; a restart forgets it.

#include <windows.h>

#include <string>

#include "base/OwnedHandle_win32.h"

namespace sonotag::test {

inline bool ForgetDeadServers() {                                    // false when the service did not stop and start in time
    SECURITY_ATTRIBUTES inherited{sizeof inherited, nullptr, TRUE};  // its chatter goes to NUL
    const KernelHandle nowhere(
        CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherited, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    for (std::wstring command : {L"net.exe stop rpcss", L"net.exe start rpcss"}) {
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = startup.hStdOutput = startup.hStdError = nowhere.get();
        PROCESS_INFORMATION started{};
        if (!nowhere || !CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &started)) return false;
        CloseHandle(started.hThread);
        const KernelHandle process(started.hProcess);
        if (WaitForSingleObject(process.get(), 30000) != WAIT_OBJECT_0) return false;
    }
    return true;
}

}  // namespace sonotag::test
