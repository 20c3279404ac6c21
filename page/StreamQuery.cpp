#include "StreamQuery.h"

#include <winternl.h>

// Through the import slot, as every other system call: winternl.h declares it without dllimport.
extern "C" __declspec(dllimport) NTSTATUS NTAPI NtQueryInformationFile(HANDLE, PIO_STATUS_BLOCK, PVOID, ULONG,
                                                                       FILE_INFORMATION_CLASS);

namespace tessaline {

static_assert(FileStreamInformation == 22, "the stream information class");

LONG QueryStreamInformation(HANDLE file, void* buffer, ULONG length) {
    IO_STATUS_BLOCK io = {};
    return NtQueryInformationFile(file, &io, buffer, length, FileStreamInformation);
}

}  // namespace tessaline
