// Module-wide state of the in-process server.
#pragma once

#include <windows.h>

#include <string>

namespace tessaline {

extern HINSTANCE g_module;  // holds the dialog template and the type library

// Every live object of the server holds the module; DllCanUnloadNow reads the count.
void LockModule();
void UnlockModule();

// The full path of a module (this DLL: g_module), whole or not at all.
HRESULT ModulePath(HMODULE module, std::string& path);

}  // namespace tessaline
