#include "VolumeQueryStandIn.h"

#include "VolumeQuery.h"

namespace tessaline {

testing::VolumeAnswer& testing::StandInVolume() {
    static VolumeAnswer answer;
    return answer;
}

std::string& testing::AskedRoot() {
    static std::string root;
    return root;
}

BOOL QueryVolumeInformation(LPCSTR root, LPSTR, DWORD, LPDWORD, LPDWORD, LPDWORD, LPSTR fileSystem,
                            DWORD fileSystemSize) {
    testing::AskedRoot() = root ? root : "(null)";
    const testing::VolumeAnswer& answer = testing::StandInVolume();
    if (!answer.succeeds)
        return FALSE;
    answer.fileSystem.copy(fileSystem, fileSystemSize);
    return TRUE;
}

}  // namespace tessaline
