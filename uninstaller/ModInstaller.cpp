// kivremove's start-up: the whole program, silent.
#include <windows.h>

#include "ModUnTS.h"
#include "ToolProcess.h"
#include "UninstallFlow.h"
#include "Win32Util.h"

namespace tessaline {
namespace {

class PlatformUninstall final : public UninstallSystem {
public:
    std::wstring GetFolderPath(short selector) override { return tessaline::GetFolderPath(selector); }
    ToolRun RunTool(const std::wstring& application, const std::wstring& commandLine, uint32_t waitMs) override {
        return RunHidden(application, commandLine, waitMs);
    }
    bool DeleteRegKey(RegRoot root, const std::wstring& parentKey, const std::wstring& subKey) override {
        return tessaline::DeleteRegKey(RootKey(root), parentKey, subKey);
    }
    bool DeleteFileForced(const std::wstring& path) override { return tessaline::DeleteFileForced(path); }
    void DeleteAtRestart(const std::wstring& path) override {
        MoveFileExA(ToAnsi(path).c_str(), nullptr, MOVEFILE_DELAY_UNTIL_REBOOT);
    }
};

}  // namespace
}  // namespace tessaline

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    tessaline::PlatformUninstall system;
    tessaline::UninstallFlow(system);
    return 0;
}
