// kivsetup's start-up: the two refusals, then F1 until it goes away.
#include <windows.h>

#include "CVista.h"
#include "F1.h"
#include "ModInstaller.h"
#include "ModSHInstall.h"
#include "Startup.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    using namespace tessaline;
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
