// ModInstaller: the install procedure and the two ways the installer ends.
#pragma once

#include <windows.h>

#include <string>

namespace tessaline {

// The window code hands F1 over once it exists; until then QuitInstaller finds no window.
void SetInstallerWindow(HWND window);

// Installs from the package folder and ends the program with the outcome's message.
[[noreturn]] void RunInstall();
// The closing message box, then QuitInstaller.
[[noreturn]] void ShowAndQuit(const std::wstring& message);
// Hides and destroys F1 when there is one, and ends the program.
[[noreturn]] void QuitInstaller();

}  // namespace tessaline
