// Stand-in for the volume query of a test build of kivsetup: the file-system name is what
// follows the program's name on its command line, "" when nothing does; "/fail" makes the
// query fail. Test builds only: the shipped program reads no arguments.
#include <cstring>

#include "VolumeQuery.h"

namespace tessaline {

BOOL QueryVolumeInformation(LPCSTR, LPSTR, DWORD, LPDWORD, LPDWORD, LPDWORD, LPSTR fileSystem, DWORD fileSystemSize) {
    const char* rest = GetCommandLineA();
    if (*rest == '"') {
        rest = std::strchr(rest + 1, '"');
        rest = rest ? rest + 1 : "";
    } else {
        while (*rest && *rest != ' ')
            ++rest;
    }
    while (*rest == ' ')
        ++rest;
    if (std::strcmp(rest, "/fail") == 0)
        return FALSE;
    lstrcpynA(fileSystem, rest, static_cast<int>(fileSystemSize));
    return TRUE;
}

}  // namespace tessaline
