// What the install and uninstall flows share: registry roots, paths, and the
// registration tool's command and run.
#pragma once

#include <cstdint>
#include <string>

namespace tessaline {

enum class RegRoot { ClassesRoot, LocalMachine };

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

// "regsvr32.exe /s " (and "/u " to unregister) + the DLL path, quoted only when it
// holds a blank.
std::wstring RegistrationCommand(const std::wstring& dllPath, bool unregister);

}  // namespace tessaline
