// The volume query behind GetFileSystemName, in a unit of its own so that a test build
// can link a stand-in (Wine's C: always answers "NTFS").
#pragma once

#include <windows.h>

namespace tessaline {

// GetVolumeInformationA for the root of the current directory.
BOOL QueryVolumeInformation(LPSTR label, DWORD labelSize, LPDWORD serial, LPDWORD maxComponent, LPDWORD flags,
                            LPSTR fileSystem, DWORD fileSystemSize);

}  // namespace tessaline
