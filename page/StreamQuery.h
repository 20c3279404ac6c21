// The file system's stream-information query, in a unit of its own so that a test build
// can link a stand-in (Wine has no alternate data streams).
#pragma once

#include <windows.h>

namespace tessaline {

// NtQueryInformationFile(file, ..., buffer, length, FileStreamInformation); answers the
// NTSTATUS, or STATUS_NOT_IMPLEMENTED when ntdll has no such export.
LONG QueryStreamInformation(HANDLE file, void* buffer, ULONG length);

}  // namespace tessaline
