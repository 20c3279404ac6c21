// The page linked into this program, created with the descriptor Kivrel3 uses.
#include "ModProps.h"
#include "PageHarness.h"
#include "resource.h"

#include <gtest/gtest.h>

namespace tessaline::testing {

namespace {

HPROPSHEETPAGE MakePage(FakePage& object) {
    PROPSHEETPAGEA descriptor = {};
    descriptor.dwSize = 48;
    descriptor.dwFlags = PSP_USETITLE | PSP_USECALLBACK;
    descriptor.hInstance = GetModuleHandleA(nullptr);
    descriptor.pszTemplate = MAKEINTRESOURCEA(IDD_STREAMS_PAGE);
    descriptor.pszTitle = "Streams";
    descriptor.pfnDlgProc = reinterpret_cast<DLGPROC>(ProcAddress(reinterpret_cast<LONG_PTR>(&PageDlgProc)));
    descriptor.lParam = reinterpret_cast<LPARAM>(static_cast<_Page*>(&object));
    descriptor.pfnCallback =
        reinterpret_cast<LPFNPSPCALLBACKA>(ProcAddress(reinterpret_cast<LONG_PTR>(&PageCallbackProc)));

    object.AddRef();  // as the page object does for its page; PSPCB_RELEASE gives it back
    HPROPSHEETPAGE handle = CreatePropertySheetPageA(&descriptor);
    EXPECT_NE(handle, nullptr);
    return handle;
}

}  // namespace

Sheet::Sheet(const std::vector<FakePage*>& objects) {
    InitControls();
    std::vector<HPROPSHEETPAGE> pages;
    for (FakePage* object : objects)
        pages.push_back(MakePage(*object));
    Show(pages);
}

}  // namespace tessaline::testing
