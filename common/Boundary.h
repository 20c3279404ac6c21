// Where our code is called by the shell, the property sheet or the window manager, no C++
// exception may leave: their frames cannot unwind it and the host (Explorer, or the
// installer's own loop) would end. Out of memory is the one exception our code raises.
#pragma once

#include <windows.h>

#include <new>

namespace tessaline {

// For a COM method or export: out of memory becomes E_OUTOFMEMORY.
template <class Body>
HRESULT ComBoundary(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_UNEXPECTED;
    }
}

// For a window, dialog or page-callback procedure: what failed is left undone.
template <class Body>
void WindowBoundary(Body&& body) noexcept {
    try {
        body();
    } catch (...) {
    }
}

// For a window procedure's answer: what failed answers `failed`.
template <class Body>
LRESULT WindowBoundary(LRESULT failed, Body&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return failed;
    }
}

}  // namespace tessaline
