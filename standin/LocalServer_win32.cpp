#include "standin/LocalServer_win32.h"

#include <memory>
#include <vector>

#include "standin/ComServer_win32.h"

namespace sonotag::standin {
namespace {

// Posted when the server's count falls to zero: the server ends unless a
// new client came in the meantime.
constexpr UINT kLastClientGone = WM_APP + 1;
constexpr UINT_PTR kIdleTimer = 1;
constexpr UINT kIdleTimeoutMilliseconds = 60'000;

LRESULT CALLBACK HiddenWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// The message-only window that lets the server be closed like an
// application and carries its own notices.
class HiddenWindow {
public:
    HiddenWindow() {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = HiddenWindowProcedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = kWindowClass;
        RegisterClassExW(&windowClass);
        window_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                                  nullptr);
    }
    HiddenWindow(const HiddenWindow&) = delete;
    HiddenWindow& operator=(const HiddenWindow&) = delete;
    ~HiddenWindow() {
        if (window_) DestroyWindow(window_);
        UnregisterClassW(kWindowClass, GetModuleHandleW(nullptr));
    }

    HWND get() const { return window_; }

private:
    HWND window_ = nullptr;
};

class ClassRegistration {
public:
    ClassRegistration(const CLSID& classId, IClassFactory* factory) {
        result_ = CoRegisterClassObject(classId, factory, CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE, &cookie_);
    }
    ClassRegistration(const ClassRegistration&) = delete;
    ClassRegistration& operator=(const ClassRegistration&) = delete;
    ~ClassRegistration() {
        if (SUCCEEDED(result_)) CoRevokeClassObject(cookie_);
    }

    HRESULT result() const { return result_; }

private:
    HRESULT result_ = E_FAIL;
    DWORD cookie_ = 0;
};

void RunMessageLoop(HWND window, const ServerLifetime& lifetime) {
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (message.hwnd == window && message.message == kLastClientGone) {
            if (lifetime.references() == 0) PostQuitMessage(0);
            continue;
        }
        if (message.hwnd == window && message.message == WM_TIMER && message.wParam == kIdleTimer) {
            KillTimer(window, kIdleTimer);
            if (lifetime.references() == 0) PostQuitMessage(0);
            continue;
        }
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

}  // namespace

HRESULT RunLocalServer(const host::ObjectRef& application, std::span<const CLSID> classIds,
                       const LocalServerOptions& options) {
    const HiddenWindow window;
    if (!window.get()) return HRESULT_FROM_WIN32(GetLastError());
    const HWND notify = window.get();
    // The last release may come on any thread; the notice goes through the window.
    auto lifetime = std::make_shared<ServerLifetime>([notify, startedByCom = options.startedByCom] {
        if (startedByCom) PostMessageW(notify, kLastClientGone, 0, 0);
    });

    const host::ComRef<IClassFactory> factory = MakeClassFactory(application, lifetime);
    std::vector<std::unique_ptr<ClassRegistration>> registrations;
    for (const CLSID& classId : classIds) {
        registrations.push_back(std::make_unique<ClassRegistration>(classId, factory.get()));
        if (FAILED(registrations.back()->result())) return registrations.back()->result();
    }
    if (options.startedByCom) SetTimer(notify, kIdleTimer, kIdleTimeoutMilliseconds, nullptr);
    if (options.readyEvent) SetEvent(options.readyEvent);

    RunMessageLoop(notify, *lifetime);
    return S_OK;
}

}  // namespace sonotag::standin
