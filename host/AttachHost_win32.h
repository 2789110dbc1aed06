#pragma once
// Attaching the host connection to the application object of a COM class
// named by its ProgID, and the COM apartment the attachment lives in.

#include <string>

#include "host/HostConnection.h"

namespace sonotag::host {

// Looks the class up by ProgID and attaches `connection` to a running
// instance of it, created or found by COM. When the ProgID is unknown the
// connection keeps what it held; when the object cannot be created or run,
// or refuses IDispatch, the connection is left empty. Nothing is reported
// and nothing is thrown.
void AttachHost(const std::u16string& progId, HostConnection& connection);

// OLE initialised on this thread as a single-threaded apartment for the
// object's lifetime. Host objects made on the thread must be released
// before it goes.
class OleApartment {
public:
    OleApartment();
    OleApartment(const OleApartment&) = delete;
    OleApartment& operator=(const OleApartment&) = delete;
    ~OleApartment();

    // False when OLE could not be initialised (no host can be attached then).
    bool isInitialised() const { return initialised_; }

private:
    bool initialised_;
};

}  // namespace sonotag::host
