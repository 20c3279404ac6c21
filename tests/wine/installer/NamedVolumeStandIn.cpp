// Stand-in for the volume query of a test build of kivsetup: the volume that holds the
// Windows folder has the file system named after the program's name on its command line;
// any other volume cannot be queried. Test builds only: the shipped program reads no arguments.
#include <cstring>

#include "VolumeQuery.h"

namespace tessaline {

BOOL QueryVolumeInformation(LPCSTR root, LPSTR, DWORD, LPDWORD, LPDWORD, LPDWORD, LPSTR name, DWORD size) {
    char windows[MAX_PATH] = {};
    GetWindowsDirectoryA(windows, MAX_PATH);
    if (!root || std::strlen(root) != 3 || CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, root, 3, windows, 3) != 2)
        return FALSE;
    const char* rest = GetCommandLineA();
    rest = *rest == '"' ? std::strchr(rest + 1, '"') + 1 : rest + std::strcspn(rest, " ");
    lstrcpynA(name, rest + std::strspn(rest, " "), static_cast<int>(size));
    return TRUE;
}

}  // namespace tessaline
