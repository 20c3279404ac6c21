// What a target build takes in place of Wine's answers: what the target's system DLLs report
// of their versions, and the documented rules of the calls that older Windows refuse where
// Wine accepts everything. A target's unit replaces such a call by defining the import slot
// the shipped code calls through; its stand-in answers as the target does and hands
// whatever the target accepts to Wine's own function. So the shipped code runs unchanged.
#pragma once

#include <windows.h>
#include <shlwapi.h>
#include <winternl.h>

#include <cstring>
#include <cwchar>
#include <type_traits>

// Defines the import slot of `function` (whose arguments take `argumentBytes` on the stack)
// as `standIn`, which must have the declared type of `function`.
#define TESSALINE_REPLACE_IMPORT(function, argumentBytes, standIn)                                    \
    static_assert(std::is_same_v<decltype(&standIn), decltype(&function)>, #standIn " is no " #function); \
    extern void* const function##Import asm("__imp__" #function "@" #argumentBytes);                  \
    void* const function##Import = reinterpret_cast<void*>(&standIn)

extern "C" NTSTATUS NTAPI LdrGetProcedureAddress(HMODULE module, PANSI_STRING name, ULONG ordinal, PVOID* address);

namespace tessaline::targets {

// A target Windows as its system DLLs report it.
struct TargetSystem {
    OSVERSIONINFOA version;  // as GetVersionExA fills it
    DLLVERSIONINFO shell32;  // as its DllGetVersion fills it; cbSize 0: it exports none
    DLLVERSIONINFO comctl32;
};
extern const TargetSystem kTarget;  // defined by the target's unit

// GetProcAddress as Wine answers it, past any stand-in in this module's import slot.
inline FARPROC WineProcAddress(HMODULE module, LPCSTR name) {
    ANSI_STRING text = {};
    const bool byName = (reinterpret_cast<ULONG_PTR>(name) >> 16) != 0;
    if (byName) {
        text.Length = USHORT(std::strlen(name));
        text.MaximumLength = USHORT(text.Length + 1);
        text.Buffer = const_cast<PCHAR>(name);
    }
    PVOID address = nullptr;
    const ULONG ordinal = byName ? 0 : ULONG(ULONG_PTR(name));
    if (LdrGetProcedureAddress(module, byName ? &text : nullptr, ordinal, &address) != 0) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<FARPROC>(address);
}

template <class Function>
Function WineFunction(const char* module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(WineProcAddress(GetModuleHandleA(module), name)));
}

// The target's answers to DllGetVersion, for a DLL that has one.
template <const DLLVERSIONINFO TargetSystem::*dll>
HRESULT CALLBACK TargetDllGetVersion(DLLVERSIONINFO* info) {
    if (info == nullptr || info->cbSize < sizeof(DLLVERSIONINFO))
        return E_INVALIDARG;
    const DWORD size = info->cbSize;
    *info = kTarget.*dll;
    info->cbSize = size;
    return S_OK;
}

inline bool IsModule(HMODULE module, const wchar_t* name) {
    return module != nullptr && module == GetModuleHandleW(name);
}

template <const DLLVERSIONINFO TargetSystem::*dll>
FARPROC VersionOf() {
    return reinterpret_cast<FARPROC>(reinterpret_cast<void*>(&TargetDllGetVersion<dll>));
}

// No target before Vista has kernel32's GetLocaleInfoEx; shell32 and comctl32 export
// DllGetVersion where the target's do, and answer its versions.
inline FARPROC WINAPI TargetGetProcAddress(HMODULE module, LPCSTR name) {
    const bool byName = (reinterpret_cast<ULONG_PTR>(name) >> 16) != 0;
    const bool version = byName && std::strcmp(name, "DllGetVersion") == 0;
    const bool shell32 = version && IsModule(module, L"shell32.dll");
    const bool comctl32 = version && IsModule(module, L"comctl32.dll");
    if ((byName && IsModule(module, L"kernel32.dll") && std::strcmp(name, "GetLocaleInfoEx") == 0) ||
        (shell32 && kTarget.shell32.cbSize == 0) || (comctl32 && kTarget.comctl32.cbSize == 0)) {
        SetLastError(ERROR_PROC_NOT_FOUND);
        return nullptr;
    }
    return shell32 ? VersionOf<&TargetSystem::shell32>() : comctl32 ? VersionOf<&TargetSystem::comctl32>()
                                                                     : WineProcAddress(module, name);
}

// The target's version record, in either of the sizes its GetVersionExA takes.
inline BOOL WINAPI TargetGetVersionExA(LPOSVERSIONINFOA info) {
    const DWORD size = info != nullptr ? info->dwOSVersionInfoSize : 0;
    if (size != sizeof(OSVERSIONINFOA) && size != sizeof(OSVERSIONINFOEXA)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    std::memset(info, 0, size);
    std::memcpy(info, &kTarget.version, sizeof(OSVERSIONINFOA));
    info->dwOSVersionInfoSize = size;
    return TRUE;
}

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

// Every target build takes the target's versions.
#define TESSALINE_TARGET_VERSIONS                                                  \
    TESSALINE_REPLACE_IMPORT(GetVersionExA, 4, tessaline::targets::TargetGetVersionExA); \
    TESSALINE_REPLACE_IMPORT(GetProcAddress, 8, tessaline::targets::TargetGetProcAddress)
