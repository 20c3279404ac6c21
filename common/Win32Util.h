// Small RAII owners and text conversions shared by the Win32 code of all three programs.
#pragma once

#include <windows.h>

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
    void reset(T value = invalid()) {
        if (value_ != invalid())
            Close()(value_);
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

using UniqueFile = UniqueHandle<HANDLE, -1, CloseHandleFn>;      // INVALID_HANDLE_VALUE
using UniqueHandleNull = UniqueHandle<HANDLE, 0, CloseHandleFn>; // processes, threads
using UniqueKey = UniqueHandle<HKEY, 0, RegCloseKeyFn>;
using UniqueLibrary = UniqueHandle<HMODULE, 0, FreeLibraryFn>;

// Wide text <-> the system's ANSI code page. Characters the code page lacks become its
// default character ("?"), never a best-fit look-alike.
std::string ToAnsi(const std::wstring& text);
std::wstring FromAnsi(const char* text, int length = -1);

}  // namespace tessaline
