#include "VolumeQuery.h"

namespace tessaline {

BOOL QueryVolumeInformation(LPCSTR root, LPSTR label, DWORD labelSize, LPDWORD serial, LPDWORD maxComponent,
                            LPDWORD flags, LPSTR fileSystem, DWORD fileSystemSize) {
    return GetVolumeInformationA(root, label, labelSize, serial, maxComponent, flags, fileSystem, fileSystemSize);
}

}  // namespace tessaline
