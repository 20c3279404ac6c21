// Runs the install as the Install button does; the program ends with the closing message.
// With "/window" it instead stands in for the window code: it hands a window over to
// ModInstaller and ends through ShowAndQuit, noting the window's destruction in a file.
#include <windows.h>

#include <cstring>
#include <string>

#include "ModInstaller.h"

namespace {

std::string DestroyedMarker() {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + "install_runner_window_destroyed";
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY)
        CloseHandle(CreateFileA(DestroyedMarker().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int) {
    if (std::strstr(commandLine, "/window") == nullptr)
        tessaline::RunInstall();

    WNDCLASSA windowClass = {};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = "InstallRunnerWindow";
    RegisterClassA(&windowClass);
    HWND window = CreateWindowA("InstallRunnerWindow", "Tessaline", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100,
                                nullptr, nullptr, instance, nullptr);
    tessaline::SetInstallerWindow(window);
    tessaline::ShowAndQuit(L"Closing through the window.");
}
