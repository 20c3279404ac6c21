#include <windows.h>

#include "ModProps.h"

namespace tessaline {
HINSTANCE g_module = nullptr;  // holds the page's dialog template
}

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
