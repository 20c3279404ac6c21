// The Streams page. Others use its two procedures (through the page descriptor), its
// per-thread slot (made and freed with the process) and the listing.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "Interfaces.h"
#include "StreamWalk.h"

namespace tessaline {

constexpr short kTrue = -1;  // truth values of the page state are 16-bit, true -1
constexpr short kFalse = 0;

// One live Streams page, kept on its dialog (DWLP_USER) from WM_INITDIALOG to WM_DESTROY. A
// host may show two of our pages on one thread (the shell does for a folder), so each keeps
// its own.
struct PageState {
    std::wstring sFilePath;
    HWND hStreamList = nullptr;
    HWND hViewPane = nullptr;
    HWND hViewButton = nullptr;
    HWND hDeleteButton = nullptr;
    WNDPROC lpPrevViewProc = nullptr;
    WNDPROC lpPrevDeleteProc = nullptr;
    WNDPROC lpPrevListProc = nullptr;
    LONG lListIndex = -1;
    short bViewBusy = kFalse;
    short bDeleteBusy = kFalse;
    // Exact stream names; each list item's data is its index here. The list text is
    // only for show: trimmed, and converted to the ANSI code page.
    std::vector<std::wstring> streamNames;
};

// The slot of oPage, the page whose dialog is being made on a thread; no reference counted.
void ModPropsProcessAttach();
void ModPropsProcessDetach();

// Stream listing.
std::vector<StreamEntry> ListStreams(const std::wstring& path);
void FillStreamList(PageState& s, const std::wstring& path);

// The page's procedures, for its descriptor.
INT_PTR CALLBACK PageDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
UINT CALLBACK PageCallbackProc(HWND hwnd, UINT message, LPPROPSHEETPAGEA page);
LONG_PTR ProcAddress(LONG_PTR address);

}  // namespace tessaline
