// Files and emulated streams for the Windows-side tests.
#pragma once

#include <windows.h>

#include <string>

#include "Win32Util.h"

namespace tessaline::testing {

// A new empty folder under the Temp folder. Programs of one run share a prefix, and Wine
// reuses process ids: only a folder this call created is new.
inline std::wstring NewTempFolder(const wchar_t* tag) {
    static int serial = 0;
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    std::wstring folder;
    do
        folder = temp + (tag + (L"-" + std::to_wstring(GetCurrentProcessId()) + L"-" + std::to_wstring(++serial)));
    while (!CreateDirectoryW(folder.c_str(), nullptr) && GetLastError() == ERROR_ALREADY_EXISTS);
    return folder;
}

inline bool WriteBytes(const std::wstring& path, const std::string& bytes) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    return file && (bytes.empty() || WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &written, nullptr));
}

inline bool PathExists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline std::string ReadBytes(const std::wstring& path) {
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    std::string bytes(file ? GetFileSize(file.get(), nullptr) : 0, '\0');
    DWORD read = 0;
    if (!bytes.empty())
        ReadFile(file.get(), &bytes[0], DWORD(bytes.size()), &read, nullptr);
    return bytes.substr(0, read);
}

// The stream "name" of "file", as the emulation keeps it: the sibling file "file:name".
inline std::wstring StreamPath(const std::wstring& file, const std::wstring& name) { return file + L":" + name; }

// A file of the System folder, where the installer puts the DLLs.
inline std::wstring SystemFile(const std::wstring& name) {
    wchar_t folder[MAX_PATH] = {};
    GetSystemDirectoryW(folder, MAX_PATH);
    return std::wstring(folder) + L"\\" + name;
}

// A file of the Windows build tree, found from this program's place in it:
// tests\wine\<group>\program.exe.
inline std::wstring BuiltFile(const std::wstring& relative) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring root = self;
    for (int i = 0; i < 4; ++i)
        root.erase(root.find_last_of(L'\\'));
    return root + L"\\" + relative;
}

// Runs a program and waits for it: its exit code, or -1 when it did not start or end in time.
inline DWORD RunAndWait(const std::wstring& application, std::wstring commandLine, DWORD milliseconds = 60000) {
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    DWORD code = DWORD(-1);
    if (!CreateProcessW(application.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return code;
    if (WaitForSingleObject(process.hProcess, milliseconds) == WAIT_OBJECT_0)
        GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

}  // namespace tessaline::testing
