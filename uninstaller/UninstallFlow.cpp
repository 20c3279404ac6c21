#include "UninstallFlow.h"

namespace tessaline {

void UninstallFlow(UninstallSystem& system) {
    // Without the System folder every path would name the root of the current drive, and
    // the DLL could not be unregistered: removing the keys then would leave it registered
    // with no uninstall entry to run again. So nothing is touched.
    const std::wstring systemFolder = system.GetFolderPath(1);
    if (systemFolder.empty())
        return;
    const std::wstring dll = JoinPath(systemFolder, kPageDll);

    // Awaited, so that the tool has loaded and unregistered the DLL before it is deleted;
    // its outcome changes nothing that follows.
    system.RunTool(RegistrationToolPath(systemFolder), RegistrationCommand(dll, true), kToolWaitMs);

    for (const InstalledKey& key : kInstalledKeys)
        system.DeleteRegKey(key.root, key.parent, key.name);

    // Explorer keeps both DLLs loaded from the first Streams page it showed until it ends, and
    // Windows deletes no loaded DLL: without the deletion at restart they would stay for good,
    // with no entry left to try again.
    for (const std::wstring& file : {dll, JoinPath(systemFolder, kVornexDll)})
        if (!system.DeleteFileForced(file))
            system.DeleteAtRestart(file);
}

}  // namespace tessaline
