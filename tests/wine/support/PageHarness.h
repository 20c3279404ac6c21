// Streams pages in a property sheet on this thread, pressed as a user's hand would; objects
// and selections made as the shell makes them.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "DropBlock.h"
#include "SameText.h"
#include "TestFiles.h"
#include "resource.h"

namespace tessaline::testing {

inline void Pump() {
    for (MSG msg; PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE);)
        DispatchMessageA(&msg);
}

// Handles this thread's messages until `event` is set; false after `ms` without it.
inline bool PumpUntil(HANDLE event, DWORD ms = 10000) {
    for (const DWORD end = GetTickCount() + ms;; Pump()) {
        const LONG left = std::max(LONG(end - GetTickCount()), 0L);
        // Without QS_RAWINPUT, which Windows 2000 and NT4 refuse.
        const DWORD woke = MsgWaitForMultipleObjects(1, &event, FALSE, left, QS_ALLINPUT & ~QS_RAWINPUT);
        if (woke != WAIT_OBJECT_0 + 1)
            return woke == WAIT_OBJECT_0;
    }
}

// An object from a server's class factory, as COM and the shell get one.
template <class T>
T* NewObject(HRESULT(STDAPICALLTYPE* getClassObject)(REFCLSID, REFIID, void**), REFCLSID clsid, REFIID iid) {
    IClassFactory* factory = nullptr;
    T* object = nullptr;
    EXPECT_EQ(getClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
    if (factory == nullptr)
        return object;
    EXPECT_EQ(factory->CreateInstance(nullptr, iid, reinterpret_cast<void**>(&object)), S_OK);
    factory->Release();
    return object;
}

// The shell's own data object for items of one folder, as Explorer hands a selection over.
inline IDataObject* ShellSelection(const std::vector<std::wstring>& items) {
    std::vector<PIDLIST_ABSOLUTE> absolute(items.size());
    std::vector<PCUITEMID_CHILD> children;
    for (size_t i = 0; i < items.size(); ++i) {
        EXPECT_EQ(SHParseDisplayName(items[i].c_str(), nullptr, &absolute[i], 0, nullptr), S_OK);
        children.push_back(ILFindLastID(absolute[i]));
    }
    ComPtr<IShellFolder> parent;
    IDataObject* data = nullptr;
    EXPECT_EQ(SHBindToParent(absolute[0], IID_IShellFolder, parent.put_void(), nullptr), S_OK);
    if (parent)
        parent->GetUIObjectOf(nullptr, UINT(items.size()), children.data(), IID_IDataObject, nullptr,
                              reinterpret_cast<void**>(&data));
    for (PIDLIST_ABSOLUTE pidl : absolute)
        CoTaskMemFree(pidl);
    return data;
}

// A data object that hands over a DROPFILES block made by hand (DropBlock), in global memory
// as the shell's: OLE's own for what the clipboard holds, CF_HDROP put there.
inline IDataObject* BlockSelection(const std::vector<uint8_t>& block) {
    HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, block.size());
    std::copy(block.begin(), block.end(), static_cast<uint8_t*>(GlobalLock(copy)));
    GlobalUnlock(copy);
    IDataObject* data = nullptr;
    EXPECT_TRUE(OpenClipboard(nullptr) && EmptyClipboard() && SetClipboardData(CF_HDROP, copy) && CloseClipboard());
    EXPECT_EQ(OleGetClipboard(&data), S_OK);
    return data;
}

class Sheet {
public:
    // Shows pages made by AddPages in a modeless sheet.
    explicit Sheet(std::vector<HPROPSHEETPAGE> pages) {
        PROPSHEETHEADERA header = {};
        header.dwSize = sizeof(header);
        header.dwFlags = PSH_MODELESS | PSH_NOAPPLYNOW;
        header.nPages = UINT(pages.size());
        header.phpage = pages.data();
        sheet = reinterpret_cast<HWND>(PropertySheetA(&header));
        Select(0);
    }
    // Takes over a sheet other code shows on this thread (the shell's own), closed by Cancel.
    explicit Sheet(HWND shown) : sheet(shown), adopted(true) { Select(-1); }
    ~Sheet() { Close(); }
    Sheet(const Sheet&) = delete;
    Sheet& operator=(const Sheet&) = delete;

    void Close() {
        if (sheet != nullptr)
            adopted ? void(SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0)) : void(DestroyWindow(sheet));
        sheet = nullptr;
        Pump();
    }
    // Brings page `index` (-1: the current one) to the front, which makes its dialog, and
    // takes its controls.
    void Select(int index) {
        SendMessageA(sheet, PSM_SETCURSEL, index, 0);
        Pump();
        HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
        list = GetDlgItem(page, IDC_STREAM_LIST);
        view = GetDlgItem(page, IDC_VIEW);
        del = GetDlgItem(page, IDC_DELETE);
        pane = GetDlgItem(page, IDC_VIEW_PANE);
    }

    int TabCount() const {
        return int(SendMessageA(reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0)), TCM_GETITEMCOUNT,
                                0, 0));
    }
    std::vector<std::string> Entries() const {
        std::vector<std::string> entries;
        char text[1024];
        for (LRESULT i = 0, n = list ? SendMessageA(list, LB_GETCOUNT, 0, 0) : 0; i < n; ++i)
            entries.push_back(SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(text)) != LB_ERR ? text : "");
        return entries;
    }
    int IndexOf(const std::string& entry) const {
        const auto entries = Entries();
        const auto found = std::find(entries.begin(), entries.end(), entry);
        EXPECT_NE(found, entries.end()) << entry;
        return int(found - entries.begin());
    }
    bool ViewEnabled() const { return IsWindowEnabled(view) != FALSE; }
    bool DeleteEnabled() const { return IsWindowEnabled(del) != FALSE; }
    std::string PaneText() const {
        std::string text(GetWindowTextLengthA(pane) + 1, '\0');
        return text.substr(0, GetWindowTextA(pane, &text[0], int(text.size())));
    }

    // Presses and releases the left button over entry `index`, or over a button; a disabled
    // button gets no mouse message, as on screen.
    void ClickEntry(int index) {
        RECT r = {};
        if (SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r)) != LB_ERR)
            PressAndRelease(list, r);
    }
    void PressView() { Press(view); }
    void PressDelete() { Press(del); }

    HWND sheet = nullptr, list = nullptr, view = nullptr, del = nullptr, pane = nullptr;
    bool adopted = false;  // shown by other code, which runs its loop: closed by Cancel

private:
    static void Press(HWND button) {
        RECT r = {};
        GetClientRect(button, &r);
        if (IsWindowEnabled(button))
            PressAndRelease(button, r);
    }
    static void PressAndRelease(HWND control, const RECT& r) {
        POINT point = {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        const LPARAM centre = MAKELPARAM(point.x, point.y);
        // A list box that holds the capture follows the real pointer: it must stand where the
        // press is, or a mouse move from the display carries the selection to another entry.
        ClientToScreen(control, &point);
        SetCursorPos(point.x, point.y);
        Pump();
        SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, centre);
        Pump();
        SendMessageA(control, WM_LBUTTONUP, 0, centre);
        Pump();
    }
};

inline BOOL CALLBACK TakeShownSheet(HWND window, LPARAM result) {
    if (!IsWindowVisible(window) || SendMessageA(window, PSM_GETTABCONTROL, 0, 0) == 0)
        return TRUE;
    *reinterpret_cast<HWND*>(result) = window;
    return FALSE;
}

// This thread's shown property sheet, or nullptr.
inline HWND FindShownSheet() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &TakeShownSheet, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Pages `first` and `second` of `sheet` show `item`, whose streams "a" and "b" hold
// "stream a" and "stream b": with "b" selected on the first and "a" on the second, View
// and Delete on each page must act on that page's selection only.
inline void ExpectEachPageActsOnItsOwnSelection(Sheet& sheet, const std::wstring& item, int first, int second) {
    for (const auto& page : {std::make_pair(first, "b"), std::make_pair(second, "a")}) {
        sheet.Select(page.first);
        sheet.ClickEntry(sheet.IndexOf(page.second + std::string(" * 8")));
    }
    for (const auto& page : {std::make_pair(first, "b"), std::make_pair(second, "a")}) {
        SCOPED_TRACE("page " + std::to_string(page.first) + " of the sheet, on " + ToAnsi(item) + ", stream " +
                     page.second);
        sheet.Select(page.first);
        sheet.PressView();
        EXPECT_TRUE(SameText(sheet.PaneText(), "stream " + std::string(page.second)));
        sheet.PressDelete();
        EXPECT_FALSE(PathExists(StreamPath(item, FromAnsi(page.second))));
    }
}

}  // namespace tessaline::testing
