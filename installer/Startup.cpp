#include "Startup.h"

namespace tessaline {
namespace {

// File-system names are ASCII; upper case only for the comparison.
bool IsNtfs(const std::wstring& name) {
    std::wstring upper = name;
    for (wchar_t& c : upper)
        if (c >= L'a' && c <= L'z')
            c = static_cast<wchar_t>(c - L'a' + L'A');
    return upper == L"NTFS";
}

}  // namespace

std::wstring StartupRefusal(const std::wstring& fileSystemName, VersionTest isVistaOrLater) {
    if (!IsNtfs(fileSystemName))
        return kMsgFileSystemBefore + fileSystemName + kMsgFileSystemAfter;
    if (isVistaOrLater())
        return kMsgVista;
    return std::wstring();
}

}  // namespace tessaline
