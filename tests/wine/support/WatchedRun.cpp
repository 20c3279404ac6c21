#include "WatchedRun.h"

#include <set>

#include "Win32Util.h"

namespace tessaline::testing {
namespace {

struct Search {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectVisible(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->pid && IsWindowVisible(window))
        search->found.push_back(window);
    return TRUE;
}

}  // namespace

std::string TextOf(HWND window) {
    char text[8192] = {};
    DWORD_PTR ignored = 0;
    SendMessageTimeoutA(window, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000,
                        &ignored);
    return text;
}

WatchedOutcome RunWatched(const std::string& commandLine, const WindowVisitor& visit, DWORD timeoutMs) {
    WatchedOutcome outcome;
    std::string command = commandLine;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return outcome;
    UniqueHandleNull process(info.hProcess);
    UniqueHandleNull thread(info.hThread);
    // Another process's new windows send no message here: look for them while waiting.
    std::set<HWND> seen;
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(process.get(), 50) == WAIT_TIMEOUT) {
        if (GetTickCount() - start > timeoutMs) {
            TerminateProcess(process.get(), 99);
            WaitForSingleObject(process.get(), 5000);
            return outcome;
        }
        Search search{info.dwProcessId, {}};
        EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&search));
        for (HWND window : search.found) {
            if (!seen.insert(window).second)
                continue;
            char name[16] = {};
            GetClassNameA(window, name, sizeof name);
            if (lstrcmpA(name, "#32770") == 0) {
                outcome.boxes.push_back({TextOf(window), TextOf(GetDlgItem(window, 0xFFFF))});
                PostMessageA(window, WM_COMMAND, IDOK, 0);
                continue;
            }
            outcome.otherWindows.push_back(window);
            if (visit)
                visit(window);
        }
    }
    outcome.ended = true;
    GetExitCodeProcess(process.get(), &outcome.exitCode);
    return outcome;
}

}  // namespace tessaline::testing
