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

void AttachHost(const std::u16string& progId, HostConnection& connection) {
    CLSID classId{};
    if (FAILED(CLSIDFromProgID(Wide(progId.c_str()), &classId))) return;
    connection.release();

    ComRef<IUnknown> instance;
    if (FAILED(CoCreateInstance(classId, nullptr, kAnyServerContext, IID_IUnknown, instance.putVoid()))) return;
    if (FAILED(OleRun(instance.get()))) return;
    ComRef<IDispatch> application;
    QueryInterface(instance.get(), IID_IDispatch, application);
    connection.attach(WrapDispatch(std::move(application)));
}

OleApartment::OleApartment() : initialised_(SUCCEEDED(OleInitialize(nullptr))) {}

OleApartment::~OleApartment() {
    if (initialised_) OleUninitialize();
}

}  // namespace sonotag::host
