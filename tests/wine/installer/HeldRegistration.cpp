// A package DLL whose registration lasts until the test lets it end, so that regsvr32 is
// held running while the installer waits for it: it sets the event kStarted names, then
// waits (at most half a minute) for the one kRelease names. Without them it ends at once.
#include <windows.h>

#include "HeldRegistration.h"

extern "C" HRESULT STDAPICALLTYPE DllRegisterServer() {
    HANDLE started = OpenEventA(EVENT_MODIFY_STATE, FALSE, tessaline::testing::kRegistrationStarted);
    HANDLE release = OpenEventA(SYNCHRONIZE, FALSE, tessaline::testing::kRegistrationRelease);
    if (started) {
        SetEvent(started);
        CloseHandle(started);
    }
    if (release) {
        WaitForSingleObject(release, 30000);
        CloseHandle(release);
    }
    return S_OK;
}
