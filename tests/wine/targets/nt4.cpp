// Windows NT 4.0 SP6a without Internet Explorer 4's desktop update: version 4.0.1381
// "Service Pack 6", shell32 4.00 and comctl32 4.70, neither with DllGetVersion; the
// conversion flags and wake masks NT4 knows.
#include "TargetFacts.h"

#include <commctrl.h>

namespace tessaline {
namespace targets {
namespace {

// WC_NO_BEST_FIT_CHARS came with Windows 2000: NT4 fails a conversion that asks for it.
int WINAPI WideCharToMultiByteNt4(UINT codePage, DWORD flags, LPCWCH text, int length, LPSTR out, int size,
                                  LPCCH defaultChar, LPBOOL usedDefault) {
    if ((flags & ~DWORD(WC_COMPOSITECHECK | WC_DISCARDNS | WC_SEPCHARS | WC_DEFAULTCHAR)) != 0) {
        SetLastError(ERROR_INVALID_FLAGS);
        return 0;
    }
    static const auto wine = WineFunction<decltype(&WideCharToMultiByte)>("kernel32.dll", "WideCharToMultiByte");
    return wine(codePage, flags, text, length, out, size, defaultChar, usedDefault);
}

// comctl32 4.70 takes exactly the first version of the page descriptor.
HPROPSHEETPAGE WINAPI CreatePropertySheetPageNt4(LPCPROPSHEETPAGEA page) {
    if (page == nullptr || page->dwSize != PROPSHEETPAGEA_V1_SIZE)
        return nullptr;
    static const auto wine =
        WineFunction<decltype(&CreatePropertySheetPageA)>("comctl32.dll", "CreatePropertySheetPageA");
    return wine(page);
}

}  // namespace
}  // namespace targets

// shell32 4.00 and comctl32 4.70 export no DllGetVersion.
const targets::TargetSystem targets::kTarget = {
    {sizeof(OSVERSIONINFOA), 4, 0, 1381, VER_PLATFORM_WIN32_NT, "Service Pack 6"},
    {},
    {},
};
TESSALINE_TARGET_VERSIONS;

TESSALINE_REPLACE_IMPORT(WideCharToMultiByte, 32, targets::WideCharToMultiByteNt4);
TESSALINE_REPLACE_IMPORT(MsgWaitForMultipleObjects, 20, targets::MsgWaitForMultipleObjectsBeforeXp);
TESSALINE_REPLACE_IMPORT(CreatePropertySheetPageA, 4, targets::CreatePropertySheetPageNt4);

TESSALINE_REPLACE_IMPORT(CreateFileW, 28, targets::CreateFileWWithPathLimit);

}  // namespace tessaline
