// Runs a program and watches its top-level windows until it ends: message boxes are read
// and closed with OK, as a user would; any other window goes to the caller, once.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace tessaline::testing {

struct MessageBoxRead {
    std::string title;
    std::string text;
};

struct WatchedOutcome {
    bool ended = false;
    DWORD exitCode = STILL_ACTIVE;
    std::vector<MessageBoxRead> boxes;
    std::vector<HWND> otherWindows;  // visible windows that are no message box, first seen first
};

// Called on the watching thread for each new visible window that is no message box; it
// may drive the window (post to it, send to it) before the watch goes on.
using WindowVisitor = std::function<void(HWND window)>;

WatchedOutcome RunWatched(const std::string& commandLine, const WindowVisitor& visit = nullptr,
                          DWORD timeoutMs = 120000);

std::string TextOf(HWND window);  // WM_GETTEXT, which reaches other processes too

}  // namespace tessaline::testing
