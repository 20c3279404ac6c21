// A package DLL whose registration lasts until the test sets the event kRegistrationRelease
// names (half a minute at most), so that regsvr32 is held running while the installer
// waits for it. Without that event it ends at once.
#include <windows.h>

#include "HeldRegistration.h"

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    if (HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, tessaline::testing::kRegistrationRelease)) {
        WaitForSingleObject(release, 30000);
        CloseHandle(release);
    }
    return S_OK;
}
