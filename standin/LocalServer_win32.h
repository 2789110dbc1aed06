#pragma once
// A COM local server on this thread: registers one class object for each
// class id (REGCLS_MULTIPLEUSE, so every client reaches the same
// application object and shares its state) and runs the thread's message
// loop, which delivers the clients' calls, until it is told to stop.
//
// It stops when its hidden window (class kWindowClass, a message-only
// window) receives WM_CLOSE, as an application closes; and, when COM
// started it, once its last client has gone, or when no client came within
// a minute. The class objects are revoked before it returns.

#include <windows.h>

#include <span>

#include "host/HostObject.h"

namespace sonotag::standin {

inline constexpr wchar_t kWindowClass[] = L"SonotagStandInHost";

// The stand-in's application classes, registered for the test set-up under
// the ProgIDs "InDesign.Application.CS3" and "InDesign.Application.CS4".
inline constexpr CLSID kApplicationClassIdCS3 = {
    0xd348c714, 0x63c5, 0x402a, {0xb4, 0xcf, 0x92, 0x89, 0xb7, 0x68, 0xd9, 0xc7}};
inline constexpr CLSID kApplicationClassIdCS4 = {
    0x1fc6b073, 0xbc41, 0x44d1, {0x88, 0x4c, 0xa5, 0x59, 0x24, 0xe3, 0xd8, 0x14}};

// Owned by the running stand-in host for its whole life: a second one stops
// at once, and a waiter learns from it when the host has ended.
inline constexpr wchar_t kInstanceMutexName[] = L"Local\\SonotagStandInHost";
// Set by the stand-in host once clients can reach it, when someone made it.
inline constexpr wchar_t kReadyEventName[] = L"Local\\SonotagStandInHost.Ready";

struct LocalServerOptions {
    bool startedByCom = false;
    // Set once the class objects are registered (may be null).
    HANDLE readyEvent = nullptr;
};

// Serves `application` until it stops; returns 0, or the failing HRESULT
// when a class object could not be registered. COM must be initialised on
// this thread as a single-threaded apartment.
HRESULT RunLocalServer(const host::ObjectRef& application, std::span<const CLSID> classIds,
                       const LocalServerOptions& options);

}  // namespace sonotag::standin
