#pragma once
// Attaching to the host: the application object of a COM class named by
// its ProgID, and the COM apartment the attachment lives in.
//
// The application object is the connection: every other host object is
// reached from it. Its owner releases it, and every host object reached
// from it, before the apartment goes.

#include <string>

#include "host/HostObject.h"

namespace sonotag::host {

// The application object of a running instance of the class the ProgID
// names, created or found by COM. When the ProgID is unknown, `current`
// comes back as it was; otherwise it is released before anything is made
// (one application at a time), and the result is empty when the object
// cannot be created or run, or refuses IDispatch. Nothing is reported and
// nothing is thrown.
ObjectRef AttachHost(const std::u16string& progId, ObjectRef current);

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
