#include <windows.h>

#include "ModProps.h"
#include "Server.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        tessaline::g_module = instance;
        break;
    case DLL_THREAD_DETACH:
        tessaline::ModPropsThreadDetach();
        break;
    case DLL_PROCESS_DETACH:
        // Only our own memory here: under the loader lock no other DLL is called, so the
        // type library is given back by DllCanUnloadNow instead.
        if (reserved == nullptr)
            tessaline::ModPropsProcessDetach();
        break;
    }
    return TRUE;
}
