// Starting the registration tool hidden and waiting a bounded time for its end.
#pragma once

#include <windows.h>

#include <string>

#include "SetupShared.h"

namespace tessaline {

// Waits at most waitMs for a process to end; true when it did.
using ProcessWait = bool (*)(HANDLE process, DWORD waitMs);
bool WaitBlocking(HANDLE process, DWORD waitMs);

ToolRun RunHidden(const std::wstring& application, const std::wstring& commandLine, uint32_t waitMs,
                  ProcessWait wait = WaitBlocking);

}  // namespace tessaline
