#include "SetupShared.h"

namespace tessaline {

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) { return folder + L"\\" + name; }

std::wstring RegistrationToolPath(const std::wstring& systemFolder) { return JoinPath(systemFolder, L"regsvr32.exe"); }

std::wstring QuotedIfBlank(const std::wstring& path) {
    return path.find_first_of(L" \t") != std::wstring::npos ? L"\"" + path + L"\"" : path;
}

std::wstring RegistrationCommand(const std::wstring& dllPath, bool unregister) {
    return (unregister ? L"regsvr32.exe /s /u " : L"regsvr32.exe /s ") + QuotedIfBlank(dllPath);
}

}  // namespace tessaline
