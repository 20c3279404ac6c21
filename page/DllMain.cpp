#include <windows.h>

#include "ModProps.h"
#include "Server.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        tessaline::g_module = instance;
        break;
    case DLL_THREAD_DETACH:
        tessaline::ModPropsThreadDetach();
        break;
    case DLL_PROCESS_DETACH:
        tessaline::ModPropsProcessDetach();
        break;
    }
    return TRUE;
}
