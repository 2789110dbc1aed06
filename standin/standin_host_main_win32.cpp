// standin-host.exe: the stand-in host as a COM local server, reached by
// other processes the way a real host application is.
//
//   standin-host [-Embedding] [--document FILE] [--save-on-exit FILE]
//
// Started by hand it serves until its hidden window is closed; started by
// COM (-Embedding) it ends once its last client has gone. --document loads
// a document file first; --save-on-exit writes the document file when the
// server ends. Exit status: 0 done, 1 failure, 2 usage, 3 already running.

#include <windows.h>

#include <cstdio>
#include <cwctype>
#include <optional>
#include <string>
#include <vector>

#include <shellapi.h>

#include "base/OwnedHandle_win32.h"
#include "base/Utf.h"
#include "base/WideText_win32.h"
#include "host/AttachHost_win32.h"
#include "standin/LocalServer_win32.h"
#include "standin/StandInHost.h"

namespace {

using sonotag::standin::StandInHost;

constexpr int kFailure = 1;
constexpr int kUsage = 2;
constexpr int kAlreadyRunning = 3;

struct Options {
    bool startedByCom = false;
    std::optional<std::u16string> document;
    std::optional<std::u16string> saveOnExit;
};

// The instance mutex, owned while the server runs and released as it ends.
class InstanceLock {
public:
    InstanceLock() : mutex_(CreateMutexW(nullptr, TRUE, sonotag::standin::kInstanceMutexName)) {
        owned_ = mutex_.get() && GetLastError() != ERROR_ALREADY_EXISTS;
    }
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    ~InstanceLock() {
        if (owned_) ReleaseMutex(mutex_.get());
    }
    bool owned() const { return owned_; }

private:
    sonotag::KernelHandle mutex_;
    bool owned_ = false;
};

void Complain(const std::string& text) { std::fprintf(stderr, "standin-host: %s\n", text.c_str()); }

std::u16string ToU16(const wchar_t* text) { return std::u16string(sonotag::Utf16(text)); }

bool IsEmbeddingSwitch(std::wstring argument) {
    for (wchar_t& letter : argument) letter = static_cast<wchar_t>(std::towlower(letter));
    return argument == L"-embedding" || argument == L"/embedding";
}

std::optional<Options> ParseArguments(const std::vector<std::wstring>& arguments) {
    Options options;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::wstring& argument = arguments[i];
        const bool takesFile = argument == L"--document" || argument == L"--save-on-exit";
        if (IsEmbeddingSwitch(argument)) {
            options.startedByCom = true;
        } else if (takesFile && i + 1 < arguments.size()) {
            auto& slot = argument == L"--document" ? options.document : options.saveOnExit;
            slot = ToU16(arguments[++i].c_str());
        } else {
            Complain("unknown or incomplete argument: " + sonotag::Utf16ToUtf8(ToU16(argument.c_str())) +
                     "\nusage: standin-host [-Embedding] [--document FILE] [--save-on-exit FILE]");
            return std::nullopt;
        }
    }
    return options;
}

std::vector<std::wstring> CommandLineArguments() {
    int count = 0;
    const sonotag::LocalMemory<wchar_t*> list(CommandLineToArgvW(GetCommandLineW(), &count));
    return std::vector<std::wstring>(list.get(), list.get() + (list ? count : 0));
}

int Serve(StandInHost& host, const Options& options) {
    const sonotag::host::OleApartment apartment;
    if (!apartment.isInitialised()) {
        Complain("OLE could not be initialised");
        return kFailure;
    }
    const sonotag::KernelHandle ready(CreateEventW(nullptr, TRUE, FALSE, sonotag::standin::kReadyEventName));
    const CLSID classIds[] = {sonotag::standin::kApplicationClassIdCS3, sonotag::standin::kApplicationClassIdCS4};
    const HRESULT served =
        sonotag::standin::RunLocalServer(host.application(), classIds, {options.startedByCom, ready.get()});
    if (FAILED(served)) {
        char text[64];
        std::snprintf(text, sizeof text, "cannot register the application classes (0x%08lX)",
                      static_cast<unsigned long>(served));
        Complain(text);
        return kFailure;
    }
    return 0;
}

}  // namespace

int main() {
    const auto options = ParseArguments(CommandLineArguments());
    if (!options) return kUsage;
    const InstanceLock instance;
    if (!instance.owned()) {
        Complain("another stand-in host is running");
        return kAlreadyRunning;
    }
    // The model outlives the COM apartment, which releases what clients
    // still hold when it shuts down.
    StandInHost host;
    try {
        if (options->document) host.loadDocumentFile(*options->document);
        if (const int status = Serve(host, *options); status != 0) return status;
        if (options->saveOnExit) host.saveDocumentFile(*options->saveOnExit);
    } catch (const std::exception& failure) {
        Complain(failure.what());
        return kFailure;
    }
    return 0;
}
