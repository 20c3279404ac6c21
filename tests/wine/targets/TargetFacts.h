// What a target build takes in place of Wine's answers: the version facts the shipped code
// reads, and the documented rules of the calls that older Windows refuse where Wine accepts
// everything. A target's unit replaces such a call by defining the import slot the shipped
// code calls through; its stand-in applies the target's rule and hands whatever the target
// accepts to Wine's own function.
#pragma once

#include <windows.h>

#include <cwchar>
#include <type_traits>

#include "CVista.h"

// Defines the import slot of `function` (whose arguments take `argumentBytes` on the stack)
// as `standIn`, which must have the declared type of `function`.
#define TESSALINE_REPLACE_IMPORT(function, argumentBytes, standIn)                                    \
    static_assert(std::is_same_v<decltype(&standIn), decltype(&function)>, #standIn " is no " #function); \
    extern void* const function##Import asm("__imp__" #function "@" #argumentBytes);                  \
    void* const function##Import = reinterpret_cast<void*>(&standIn)

namespace tessaline::targets {

template <class Function>
Function WineFunction(const char* module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA(module), name)));
}

// A target's answers to CVista's questions. No target before Vista has GetLocaleInfoEx.
struct TargetVersion final : VistaPlatform {
    // `shell`: shell32's DllGetVersion answer; nullptr when shell32 has no DllGetVersion.
    TargetVersion(OsVersionFacts os, const ShellVersionFacts* shell) : os(os), shell(shell) {}
    OsVersionFacts GetVersion() override { return os; }
    bool Kernel32ExportsGetLocaleInfoEx() override { return false; }
    bool Shell32ExportsDllGetVersion() override { return shell != nullptr; }
    ShellVersionFacts CallShell32DllGetVersion() override { return *shell; }
    OsVersionFacts os;
    const ShellVersionFacts* shell;
};

// NT4, 2000 and XP refuse a path of MAX_PATH characters or more that is not in the "\\?\" form.
inline HANDLE WINAPI CreateFileWWithPathLimit(LPCWSTR path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                              DWORD disposition, DWORD flags, HANDLE templateFile) {
    if (path != nullptr && std::wcslen(path) >= MAX_PATH && std::wcsncmp(path, L"\\\\?\\", 4) != 0) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    static const auto wine = WineFunction<decltype(&CreateFileW)>("kernel32.dll", "CreateFileW");
    return wine(path, access, share, security, disposition, flags, templateFile);
}

// Windows 2000 and NT4: QS_RAWINPUT (0x400) came with XP, and a wake mask above 0xFF is refused.
inline DWORD WINAPI MsgWaitForMultipleObjectsBeforeXp(DWORD count, const HANDLE* handles, WINBOOL all, DWORD ms,
                                                      DWORD mask) {
    if ((mask & ~DWORD(0xFF)) != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    static const auto wine =
        WineFunction<decltype(&MsgWaitForMultipleObjects)>("user32.dll", "MsgWaitForMultipleObjects");
    return wine(count, handles, all, ms, mask);
}

}  // namespace tessaline::targets
