#include <windows.h>

#include "ModProps.h"
#include "Registration.h"
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
        tessaline::ModPropsProcessDetach();
        // Unloaded by FreeLibrary (not at process end): oleaut32 is still there to take
        // back our type library, which a later load would otherwise leave behind.
        if (reserved == nullptr)
            tessaline::ReleaseOwnTypeLib();
        break;
    }
    return TRUE;
}
