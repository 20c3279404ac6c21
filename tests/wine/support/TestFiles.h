// Files and emulated streams for the Windows-side tests.
#pragma once

#include <windows.h>

#include <string>

namespace tessaline::testing {

// A new empty folder under the Temp folder, unique to this process and call.
std::wstring NewTempFolder(const wchar_t* tag);

bool WriteBytes(const std::wstring& path, const std::string& bytes);
bool PathExists(const std::wstring& path);
std::string ReadBytes(const std::wstring& path);

// The stream "name" of "file", as the emulation keeps it: the sibling file "file:name".
inline std::wstring StreamPath(const std::wstring& file, const std::wstring& name) { return file + L":" + name; }

// A file of the System folder (which is where the installer puts the DLLs).
std::wstring SystemFile(const std::wstring& name);

// A file of the Windows build tree, found from this program's own place in it
// (tests\wine\<group>\program.exe).
std::wstring BuiltFile(const std::wstring& relative);

// Runs a program and waits for it; answers its exit code, or -1 when it did not start or
// end within the time.
DWORD RunAndWait(const std::wstring& application, const std::wstring& commandLine, DWORD milliseconds = 60000);

}  // namespace tessaline::testing
