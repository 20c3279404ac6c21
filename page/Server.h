// Module-wide state of the in-process server.
#pragma once

#include <windows.h>

namespace tessaline {

extern HINSTANCE g_module;  // holds the dialog template and the type library

// Every live object of the server holds the module; DllCanUnloadNow reads the count.
void LockModule();
void UnlockModule();

}  // namespace tessaline
