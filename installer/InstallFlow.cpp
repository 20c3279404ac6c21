#include "InstallFlow.h"

#include <vector>

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

std::wstring InstallFlow(InstallSystem& system, const PackageDigests& digests) {
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
    const std::wstring dll = JoinPath(systemFolder, kPageDll);
    const std::wstring uninstaller = JoinPath(windows, kUninstaller);
    const std::wstring vornex = JoinPath(systemFolder, kVornexDll);

    // The whole product or nothing: without kivremove.exe it could never be removed, and
    // without a vornex.dll the page is never shown.
    if (!system.FileExists(dllSource))
        return kMsgNotFound;
    if (!system.FileExists(uninstallerSource))
        return MsgFileNotFound(kUninstaller);
    const bool vornexInPackage = system.FileExists(vornexSource);
    if (!vornexInPackage && !system.FileExists(vornex))
        return MsgFileNotFound(kVornexDll);

    // What this run copied, taken back when a later step fails: no files without the keys
    // that use them and the entry that removes them.
    std::vector<std::wstring> copied;
    const auto takeBack = [&] {
        for (auto file = copied.rbegin(); file != copied.rend(); ++file)
            system.DeleteFileForced(*file);
        copied.clear();
    };
    // The package folder may be writable by anyone (NT4's C:\TEMP) and a file in it swapped
    // at any time: what counts is the copy, in a folder only administrators write, checked
    // against the digest built into this program. A copy that a running Explorer holds can
    // neither be deleted nor overwritten, and the message follows the cause.
    const auto install = [&](const std::wstring& source, const std::wstring& destination, const wchar_t* folder,
                             const Sha256Digest& expected) {
        const std::wstring name = destination.substr(destination.rfind(L'\\') + 1);
        const uint32_t error = system.CopyFileTo(source, destination, true);
        if (error == kErrorAccessDenied)
            return kMsgNeedAdministrator;
        if (error != 0)
            return name + L" could not be copied to the " + folder + kMsgCopyAfter;
        copied.push_back(destination);
        Sha256Digest digest;
        if (system.Digest(destination, digest) && digest == expected)
            return std::wstring();
        takeBack();
        return kMsgDamaged + name + kMsgDamagedAfter;
    };

    std::wstring message = install(dllSource, dll, L"System", digests.pageDll);
    if (message.empty())
        message = install(uninstallerSource, uninstaller, L"Windows", digests.uninstaller);
    if (message.empty() && vornexInPackage)
        message = install(vornexSource, vornex, L"System", digests.vornex);
    if (!message.empty())
        return message;

    // The entry as Add/Remove Programs reads it on 2000 and XP: no Change or Repair, which
    // would only uninstall; the uninstaller quoted where a blank would split its path.
    const RegRoot root = kUninstallEntry.root;
    const std::wstring entry = kUninstallEntry.Path();
    const bool entryWritten = system.WriteRegString(root, entry, L"UninstallString", QuotedIfBlank(uninstaller)) &&
                              system.WriteRegString(root, entry, L"DisplayName", kDisplayName) &&
                              system.WriteRegString(root, entry, L"DisplayIcon", uninstaller) &&
                              system.WriteRegString(root, entry, L"DisplayVersion", kDisplayVersion) &&
                              system.WriteRegString(root, entry, L"Publisher", kPublisher) &&
                              system.WriteRegDword(root, entry, L"NoModify", 1) &&
                              system.WriteRegDword(root, entry, L"NoRepair", 1);
    if (!entryWritten) {
        system.DeleteRegKey(root, kUninstallEntry.parent, kUninstallEntry.name);  // what was written of it
        takeBack();
        return kMsgRegistryFailed;
    }

    for (const InstalledKey& handler : {kFileHandler, kFolderHandler})
        if (!system.WriteRegString(handler.root, handler.Path(), L"", kPageClsid)) {
            for (const InstalledKey& key : kInstalledKeys)
                system.DeleteRegKey(key.root, key.parent, key.name);
            takeBack();
            return kMsgInstallFailed;
        }

    const ToolRun run =
        system.RunTool(RegistrationToolPath(systemFolder), RegistrationCommand(dll, false), kToolWaitMs);
    if (run.outcome == ToolRun::Ended && run.exitCode == 0)
        return kMsgComplete;
    return kMsgRegisterError + DescribeToolRun(run);
}

}  // namespace tessaline
