#pragma once
// The connection to the host: one counted reference to its application
// object, from which every other host object is reached. It is empty until
// an attachment succeeds; a call through an empty connection fails with
// E_POINTER without reaching anything. There is no other state.
//
// Lifetime: the main window owns the connection and releases it when it is
// destroyed. With a COM host the reference must go while COM is still
// initialised on the thread that attached it, so the owner releases it (or
// destroys it) before it shuts COM down; every host object reached from it
// must be gone by then too.

#include <utility>

#include "host/HostObject.h"

namespace sonotag::host {

class HostConnection {
public:
    HostConnection() = default;
    HostConnection(const HostConnection&) = delete;
    HostConnection& operator=(const HostConnection&) = delete;

    const ObjectRef& application() const { return application_; }
    bool isAttached() const { return application_ != nullptr; }

    // Holds `application` (which may be empty) from now on.
    void attach(ObjectRef application) { application_ = std::move(application); }
    void release() { application_.reset(); }

private:
    ObjectRef application_;
};

}  // namespace sonotag::host
