// What the installer-side tests share: the package and where an install puts it, the
// keys it writes, the installed state read back, and how a watched program ended.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "WatchedRun.h"

namespace tessaline::testing {

// Where an install puts things in this prefix, as the programs name them.
struct InstallPaths {
    std::string package;  // %TEMP%\kvz31
    std::string dll, vornex, uninstaller;
};
const InstallPaths& Paths();

// The package folder holding the built Kivrel3.dll (the shipped one, or the given build of
// it), kivremove.exe and vornex.dll; false when a file could not be put there.
bool MakePackageWith(const wchar_t* pageDll);
inline void MakePackage() { MakePackageWith(L"page\\Kivrel3.dll"); }

// The test build that reports Windows XP, through F1 as a user installs: accept, Install;
// `meanwhile` then sees F1 while the install runs.
WatchedOutcome InstallThroughF1(const std::function<void(HWND)>& meanwhile = nullptr);
// No package, no installed file, no key of Tessaline's: the prefix as before any install.
void RemoveEverything();

// What of Tessaline's is there, in the order "Kivrel3.dll, vornex.dll, kivremove.exe,
// entry, file handler, folder handler, class" (the page class registered); "" for nothing.
std::string InstalledState();
inline const char kEverything[] =
    "Kivrel3.dll, vornex.dll, kivremove.exe, entry, file handler, folder handler, class";
// Everything there: the files with the built bytes, the name in the list of programs, the
// handlers naming the page class, and that class served from the installed DLL.
void ExpectEverythingInstalled();

// Ended by itself with code 0, after `windows` visible windows that are no message box,
// closed by exactly one message of the installer's with this text ("": by none).
void ExpectEnd(const WatchedOutcome& run, const std::string& message, size_t windows = 0);

}  // namespace tessaline::testing
