// Files, emulated streams, watched programs and registry reads for the Windows-side tests.
#pragma once

#include <windows.h>
#include <shlwapi.h>
#include <tlhelp32.h>

#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

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
    return std::wstring(folder, GetSystemDirectoryW(folder, MAX_PATH)) + L"\\" + name;
}

// A file of the Windows build tree, found from this program's place in it:
// tests\wine\<folder>\program.exe.
inline std::wstring BuiltFile(const std::wstring& relative) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::wstring root = self;
    for (int i = 0; i < 4; ++i)
        root.erase(root.find_last_of(L'\\'));
    return root + L"\\" + relative;
}

// A file beside this program: a target's program finds that target's builds there.
inline std::wstring Beside(const std::wstring& name) {
    wchar_t self[MAX_PATH] = {};
    const std::wstring program(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    return program.substr(0, program.find_last_of(L'\\') + 1) + name;
}

// How a watched program ended: its exit code (STILL_ACTIVE: not within two minutes) and the
// texts of its message boxes and of those of the programs it started.
struct Ended { DWORD code = STILL_ACTIVE; std::vector<std::string> boxes; };

// `root` and the processes it started, and those they started, as far as they still run.
inline std::set<DWORD> ProcessTree(DWORD root) {
    std::set<DWORD> tree = {root};
    std::vector<std::pair<DWORD, DWORD>> parents;  // parent, child
    UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32W entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = snapshot && Process32FirstW(snapshot.get(), &entry); more;
         more = Process32NextW(snapshot.get(), &entry))
        parents.push_back({entry.th32ParentProcessID, entry.th32ProcessID});
    for (size_t size = 0; size != tree.size();) {
        size = tree.size();
        for (const auto& [parent, child] : parents)
            if (tree.count(parent))
                tree.insert(child);
    }
    return tree;
}

// Runs a program and watches its top-level windows, and those of the programs it starts,
// until it ends (another process's new windows send no message here): message boxes are
// read, handed to `atBox` while they are shown, and closed with OK, as a user would; `visit`
// gets each other window (a property sheet too) once.
inline Ended RunWatched(std::wstring command, const std::function<void(HWND)>& visit = nullptr,
                        const std::function<void(HWND)>& atBox = nullptr) {
    Ended run;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return run;
    UniqueHandleNull process(info.hProcess), thread(info.hThread);
    std::set<HWND> seen;
    for (DWORD waited = 0; WaitForSingleObject(process.get(), 50) == WAIT_TIMEOUT; waited += 50) {
        if (waited > 120000)
            TerminateProcess(process.get(), STILL_ACTIVE);  // the wait then ends, with that code
        const std::set<DWORD> watched = ProcessTree(info.dwProcessId);
        for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
            DWORD pid = 0;
            char text[1024] = {};
            GetWindowThreadProcessId(window, &pid);
            if (!watched.count(pid) || !IsWindowVisible(window) || !seen.insert(window).second)
                continue;
            GetClassNameA(window, text, sizeof text);
            if (lstrcmpA(text, "#32770") == 0 && GetDlgItem(window, 0xFFFF) != nullptr) {  // its text
                GetWindowTextA(GetDlgItem(window, 0xFFFF), text, sizeof text);
                run.boxes.push_back(text);
                if (atBox)
                    atBox(window);
                PostMessageA(window, WM_COMMAND, IDOK, 0);
            } else if (visit) {
                visit(window);
            }
        }
    }
    GetExitCodeProcess(process.get(), &run.code);
    return run;
}

inline bool KeyExists(HKEY root, const std::string& key) {
    UniqueKey open;
    return RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, open.put()) == ERROR_SUCCESS;
}

// A value's bytes as stored, a REG_MULTI_SZ's NULs and a REG_DWORD's four bytes included, after
// its type's name ("sz:", "dword:", ...); "" when there is none.
inline std::string ReadRegValue(HKEY root, const std::string& key, const std::string& name) {
    std::string data(64 * 1024, '\0');
    DWORD type = 0, size = DWORD(data.size());
    if (SHGetValueA(root, key.c_str(), name.c_str(), &type, &data[0], &size) != ERROR_SUCCESS)
        return "";
    const char* kind = type == REG_SZ ? "sz:" : type == REG_DWORD ? "dword:" : type == REG_MULTI_SZ ? "multi:" : "?:";
    return kind + data.substr(0, size);
}

// A value's text; "" when there is none.
inline std::string ReadRegText(HKEY root, const std::string& key, const std::string& name) {
    const std::string value = ReadRegValue(root, key, name);
    return value.compare(0, 3, "sz:") == 0 ? value.substr(3, value.find('\0') - 3) : "";
}

}  // namespace tessaline::testing
