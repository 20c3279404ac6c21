// The file system's stream-information query. It goes through ntdll's import slot, which a
// test build fills with a stand-in (Wine has no alternate data streams).
#pragma once

#include <windows.h>

namespace tessaline {

// NtQueryInformationFile(file, ..., buffer, length, FileStreamInformation); answers the NTSTATUS.
LONG QueryStreamInformation(HANDLE file, void* buffer, ULONG length);

}  // namespace tessaline
