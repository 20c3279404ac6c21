// Small RAII owners and text conversions shared by the Win32 code of all three programs.
#pragma once

#include <windows.h>
#include <objidl.h>
#include <oleauto.h>

#include <string>
#include <utility>

namespace tessaline {

// Owner of a handle whose invalid value is Invalid and which Close releases.
template <class T, INT_PTR Invalid, class Close>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(T value) : value_(value) {}
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    UniqueHandle(UniqueHandle&& other) noexcept : value_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept { reset(other.release()); return *this; }
    ~UniqueHandle() { reset(); }

    T get() const { return value_; }
    explicit operator bool() const { return value_ != invalid(); }
    T release() { return std::exchange(value_, invalid()); }
    // Keeps the last error, so that a failed call's GetLastError survives the cleanup.
    void reset(T value = invalid()) {
        if (value_ != invalid()) {
            const DWORD error = GetLastError();
            Close()(value_);
            SetLastError(error);
        }
        value_ = value;
    }
    T* put() { reset(); return &value_; }

private:
    static T invalid() { return reinterpret_cast<T>(Invalid); }
    T value_ = invalid();
};

struct CloseHandleFn { void operator()(HANDLE h) const { ::CloseHandle(h); } };
struct RegCloseKeyFn { void operator()(HKEY k) const { ::RegCloseKey(k); } };
struct FreeLibraryFn { void operator()(HMODULE m) const { ::FreeLibrary(m); } };
struct SysFreeStringFn { void operator()(BSTR b) const { ::SysFreeString(b); } };
struct GlobalFreeFn { void operator()(HGLOBAL g) const { ::GlobalFree(g); } };

using UniqueFile = UniqueHandle<HANDLE, -1, CloseHandleFn>;      // INVALID_HANDLE_VALUE
using UniqueHandleNull = UniqueHandle<HANDLE, 0, CloseHandleFn>; // processes, threads
using UniqueKey = UniqueHandle<HKEY, 0, RegCloseKeyFn>;
using UniqueLibrary = UniqueHandle<HMODULE, 0, FreeLibraryFn>;
using UniqueBstr = UniqueHandle<BSTR, 0, SysFreeStringFn>;
using UniqueHGlobal = UniqueHandle<HGLOBAL, 0, GlobalFreeFn>;

// A global memory block's lock, given back at the end of the scope; get() is null when
// the block could not be locked.
class UniqueGlobalLock {
public:
    explicit UniqueGlobalLock(HGLOBAL block) : block_(block), data_(GlobalLock(block)) {}
    UniqueGlobalLock(const UniqueGlobalLock&) = delete;
    UniqueGlobalLock& operator=(const UniqueGlobalLock&) = delete;
    ~UniqueGlobalLock() {
        if (data_ != nullptr)
            GlobalUnlock(block_);
    }
    void* get() const { return data_; }

private:
    HGLOBAL block_;
    void* data_;
};

// One counted reference to a COM object.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() { reset(); }

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    explicit operator bool() const { return p_ != nullptr; }
    // Takes over a reference already counted for us.
    void attach(T* p) { reset(); p_ = p; }
    T* detach() { return std::exchange(p_, nullptr); }
    void reset() {
        if (T* p = std::exchange(p_, nullptr))
            p->Release();
    }
    T** put() { reset(); return &p_; }
    void** put_void() { return reinterpret_cast<void**>(put()); }

private:
    T* p_ = nullptr;
};

// A storage medium from IDataObject::GetData, released however the reader ends; an
// all-zero medium (GetData failed) releases nothing.
class UniqueStgMedium {
public:
    UniqueStgMedium() = default;
    UniqueStgMedium(const UniqueStgMedium&) = delete;
    UniqueStgMedium& operator=(const UniqueStgMedium&) = delete;
    ~UniqueStgMedium() { ReleaseStgMedium(&medium_); }
    const STGMEDIUM& get() const { return medium_; }
    STGMEDIUM* put() { ReleaseStgMedium(&medium_); medium_ = STGMEDIUM(); return &medium_; }

private:
    STGMEDIUM medium_ = {};
};

// Wide text <-> the system's ANSI code page. Characters the code page lacks become its
// default character ("?"), never a best-fit look-alike.
std::string ToAnsi(const std::wstring& text);
std::wstring FromAnsi(const char* text, int length = -1);

}  // namespace tessaline
