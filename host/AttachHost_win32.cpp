#include "host/AttachHost_win32.h"

#include <windows.h>

#include <ole2.h>

#include "base/WideText_win32.h"
#include "host/ComObject_win32.h"

namespace sonotag::host {
namespace {

// In-process server, in-process handler or local server, as the host is installed.
constexpr DWORD kAnyServerContext = CLSCTX_INPROC_SERVER | CLSCTX_INPROC_HANDLER | CLSCTX_LOCAL_SERVER;

}  // namespace

ObjectRef AttachHost(const std::u16string& progId, ObjectRef current) {
    CLSID classId{};
    if (FAILED(CLSIDFromProgID(Wide(progId.c_str()), &classId))) return current;
    current.reset();

    ComRef<IUnknown> instance;
    if (FAILED(CoCreateInstance(classId, nullptr, kAnyServerContext, IID_IUnknown, instance.putVoid()))) return nullptr;
    if (FAILED(OleRun(instance.get()))) return nullptr;
    ComRef<IDispatch> application;
    QueryInterface(instance.get(), IID_IDispatch, application);
    return WrapDispatch(std::move(application));
}

OleApartment::OleApartment() : initialised_(SUCCEEDED(OleInitialize(nullptr))) {}

OleApartment::~OleApartment() {
    if (initialised_) OleUninitialize();
}

}  // namespace sonotag::host
