// The Streams page: its state, dialog procedure, page callback, the subclassed controls,
// and the stream operations behind View and Delete.
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

constexpr DWORD kViewBytes = 2048;

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
PageState* FindPage(HWND hDlg);     // the live page of that dialog on this thread
void ModPropsThreadDetach();        // frees this thread's state
void ModPropsProcessDetach();       // frees every thread's state and the TLS slot

// Stream listing.
std::vector<StreamEntry> ListStreams(const std::wstring& path);
void FillStreamList(PageState& s, const std::wstring& path);

// The page.
INT_PTR CALLBACK PageDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
UINT CALLBACK PageCallbackProc(HWND hwnd, UINT message, LPPROPSHEETPAGEA page);
LONG_PTR ProcAddress(LONG_PTR address);
void InitPage(HWND hDlg);
LRESULT CALLBACK ViewButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK DeleteButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK StreamListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void SetButtonsEnabled(PageState& s, short enable);

// View and Delete.
void ViewSelectedStream(PageState& s);
void DeleteSelectedStream(PageState& s);
std::wstring GetSelectedEntry(PageState& s);
void RemoveSelectedEntry(PageState& s);
void ClearViewPane(PageState& s);
void SelectAllViewText(PageState& s);
void DeselectViewText(PageState& s);

}  // namespace tessaline
