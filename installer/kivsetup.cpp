// kivsetup's start-up: the two refusals, then F1 until it goes away.
#include <windows.h>

#include "CVista.h"
#include "F1.h"
#include "ModInstaller.h"
#include "ModSHInstall.h"
#include "Startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    using namespace tessaline;
    // One installer at a time, as two would copy and register over each other: a second one
    // (a double-click too many) brings the first one's window to the front and ends. The
    // mutex is the system's until this process ends.
    if (CreateMutexA(nullptr, FALSE, "TessalineInstaller") != nullptr && GetLastError() == ERROR_ALREADY_EXISTS) {
        if (HWND first = FindRunningF1()) {
            if (IsIconic(first))
                ShowWindow(first, SW_RESTORE);
            SetForegroundWindow(first);
        }
        return 0;
    }
    const std::wstring refusal = StartupRefusal(GetFileSystemName(), [] {
        CVista vista;
        return vista.IsOSVista() == -1;
    });
    if (!refusal.empty())
        ShowAndQuit(refusal);

    HWND window = ShowF1(instance);
    if (!window)
        return 0;
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        if (IsWindow(window) && IsDialogMessageA(window, &message))
            continue;
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
