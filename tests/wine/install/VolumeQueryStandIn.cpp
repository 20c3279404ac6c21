#include "VolumeQueryStandIn.h"

#include "VolumeQuery.h"

namespace tessaline {

testing::VolumeAnswer& testing::StandInVolume() {
    static VolumeAnswer answer;
    return answer;
}

BOOL QueryVolumeInformation(LPSTR, DWORD, LPDWORD, LPDWORD, LPDWORD, LPSTR fileSystem, DWORD fileSystemSize) {
    const testing::VolumeAnswer& answer = testing::StandInVolume();
    if (!answer.succeeds)
        return FALSE;
    answer.fileSystem.copy(fileSystem, fileSystemSize);
    return TRUE;
}

}  // namespace tessaline
