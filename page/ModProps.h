// The Streams page. Others use its two procedures (through the page descriptor), its state
// for the DLL's thread and process detach, and the listing.
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

// One live Streams page: made at WM_INITDIALOG, freed at WM_DESTROY. A host may show two
// of our pages on one thread (the shell does for a folder), so each keeps its own.
struct PageState {
    HWND hDlg = nullptr;
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

// One per thread, made at the thread's first use.
struct ThreadPages {
    _Page* oPage = nullptr;            // the page whose dialog is being made; no reference
    std::vector<PageState*> pages;     // this thread's live pages
    ThreadPages* next = nullptr;       // every thread's state, so that an unload frees all
    ThreadPages* previous = nullptr;
};

ThreadPages& ModProps();            // this thread's state
void ModPropsThreadDetach();        // frees this thread's state
void ModPropsProcessDetach();       // frees every thread's state and the TLS slot

// Stream listing.
std::vector<StreamEntry> ListStreams(const std::wstring& path);
void FillStreamList(PageState& s, const std::wstring& path);

// The page's procedures, for its descriptor.
INT_PTR CALLBACK PageDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
UINT CALLBACK PageCallbackProc(HWND hwnd, UINT message, LPPROPSHEETPAGEA page);
LONG_PTR ProcAddress(LONG_PTR address);

}  // namespace tessaline
