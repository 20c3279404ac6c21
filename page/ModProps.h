// The Streams page: its per-thread state, dialog procedure, page callback, the
// subclassed controls, and the stream operations behind View and Delete.
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

constexpr int IDD_STREAMS_PAGE = 106;
constexpr int IDC_STREAM_LIST = 1000;
constexpr int IDC_VIEW = 1001;
constexpr int IDC_DELETE = 1002;
constexpr int IDC_VIEW_PANE = 1003;

constexpr DWORD kViewBytes = 2048;

// One copy per thread, created at the thread's first use.
struct PageState {
    _Page* oPage = nullptr;  // bare address, no reference counted
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

PageState& ModProps();          // this thread's state
void ModPropsThreadDetach();    // frees this thread's state
void ModPropsProcessDetach();   // frees the TLS slot

// Stream listing.
std::vector<StreamEntry> ListStreams(const std::wstring& path);
void FillStreamList(const std::wstring& path);

// The page.
INT_PTR CALLBACK PageDlgProc(HWND hDlg, UINT message, WPARAM wParam, LPARAM lParam);
UINT CALLBACK PageCallbackProc(HWND hwnd, UINT message, LPPROPSHEETPAGEA page);
LONG_PTR ProcAddress(LONG_PTR address);
void InitPage(HWND hDlg);
LRESULT CALLBACK ViewButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK DeleteButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK StreamListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void SetButtonsEnabled(short enable);

// View and Delete.
void ViewSelectedStream();
void DeleteSelectedStream();
std::wstring GetSelectedEntry();
void RemoveSelectedEntry();
void ClearViewPane();
void SelectAllViewText();
void DeselectViewText();

}  // namespace tessaline
