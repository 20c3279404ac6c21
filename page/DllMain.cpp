#include <windows.h>

#include "ModProps.h"
#include "Server.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        tessaline::g_module = instance;
        tessaline::ModPropsProcessAttach();
        break;
    case DLL_PROCESS_DETACH:
        // Only kernel32 under the loader lock; a process that is ending frees everything itself.
        if (reserved == nullptr)
            tessaline::ModPropsProcessDetach();
        break;
    }
    return TRUE;
}
