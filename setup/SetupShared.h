// What the install and uninstall flows share: registry roots, paths, and the
// registration tool's command and run.
#pragma once

#include <cstdint>
#include <string>

namespace tessaline {

enum class RegRoot { ClassesRoot, LocalMachine };

// A registry key the installer writes and the uninstaller deletes: `name` below `parent`.
struct InstalledKey {
    RegRoot root;
    const wchar_t* parent;
    const wchar_t* name;
    std::wstring Path() const { return std::wstring(parent) + L"\\" + name; }
};

// The uninstall entry ("UninstallString", "DisplayName"), and the shell's property-sheet
// handler keys for all files and for folders (their default value: Page's class id).
inline constexpr InstalledKey kUninstallEntry = {RegRoot::LocalMachine,
                                                 L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
                                                 L"Tessaline"};
inline constexpr InstalledKey kFileHandler = {RegRoot::ClassesRoot, L"*\\shellex\\PropertySheetHandlers",
                                              L"Tessaline"};
inline constexpr InstalledKey kFolderHandler = {RegRoot::ClassesRoot, L"Folder\\shellex\\PropertySheetHandlers",
                                                L"Tessaline"};
// In the order the uninstaller deletes them.
inline constexpr InstalledKey kInstalledKeys[] = {kFileHandler, kFolderHandler, kUninstallEntry};

// How a run of the registration tool went.
struct ToolRun {
    enum Outcome { NotStarted, Ended, NoEnd };
    Outcome outcome = NotStarted;
    uint32_t exitCode = 0;   // Ended
    uint32_t error = 0;      // NotStarted: the platform's error code
    std::wstring errorText;  // NotStarted: the platform's words for it, when it has some
};

// regsvr32 normally takes well under a second; a run that takes longer than this has hung.
constexpr uint32_t kToolWaitMs = 60000;

inline const std::wstring kPageDll = L"Kivrel3.dll";
inline const std::wstring kVornexDll = L"vornex.dll";

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name);

// regsvr32.exe in the System folder, never found through the search path, where a
// planted copy beside the program would run with the program's rights.
std::wstring RegistrationToolPath(const std::wstring& systemFolder);

// A path in quotation marks where it holds a blank, at which a command line would split it.
std::wstring QuotedIfBlank(const std::wstring& path);

// "regsvr32.exe /s " (and "/u " to unregister) + the DLL path, quoted only when it
// holds a blank.
std::wstring RegistrationCommand(const std::wstring& dllPath, bool unregister);

}  // namespace tessaline
