// What the installer-side tests share: the package folder, the installed state read back,
// how a watched program ended, and a program's version record.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "WatchedRun.h"

namespace tessaline::testing {

// Where an install puts things in this prefix, as the programs name them.
struct InstallPaths {
    std::string package;  // %TEMP%\kvz31
    std::string dll, vornex, uninstaller;
};
const InstallPaths& Paths();

// The package folder holding the built Kivrel3.dll, kivremove.exe and vornex.dll.
void MakePackage();
void RemovePackage();

// The three files hold the built bytes and are neither read-only nor hidden, the four
// values are written and the page DLL registered its class.
void ExpectEverythingInstalled();
// No file and no key of Tessaline's; kivremove.exe does not delete itself, so it may stay.
void ExpectNothingInstalled(bool uninstallerStays = false);

// Ended by itself with code 0, after `windows` visible windows that are no message box.
void ExpectSilentEnd(const WatchedOutcome& run, size_t windows = 0);
// As ExpectSilentEnd, but closed by exactly one message of the installer's with this text.
void ExpectClosingMessage(const WatchedOutcome& run, const std::string& text, size_t windows = 0);

struct VersionRecord {
    std::string fixed;        // "file 1.9.0.501, product 1.9.0.501"
    std::string translation;  // "0409 04B0"
    std::map<std::string, std::string> strings;  // the usual names found in that block
};
VersionRecord ReadVersionRecord(const std::wstring& file);

}  // namespace tessaline::testing
