#include "VolumeQuery.h"

namespace tessaline {

BOOL QueryVolumeInformation(LPSTR label, DWORD labelSize, LPDWORD serial, LPDWORD maxComponent, LPDWORD flags,
                            LPSTR fileSystem, DWORD fileSystemSize) {
    return GetVolumeInformationA(nullptr, label, labelSize, serial, maxComponent, flags, fileSystem, fileSystemSize);
}

}  // namespace tessaline
