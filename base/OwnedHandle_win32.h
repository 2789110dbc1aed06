#pragma once
// One owner for the Win32 handles the program creates: each is released
// exactly once, by the function its kind needs, and cannot be copied into a
// second owner by accident.

#include <windows.h>

#include <utility>

namespace sonotag {

template <class Handle, auto Release, Handle None = Handle{}>
class OwnedHandle {
public:
    OwnedHandle() = default;
    explicit OwnedHandle(Handle handle) : handle_(handle) {}
    OwnedHandle(OwnedHandle&& other) noexcept : handle_(std::exchange(other.handle_, None)) {}
    OwnedHandle& operator=(OwnedHandle&& other) noexcept {
        std::swap(handle_, other.handle_);
        return *this;
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    ~OwnedHandle() {
        if (handle_ != None) Release(handle_);
    }

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != None; }
    // The slot for an out-parameter of a function that allocates.
    Handle* put() {
        *this = OwnedHandle();
        return &handle_;
    }

private:
    Handle handle_ = None;
};

// A kernel object (process, thread, event, mutex, file). A failed
// CreateFileW's INVALID_HANDLE_VALUE is held as no handle, like the null
// that the other creating functions give.
class KernelHandle : public OwnedHandle<HANDLE, &CloseHandle> {
public:
    KernelHandle() = default;
    explicit KernelHandle(HANDLE handle) : OwnedHandle(handle == INVALID_HANDLE_VALUE ? nullptr : handle) {}
};

// Memory the system allocated for the caller with LocalAlloc.
template <class T>
void FreeLocalMemory(T* memory) {
    LocalFree(memory);
}
template <class T>
using LocalMemory = OwnedHandle<T*, &FreeLocalMemory<T>>;

using MenuHandle = OwnedHandle<HMENU, &DestroyMenu>;

}  // namespace sonotag
