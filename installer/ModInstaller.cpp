#include "ModInstaller.h"

#include <cstring>
#include <vector>

#include "InstallFlow.h"
#include "ModSHInstall.h"
#include "ToolProcess.h"
#include "Win32Util.h"

namespace tessaline {
namespace {

HWND g_installerWindow = nullptr;  // F1, once the window code has made it

UniqueFile OpenToRead(const std::wstring& path) {
    // Shared every way: a DLL that Explorer has loaded can still be read.
    return UniqueFile(CreateFileA(ToAnsi(path).c_str(), GENERIC_READ,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
}

bool SameBytes(const std::wstring& a, const std::wstring& b) {
    UniqueFile first = OpenToRead(a);
    UniqueFile second = OpenToRead(b);
    if (!first || !second)
        return false;
    const DWORD size = GetFileSize(first.get(), nullptr);
    if (size == INVALID_FILE_SIZE || size != GetFileSize(second.get(), nullptr))
        return false;
    std::vector<char> one(64 * 1024);
    std::vector<char> two(one.size());
    for (DWORD left = size; left > 0;) {
        const DWORD chunk = left < one.size() ? left : static_cast<DWORD>(one.size());
        DWORD got1 = 0;
        DWORD got2 = 0;
        if (!ReadFile(first.get(), one.data(), chunk, &got1, nullptr) ||
            !ReadFile(second.get(), two.data(), chunk, &got2, nullptr) || got1 != chunk || got2 != chunk ||
            std::memcmp(one.data(), two.data(), chunk) != 0)
            return false;
        left -= chunk;
    }
    return true;
}

class PlatformInstall final : public InstallSystem {
public:
    std::wstring GetFolderPath(short selector) override { return tessaline::GetFolderPath(selector); }
    bool FileExists(const std::wstring& path) override { return tessaline::FileExists(path); }
    void CopyFileTo(const std::wstring& source, const std::wstring& destination, bool overwrite) override {
        tessaline::CopyFileTo(source, destination, overwrite);
    }
    bool SameContent(const std::wstring& a, const std::wstring& b) override { return SameBytes(a, b); }
    bool WriteRegString(RegRoot root, const std::wstring& key, const std::wstring& valueName,
                        const std::wstring& data) override {
        return tessaline::WriteRegString(RootKey(root), key, valueName, data);
    }
    ToolRun RunTool(const std::wstring& application, const std::wstring& commandLine, uint32_t waitMs) override {
        return RunHidden(application, commandLine, waitMs);
    }
};

}  // namespace

void SetInstallerWindow(HWND window) { g_installerWindow = window; }

void RunInstall() {
    PlatformInstall system;
    ShowAndQuit(InstallFlow(system));
}

void ShowAndQuit(const std::wstring& message) {
    MessageBoxA(g_installerWindow, ToAnsi(message).c_str(), "Tessaline Installation", MB_OK | MB_ICONINFORMATION);
    QuitInstaller();
}

void QuitInstaller() {
    if (HWND window = g_installerWindow) {
        g_installerWindow = nullptr;
        if (IsWindowVisible(window))
            ShowWindow(window, SW_HIDE);
        DestroyWindow(window);
    }
    ExitProcess(0);
}

}  // namespace tessaline
