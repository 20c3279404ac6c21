// vornex.dll: hands a property page to the shell's add-page function and answers what
// that function answers (non-zero: the shell took the page).
#include <windows.h>
#include <prsht.h>

extern "C" __declspec(dllexport) BOOL WINAPI AddPropertyPage(LPFNADDPROPSHEETPAGE pfnAddPage, HPROPSHEETPAGE hPage,
                                                             LPARAM lParam) {
    if (pfnAddPage == nullptr || hPage == nullptr)
        return FALSE;
    return pfnAddPage(hPage, lParam);
}
