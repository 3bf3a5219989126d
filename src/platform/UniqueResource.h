#pragma once

#include "platform/Win32Api.h"

#include <utility>

namespace platform {

// Owns one system handle and gives it back through the seam when it goes out of scope. It
// moves, never copies, so exactly one owner releases each handle.
template <class Handle, auto Release, Handle (*Invalid)()>
class UniqueResource {
public:
    explicit UniqueResource(Handle handle = Invalid()) : _handle(handle) {}
    ~UniqueResource() { reset(); }

    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;
    UniqueResource(UniqueResource&& other) noexcept : _handle(other.release()) {}
    UniqueResource& operator=(UniqueResource&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }

    Handle get() const { return _handle; }
    bool valid() const { return _handle != Invalid(); }

    // Releases what it held and takes handle instead.
    void reset(Handle handle = Invalid())
    {
        const Handle old = std::exchange(_handle, handle);
        if (old != Invalid())
            Release(old);
    }
    // Gives up ownership without releasing.
    Handle release() { return std::exchange(_handle, Invalid()); }
    // For the out parameter of a call that fills the handle; what was held is released first.
    Handle* put()
    {
        reset();
        return &_handle;
    }

private:
    Handle _handle;
};

inline BOOL closeFind(HANDLE handle)
{
    return win32().FindClose(handle);
}
inline BOOL closeHandle(HANDLE handle)
{
    return win32().CloseHandle(handle);
}
inline HLOCAL freeLocal(HLOCAL block)
{
    return win32().LocalFree(block);
}
inline BOOL destroyIcon(HICON icon)
{
    return win32().DestroyIcon(icon);
}
inline BOOL deleteBitmap(HBITMAP bitmap)
{
    return win32().DeleteObject(bitmap);
}
inline BOOL closeService(SC_HANDLE handle)
{
    return win32().CloseServiceHandle(handle);
}
inline HANDLE invalidHandle()
{
    return INVALID_HANDLE_VALUE;
}
template <class Handle>
Handle null()
{
    return nullptr;
}

using UniqueFindHandle = UniqueResource<HANDLE, closeFind, invalidHandle>;
using UniqueHandle = UniqueResource<HANDLE, closeHandle, null<HANDLE>>;
using UniqueServiceHandle = UniqueResource<SC_HANDLE, closeService, null<SC_HANDLE>>;
// What CreateFile opens: its failure is INVALID_HANDLE_VALUE, not null.
using UniqueFileHandle = UniqueResource<HANDLE, closeHandle, invalidHandle>;
// A block the system allocated for the caller (FormatMessage, CommandLineToArgvW).
using LocalMemory = UniqueResource<HLOCAL, freeLocal, null<HLOCAL>>;
using UniqueIcon = UniqueResource<HICON, destroyIcon, null<HICON>>;
using UniqueBitmap = UniqueResource<HBITMAP, deleteBitmap, null<HBITMAP>>;

// Owns one reference to a COM interface.
template <class Interface>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr() { reset(); }

    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ComPtr(ComPtr&& other) noexcept : _pointer(std::exchange(other._pointer, nullptr)) {}
    ComPtr& operator=(ComPtr&& other) noexcept
    {
        if (this != &other) {
            reset();
            _pointer = std::exchange(other._pointer, nullptr);
        }
        return *this;
    }

    Interface* get() const { return _pointer; }
    Interface* operator->() const { return _pointer; }

    void reset()
    {
        if (Interface* old = std::exchange(_pointer, nullptr))
            old->Release();
    }
    // Hands the reference over to the caller.
    Interface* release() { return std::exchange(_pointer, nullptr); }
    // For the out parameter of the call that fills the pointer; what was held is released first.
    void** put()
    {
        reset();
        return reinterpret_cast<void**>(&_pointer);
    }

private:
    Interface* _pointer = nullptr;
};

} // namespace platform
