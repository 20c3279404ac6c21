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
    std::wstring temp = system.ExactTempFolder();
    // An empty folder would make every path name the root of the current drive.
    if (windows.empty() || systemFolder.empty() || temp.empty())
        return kMsgNoFolder;
    // Every path goes to the platform in the ANSI code page, which would name a look-alike
    // ("Lukasz" for "\u0141ukasz"): the short form of such a folder always comes through, where
    // the volume keeps one.
    if (!system.SurvivesCodePage(temp))
        temp = system.ShortForm(temp);
    if (temp.empty() || !system.SurvivesCodePage(temp))
        return kMsgUnshowableFolder;

    const std::wstring package = JoinPath(temp, kPackageFolder);
    const std::wstring dllSource = JoinPath(package, kPageDll);
    const std::wstring uninstallerSource = JoinPath(package, kUninstaller);
    const std::wstring vornexSource = JoinPath(package, kVornexDll);

    if (!system.FileExists(dllSource))
        return kMsgNotFound;

    // A file that a running Explorer holds can neither be deleted nor overwritten; the old
    // one stays, and going on would report success for an install that did not happen.
    // The message follows the cause: no rights, or the old file in use.
    const auto refusal = [&system](const std::wstring& source, const std::wstring& destination,
                                   const wchar_t* folder) {
        const uint32_t error = system.CopyFileTo(source, destination, true);
        if (system.SameContent(source, destination))
            return std::wstring();
        if (error == kErrorAccessDenied)
            return kMsgNeedAdministrator;
        return destination.substr(destination.rfind(L'\\') + 1) + L" could not be copied to the " + folder +
               kMsgCopyAfter;
    };

    const std::wstring dll = JoinPath(systemFolder, kPageDll);
    std::wstring message = refusal(dllSource, dll, L"System");
    if (!message.empty())
        return message;

    if (system.FileExists(uninstallerSource)) {
        const std::wstring uninstaller = JoinPath(windows, kUninstaller);
        message = refusal(uninstallerSource, uninstaller, L"Windows");
        if (!message.empty())
            return message;
        const std::wstring entry = kUninstallEntry.Path();
        if (!system.WriteRegString(kUninstallEntry.root, entry, L"UninstallString", uninstaller))
            return kMsgRegistryFailed;
        if (!system.WriteRegString(kUninstallEntry.root, entry, L"DisplayName", kDisplayName))
            return kMsgRegistryFailed;
    }

    if (system.FileExists(vornexSource)) {
        message = refusal(vornexSource, JoinPath(systemFolder, kVornexDll), L"System");
        if (!message.empty())
            return message;
    }

    for (const InstalledKey& handler : {kFileHandler, kFolderHandler})
        if (!system.WriteRegString(handler.root, handler.Path(), L"", kPageClsid))
            return kMsgInstallFailed;

    const ToolRun run =
        system.RunTool(RegistrationToolPath(systemFolder), RegistrationCommand(dll, false), kToolWaitMs);
    if (run.outcome == ToolRun::Ended && run.exitCode == 0)
        return kMsgComplete;
    return kMsgRegisterError + DescribeToolRun(run);
}

}  // namespace tessaline
