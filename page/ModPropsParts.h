// What the parts of the Streams page share: ModProps.cpp (the page's life), StreamListing.cpp
// (the listing and the list's selection), ViewDelete.cpp (View, Delete and the view pane) and
// ControlChain.cpp (the subclassed controls).
#pragma once

#include <windows.h>

#include <string>

#include "ModProps.h"

namespace tessaline {

// The state of the page whose dialog this is, or nullptr.
inline PageState* StateOf(HWND hDlg) {
    return hDlg != nullptr ? reinterpret_cast<PageState*>(GetWindowLongPtrA(hDlg, DWLP_USER)) : nullptr;
}

inline std::u16string U16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }
inline std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

// The one way the page opens an item or a stream, so that the listing, View and Delete reach
// one object. Backup semantics open a folder too.
HANDLE OpenStream(const std::wstring& path, DWORD access, DWORD flags = 0);

// The list's selection.
std::wstring GetSelectedEntry(PageState& s);
void RemoveSelectedEntry(PageState& s);
std::wstring SelectedStreamPath(PageState& s);

// View, Delete and the view pane.
void SetButtonsEnabled(PageState& s, short enable);
void ClearViewPane(PageState& s);
void ViewSelectedStream(PageState& s);
void DeleteSelectedStream(PageState& s);

// The three controls' procedures, put in at the page's start and taken out at its end.
void SubclassControls(PageState& s, HWND hDlg);
void RestoreControls(PageState& s);

}  // namespace tessaline
