#pragma once

#include "platform/Win32Api.h"

namespace platform {

// Owns one system handle and gives it back through the seam when it goes out of scope.
template <class Handle, auto Release, Handle (*Invalid)()>
class UniqueResource {
public:
    explicit UniqueResource(Handle handle = Invalid()) : _handle(handle) {}
    ~UniqueResource()
    {
        if (_handle != Invalid())
            Release(_handle);
    }

    UniqueResource(const UniqueResource&) = delete;
    UniqueResource& operator=(const UniqueResource&) = delete;

    Handle get() const { return _handle; }
    bool valid() const { return _handle != Invalid(); }

private:
    Handle _handle;
};

inline BOOL closeFind(HANDLE handle) { return win32().FindClose(handle); }
inline BOOL closeHandle(HANDLE handle) { return win32().CloseHandle(handle); }
inline HANDLE invalidHandle() { return INVALID_HANDLE_VALUE; }
inline HANDLE nullHandle() { return nullptr; }
inline HLOCAL freeLocal(HLOCAL block) { return win32().LocalFree(block); }
inline HLOCAL nullLocal() { return nullptr; }

using UniqueFindHandle = UniqueResource<HANDLE, closeFind, invalidHandle>;
using UniqueHandle = UniqueResource<HANDLE, closeHandle, nullHandle>;
// A block the system allocated for the caller (FormatMessageA).
using LocalMemory = UniqueResource<HLOCAL, freeLocal, nullLocal>;

// Owns one reference to a COM interface.
template <class Interface>
class ComPtr {
public:
    ComPtr() = default;
    ~ComPtr()
    {
        if (_pointer)
            _pointer->Release();
    }

    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;

    Interface* get() const { return _pointer; }
    Interface* operator->() const { return _pointer; }
    // For the out parameter of the call that fills the pointer.
    void** out() { return reinterpret_cast<void**>(&_pointer); }

private:
    Interface* _pointer = nullptr;
};

} // namespace platform
