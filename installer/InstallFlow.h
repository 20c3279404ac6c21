// The install procedure apart from the platform: which step runs, in which order, and
// which message ends it.
#pragma once

#include <cstdint>
#include <string>

#include "Identity.h"
#include "SetupShared.h"
#include "Sha256.h"

namespace tessaline {

inline const std::wstring kMsgNoFolder =
    L"Tessaline could not find the Windows, System or Temp folder. Nothing was installed.";
inline const std::wstring kMsgNotFound = L"Tessaline file not found in TEMP folder. Install failed.";
// kivremove.exe or vornex.dll missing from the package.
inline std::wstring MsgFileNotFound(const std::wstring& name) {
    return L"Tessaline file " + name + L" not found in TEMP folder. Install failed.";
}
// An installed copy that is not the file the installer was built with: kMsgDamaged + its name +
// kMsgDamagedAfter. Whoever can write to a shared Temp folder could otherwise choose what is
// installed in the System folder and registered as the administrator.
inline const std::wstring kMsgDamaged = L"The Tessaline package is damaged: ";
inline const std::wstring kMsgDamagedAfter = L" is not the file it was made with. Nothing was installed.";
// A copy refused for want of rights; one refused otherwise (the old file is in use: Explorer keeps
// the DLLs loaded while the user is logged on) names the file, its folder, and kMsgCopyAfter.
inline const std::wstring kMsgNeedAdministrator =
    L"Tessaline could not be installed: you need to be logged on as an Administrator.";
inline const std::wstring kMsgCopyAfter = L" folder. Restart Windows, then run the installer again.";
inline const std::wstring kMsgUnshowableFolder =
    L"Tessaline cannot be installed from a folder whose name contains characters this system's code page cannot "
    L"show.";
inline const std::wstring kMsgRegistryFailed =
    L"Failed writing to Registry. Try running installer again logged on as an Administrator.";
inline const std::wstring kMsgInstallFailed =
    L"Failed to install Tessaline. Try running installer again logged on as an Administrator.";
inline const std::wstring kMsgRegisterError = L"Error registering Kivrel3.dll file: ";
inline const std::wstring kMsgComplete = L"Tessaline installation complete.";

inline const std::wstring kPackageFolder = L"kvz31";
inline const std::wstring kUninstaller = L"kivremove.exe";
inline const std::wstring kPageClsid = L"" TESSALINE_CLSID_PAGE_TEXT;
inline const std::wstring kDisplayName = L"Tessaline Utility";
inline const std::wstring kDisplayVersion = L"1.9.0";
inline const std::wstring kPublisher = L"Orvando";

constexpr uint32_t kErrorAccessDenied = 5;

// What the install needs of the system.
class InstallSystem {
public:
    virtual ~InstallSystem() = default;
    virtual std::wstring GetFolderPath(short selector) = 0;
    // The Temp folder's exact name, without its trailing "\\"; and a path's short (8.3) form.
    // "" when there is none.
    virtual std::wstring ExactTempFolder() = 0;
    virtual std::wstring ShortForm(const std::wstring& path) = 0;
    // True when the text comes back unchanged from the ANSI code page.
    virtual bool SurvivesCodePage(const std::wstring& text) = 0;
    virtual bool FileExists(const std::wstring& path) = 0;
    // The platform's error of the copy, 0 when it was made.
    virtual uint32_t CopyFileTo(const std::wstring& source, const std::wstring& destination, bool overwrite) = 0;
    // The SHA-256 of a file's bytes; false when it cannot be read.
    virtual bool Digest(const std::wstring& path, Sha256Digest& digest) = 0;
    // True when no file is left at the path.
    virtual bool DeleteFileForced(const std::wstring& path) = 0;
    virtual bool WriteRegString(RegRoot root, const std::wstring& key, const std::wstring& valueName,
                                const std::wstring& data) = 0;
    virtual bool WriteRegDword(RegRoot root, const std::wstring& key, const std::wstring& valueName,
                               uint32_t data) = 0;
    virtual bool DeleteRegKey(RegRoot root, const std::wstring& parentKey, const std::wstring& subKey) = 0;
    virtual ToolRun RunTool(const std::wstring& application, const std::wstring& commandLine, uint32_t waitMs) = 0;
};

// What each installed file must hash to: the files the installer was built with.
struct PackageDigests {
    Sha256Digest pageDll, uninstaller, vornex;
};

// Runs the install up to its closing message and answers that message.
std::wstring InstallFlow(InstallSystem& system, const PackageDigests& digests);

// The words after kMsgRegisterError for a registration that did not end with 0.
std::wstring DescribeToolRun(const ToolRun& run);

}  // namespace tessaline
