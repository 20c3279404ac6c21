#include "ModInstaller.h"

#include <vector>

#include "InstallFlow.h"
#include "ModSHInstall.h"
#include "PackageDigests.h"
#include "Sha256.h"
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

bool FileDigest(const std::wstring& path, Sha256Digest& digest) {
    UniqueFile file = OpenToRead(path);
    if (!file)
        return false;
    Sha256 hash;
    std::vector<char> chunk(64 * 1024);
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(file.get(), chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr))
            return false;
        if (got == 0)
            break;
        hash.Add(chunk.data(), got);
    }
    digest = hash.Finish();
    return true;
}

// Waits as WaitBlocking does, handling this thread's messages meanwhile: F1 stays on screen
// and must paint and answer. A quit request met meanwhile is handed on to the thread's own
// loop once the wait is over. QS_RAWINPUT came with XP: Windows 2000 and NT4 refuse a wake
// mask that holds it, so the wait goes on without it; a wait refused for any other reason
// goes on without handling messages, within the same time.
bool WaitPumpingMessages(HANDLE process, DWORD waitMs) {
    const DWORD start = GetTickCount();
    const auto left = [&] {
        const DWORD elapsed = GetTickCount() - start;
        return elapsed < waitMs ? waitMs - elapsed : 0;
    };
    DWORD mask = QS_ALLINPUT;
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) {
                const bool ended = WaitForSingleObject(process, left()) == WAIT_OBJECT_0;
                PostQuitMessage(static_cast<int>(message.wParam));
                return ended;
            }
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        // Only input that came after the last look wakes the wait, so the queue is emptied first.
        const DWORD woke = MsgWaitForMultipleObjects(1, &process, FALSE, left(), mask);
        if (woke == WAIT_FAILED && mask == QS_ALLINPUT)
            mask = QS_ALLINPUT & ~QS_RAWINPUT;
        else if (woke == WAIT_FAILED)
            return WaitForSingleObject(process, left()) == WAIT_OBJECT_0;
        else if (woke != WAIT_OBJECT_0 + 1)
            return woke == WAIT_OBJECT_0;
    }
}

// The text a wide call writes, of any length: it answers the length written, or the size it
// needs when the buffer is too small; 0 on failure.
template <class Call>
std::wstring WideResult(Call&& call) {
    std::wstring text(MAX_PATH, L'\0');
    DWORD n = call(&text[0], static_cast<DWORD>(text.size()));
    if (n >= text.size()) {
        text.assign(n, L'\0');
        n = call(&text[0], n);
    }
    text.resize(n < text.size() ? n : 0);
    return text;
}

class PlatformInstall final : public InstallSystem {
public:
    std::wstring GetFolderPath(short selector) override { return tessaline::GetFolderPath(selector); }
    std::wstring ExactTempFolder() override {
        std::wstring path = WideResult([](wchar_t* buffer, DWORD size) { return GetTempPathW(size, buffer); });
        if (!path.empty() && path.back() == L'\\')
            path.pop_back();
        return path;
    }
    std::wstring ShortForm(const std::wstring& path) override {
        return WideResult(
            [&path](wchar_t* buffer, DWORD size) { return GetShortPathNameW(path.c_str(), buffer, size); });
    }
    bool SurvivesCodePage(const std::wstring& text) override {
        const std::string ansi = ToAnsi(text);
        return FromAnsi(ansi.data(), static_cast<int>(ansi.size())) == text;
    }
    bool FileExists(const std::wstring& path) override { return tessaline::FileExists(path); }
    uint32_t CopyFileTo(const std::wstring& source, const std::wstring& destination, bool overwrite) override {
        return tessaline::CopyFileTo(source, destination, overwrite);
    }
    bool Digest(const std::wstring& path, Sha256Digest& digest) override { return FileDigest(path, digest); }
    bool DeleteFileForced(const std::wstring& path) override { return tessaline::DeleteFileForced(path); }
    bool WriteRegString(RegRoot root, const std::wstring& key, const std::wstring& valueName,
                        const std::wstring& data) override {
        return tessaline::WriteRegString(RootKey(root), key, valueName, data);
    }
    bool WriteRegDword(RegRoot root, const std::wstring& key, const std::wstring& valueName, uint32_t data) override {
        return tessaline::WriteRegDword(RootKey(root), key, valueName, data);
    }
    bool DeleteRegKey(RegRoot root, const std::wstring& parentKey, const std::wstring& subKey) override {
        return tessaline::DeleteRegKey(RootKey(root), parentKey, subKey);
    }
    ToolRun RunTool(const std::wstring& application, const std::wstring& commandLine, uint32_t waitMs) override {
        return RunHidden(application, commandLine, waitMs, WaitPumpingMessages);
    }
};

}  // namespace

void SetInstallerWindow(HWND window) { g_installerWindow = window; }

void RunInstall() {
    PlatformInstall system;
    ShowAndQuit(InstallFlow(system, kPackageDigests));
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
