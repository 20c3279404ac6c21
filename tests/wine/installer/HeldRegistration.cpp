// A package DLL for the installer's tests, in place of Kivrel3.dll: its registration says that it has begun, then
// waits until the test lets it end, so that the test can look at the installer while regsvr32 runs. Without the
// test's events it ends at once.
#include <windows.h>

extern "C" __declspec(dllexport) HRESULT WINAPI DllRegisterServer() {
    if (HANDLE begun = OpenEventA(EVENT_MODIFY_STATE, FALSE, "TessalineTest.RegistrationBegun"))
        SetEvent(begun);
    if (HANDLE mayEnd = OpenEventA(SYNCHRONIZE, FALSE, "TessalineTest.RegistrationMayEnd"))
        WaitForSingleObject(mayEnd, 30000);  // within the installer's wait, should the test fail
    return S_OK;  // the handles go with regsvr32, which ends next
}
