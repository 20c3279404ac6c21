#include "InstallFlow.h"

namespace tessaline {

std::wstring DescribeToolRun(const ToolRun& run) {
    switch (run.outcome) {
    case ToolRun::NotStarted:
        return L"regsvr32.exe could not be started: " +
               (run.errorText.empty() ? L"error " + std::to_wstring(run.error) + L"." : run.errorText);
    case ToolRun::Ended:
        return L"regsvr32.exe ended with code " + std::to_wstring(run.exitCode) + L".";
    case ToolRun::NoEnd:
        break;
    }
    return L"regsvr32.exe did not end within " + std::to_wstring(kToolWaitMs / 1000) + L" seconds.";
}

std::wstring InstallFlow(InstallSystem& system) {
    const std::wstring windows = system.GetFolderPath(0);
    const std::wstring systemFolder = system.GetFolderPath(1);
    const std::wstring temp = system.GetFolderPath(2);
    // An empty folder would make every path name the root of the current drive.
    if (windows.empty() || systemFolder.empty() || temp.empty())
        return kMsgNoFolder;

    const std::wstring package = JoinPath(temp, kPackageFolder);
    const std::wstring dllSource = JoinPath(package, kPageDll);
    const std::wstring uninstallerSource = JoinPath(package, kUninstaller);
    const std::wstring vornexSource = JoinPath(package, kVornexDll);

    if (!system.FileExists(dllSource))
        return kMsgNotFound;

    // A file that a running Explorer holds can neither be deleted nor overwritten; the old
    // one stays, and going on would report success for an install that did not happen.
    const auto copied = [&system](const std::wstring& source, const std::wstring& destination) {
        system.CopyFileTo(source, destination, true);
        return system.SameContent(source, destination);
    };

    const std::wstring dll = JoinPath(systemFolder, kPageDll);
    if (!copied(dllSource, dll))
        return kMsgNotCopied;

    if (system.FileExists(uninstallerSource)) {
        const std::wstring uninstaller = JoinPath(windows, kUninstaller);
        if (!copied(uninstallerSource, uninstaller))
            return kMsgUninstallerNotCopied;
        if (!system.WriteRegString(RegRoot::LocalMachine, kUninstallKey, L"UninstallString", uninstaller))
            return kMsgRegistryFailed;
        if (!system.WriteRegString(RegRoot::LocalMachine, kUninstallKey, L"DisplayName", kDisplayName))
            return kMsgRegistryFailed;
    }

    if (system.FileExists(vornexSource) && !copied(vornexSource, JoinPath(systemFolder, kVornexDll)))
        return kMsgVornexNotCopied;

    if (!system.WriteRegString(RegRoot::ClassesRoot, kFileHandlerKey, L"", kPageClsid))
        return kMsgInstallFailed;
    if (!system.WriteRegString(RegRoot::ClassesRoot, kFolderHandlerKey, L"", kPageClsid))
        return kMsgInstallFailed;

    const ToolRun run = system.RunTool(RegistrationToolPath(systemFolder), RegistrationCommand(dll, false), kToolWaitMs);
    if (run.outcome == ToolRun::Ended && run.exitCode == 0)
        return kMsgComplete;
    return kMsgRegisterError + DescribeToolRun(run);
}

}  // namespace tessaline
