#include "SetupShared.h"

namespace tessaline {

std::wstring JoinPath(const std::wstring& folder, const std::wstring& name) { return folder + L"\\" + name; }

std::wstring RegistrationToolPath(const std::wstring& systemFolder) { return JoinPath(systemFolder, L"regsvr32.exe"); }

std::wstring RegistrationCommand(const std::wstring& dllPath, bool unregister) {
    std::wstring command = unregister ? L"regsvr32.exe /s /u " : L"regsvr32.exe /s ";
    if (dllPath.find_first_of(L" \t") != std::wstring::npos)
        return command + L"\"" + dllPath + L"\"";
    return command + dllPath;
}

}  // namespace tessaline
