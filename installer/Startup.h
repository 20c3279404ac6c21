// The installer's start-up checks apart from the platform.
#pragma once

#include <string>

namespace tessaline {

inline const std::wstring kMsgFileSystemBefore =
    L"Tessaline is only for NTFS file systems. This system is installed on ";
inline const std::wstring kMsgFileSystemAfter =
    L", which does not have the problem of hidden Alternate Data Stream files.";
inline const std::wstring kMsgVista =
    L"Windows Vista is not supported. At Orvando we do not consider Vista to be a usable product. "
    L"For support with the problem of hidden ADS files, please contact Microsoft rather than Orvando. It was "
    L"their job to provide a tool that allows Windows users to see the files on their computer.";

// True on Windows Vista or later.
using VersionTest = bool (*)();

// The message that refuses this system, or "" when the installer may show its window.
// The version test runs only once the file system has passed.
std::wstring StartupRefusal(const std::wstring& fileSystemName, VersionTest isVistaOrLater);

}  // namespace tessaline
