#include "UninstallFlow.h"

namespace tessaline {

void UninstallFlow(UninstallSystem& system) {
    // Without the System folder every path would name the root of the current drive:
    // start nothing and delete no file there, but the keys can still go.
    const std::wstring systemFolder = system.GetFolderPath(1);
    const bool haveSystem = !systemFolder.empty();
    const std::wstring dll = JoinPath(systemFolder, kPageDll);

    // Awaited, so that the tool has loaded and unregistered the DLL before it is deleted;
    // its outcome changes nothing that follows.
    if (haveSystem)
        system.RunTool(RegistrationToolPath(systemFolder), RegistrationCommand(dll, true), kToolWaitMs);

    for (const RemovedKey& key : kRemovedKeys)
        system.DeleteRegKey(key.root, key.parent, key.subKey);

    if (haveSystem) {
        system.DeleteFileForced(dll);
        system.DeleteFileForced(JoinPath(systemFolder, kVornexDll));
    }
}

}  // namespace tessaline
