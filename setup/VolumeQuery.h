// The volume query behind GetFileSystemName, in a unit of its own so that a test build
// can link a stand-in (Wine's C: always answers "NTFS").
#pragma once

#include <windows.h>

namespace tessaline {

// GetVolumeInformationA for the volume with the given root ("C:\", "\\server\share\").
BOOL QueryVolumeInformation(LPCSTR root, LPSTR label, DWORD labelSize, LPDWORD serial, LPDWORD maxComponent,
                            LPDWORD flags, LPSTR fileSystem, DWORD fileSystemSize);

}  // namespace tessaline
