#pragma once
// Serving host objects to COM clients: an IDispatch over any host object,
// and the class object a local server registers. Each dispatch wrapper
// holds its host object for as long as a client holds the wrapper.
//
// Arguments arrive as VARIANTs (also by reference) and become values:
// integers of any width, text, nothing, and objects, where one of our own
// wrappers stands for the host object it serves. Results go back as
// VARIANTs; an array result is a SAFEARRAY of VARIANTs with the array's
// upper bound. A failing call answers DISP_E_EXCEPTION with its exception
// information filled in at once (never through a deferred fill-in).

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>

#include <oaidl.h>

#include "host/ComOwners_win32.h"
#include "host/HostObject.h"

namespace sonotag::standin {

// Counts what keeps a server process alive: the objects it serves and the
// locks its clients hold. When the count falls back to zero the callback
// runs (a local server started by COM ends then).
class ServerLifetime {
public:
    explicit ServerLifetime(std::function<void()> onLastRelease = {}) : onLastRelease_(std::move(onLastRelease)) {}
    ServerLifetime(const ServerLifetime&) = delete;
    ServerLifetime& operator=(const ServerLifetime&) = delete;

    void addReference() { ++references_; }
    void releaseReference() {
        if (--references_ == 0 && onLastRelease_) onLastRelease_();
    }
    long references() const { return references_; }

private:
    std::atomic<long> references_{0};
    std::function<void()> onLastRelease_;
};

// An IDispatch serving `object` (a new reference for the caller), counted
// in `lifetime` while it exists. An empty object gives an empty reference.
host::ComRef<IDispatch> ServeObject(host::ObjectRef object, std::shared_ptr<ServerLifetime> lifetime = {});

// The host object that `object` serves when it is one of our wrappers in
// this process; empty otherwise.
host::ObjectRef ServedObject(IUnknown* object);

// The class object of a local server: every instance it makes serves the
// same `application`, so all clients share one state.
host::ComRef<IClassFactory> MakeClassFactory(host::ObjectRef application, std::shared_ptr<ServerLifetime> lifetime);

}  // namespace sonotag::standin
