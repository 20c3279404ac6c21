// ModProps: the Streams page's life. Each page's state lives on its own dialog (DWLP_USER),
// made at WM_INITDIALOG and freed at WM_DESTROY; the controls' procedures find it from their
// parent. oPage, noted by the page callback, is in a TLS slot made at process attach.
#include <memory>

#include "Boundary.h"
#include "ModPropsParts.h"
#include "Win32Util.h"
#include "resource.h"

namespace tessaline {
namespace {

// ---- oPage, per thread -----------------------------------------------------------------
// TlsAlloc rather than thread_local: XP gives no implicit TLS to a DLL loaded with
// LoadLibrary, which is how Explorer loads us.

DWORD g_oPageSlot = TLS_OUT_OF_INDEXES;

void SetPageObject(_Page* page) {
    if (g_oPageSlot != TLS_OUT_OF_INDEXES)
        TlsSetValue(g_oPageSlot, page);
}

// ---- the page's start and end ----------------------------------------------------------

// `page` is the sheet's own copy of the page's descriptor, whose lParam is the Page: the
// page needs no TLS slot to find it, which a process that has used up its slots (NT4 has
// 64) cannot give.
void InitPage(HWND hDlg, const PROPSHEETPAGEA* page) {
    if (StateOf(hDlg) != nullptr)
        return;
    auto owned = std::make_unique<PageState>();
    PageState& s = *owned;
    s.hStreamList = GetDlgItem(hDlg, IDC_STREAM_LIST);
    s.hViewPane = GetDlgItem(hDlg, IDC_VIEW_PANE);

    // A page whose object gives no path lists nothing.
    UniqueBstr path;
    _Page* object = page != nullptr ? reinterpret_cast<_Page*>(page->lParam) : nullptr;
    if (object != nullptr && SUCCEEDED(object->get_SelectedFile(path.put())) && path)
        s.sFilePath.assign(path.get(), SysStringLen(path.get()));

    FillStreamList(s, s.sFilePath);
    SetWindowLongPtrA(hDlg, DWLP_USER, reinterpret_cast<LONG_PTR>(owned.release()));

    if (s.hStreamList != nullptr) {
        SubclassControls(s, hDlg);
        SetButtonsEnabled(s, kFalse);
    }
}

// The dialog is going: its controls get their own procedures back before they are
// destroyed, and its state goes.
void EndPage(HWND hDlg) {
    SetPageObject(nullptr);
    std::unique_ptr<PageState> s(StateOf(hDlg));
    if (!s)
        return;
    SetWindowLongPtrA(hDlg, DWLP_USER, 0);
    RestoreControls(*s);
}

}  // namespace

void ModPropsProcessAttach() { g_oPageSlot = TlsAlloc(); }

void ModPropsProcessDetach() {
    if (g_oPageSlot != TLS_OUT_OF_INDEXES)
        TlsFree(g_oPageSlot);
    g_oPageSlot = TLS_OUT_OF_INDEXES;
}

// ---- the page's procedures -------------------------------------------------------------

UINT CALLBACK PageCallbackProc(HWND, UINT message, LPPROPSHEETPAGEA page) {
    WindowBoundary([&] {
        _Page* object = page != nullptr ? reinterpret_cast<_Page*>(page->lParam) : nullptr;
        SetPageObject(object);
        if (message == PSPCB_RELEASE) {
            // The page object took a reference for its page; this is the one place that
            // gives it back (comctl32 sends PSPCB_RELEASE also for a page never shown).
            if (object != nullptr)
                object->Release();
            SetPageObject(nullptr);
        }
    });
    return 1;
}

INT_PTR CALLBACK PageDlgProc(HWND hDlg, UINT message, WPARAM, LPARAM lParam) {
    if (message == WM_INITDIALOG)
        WindowBoundary([&] { InitPage(hDlg, reinterpret_cast<const PROPSHEETPAGEA*>(lParam)); });
    else if (message == WM_DESTROY)
        WindowBoundary([&] { EndPage(hDlg); });
    return 0;
}

LONG_PTR ProcAddress(LONG_PTR address) { return address; }

}  // namespace tessaline
