#include "PageHarness.h"

#include <gtest/gtest.h>

#include "TestFiles.h"

#include "resource.h"

namespace tessaline::testing {

void Pump() {
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

bool PumpUntil(HANDLE event, DWORD ms) {
    const DWORD end = GetTickCount() + ms;
    for (;;) {
        const DWORD now = GetTickCount();
        const DWORD left = static_cast<LONG>(end - now) > 0 ? end - now : 0;
        const DWORD woke = MsgWaitForMultipleObjects(1, &event, FALSE, left, QS_ALLINPUT);
        if (woke == WAIT_OBJECT_0)
            return true;
        if (woke != WAIT_OBJECT_0 + 1)
            return false;
        Pump();
    }
}

void InitControls() {
    static bool initialised = [] {
        INITCOMMONCONTROLSEX icc = {sizeof(icc), ICC_WIN95_CLASSES};
        return InitCommonControlsEx(&icc) != FALSE;
    }();
    (void)initialised;
}

Sheet::Sheet(std::vector<HPROPSHEETPAGE> pages) {
    InitControls();
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_MODELESS | PSH_NOAPPLYNOW;
    header.pszCaption = "Properties";
    header.nPages = static_cast<UINT>(pages.size());
    header.phpage = pages.data();
    sheet = reinterpret_cast<HWND>(PropertySheetA(&header));
    EXPECT_NE(sheet, nullptr);
    Pump();
    TakeControls();
}

void Sheet::Select(int index) {
    SendMessageA(sheet, PSM_SETCURSEL, index, 0);
    Pump();
    TakeControls();
}

void Sheet::TakeControls() {
    page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
    list = GetDlgItem(page, IDC_STREAM_LIST);
    view = GetDlgItem(page, IDC_VIEW);
    del = GetDlgItem(page, IDC_DELETE);
    pane = GetDlgItem(page, IDC_VIEW_PANE);
}

Sheet::Sheet(HWND shown) : sheet(shown), adopted(true) { TakeControls(); }

Sheet::~Sheet() { Close(); }

void Sheet::Close() {
    if (sheet != nullptr) {
        if (adopted)
            SendMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        else
            DestroyWindow(sheet);
        sheet = nullptr;
        Pump();
    }
}

std::vector<std::string> Sheet::TabTitles() const {
    std::vector<std::string> titles;
    HWND tabs = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
    for (int i = 0; i < static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0)); ++i) {
        char text[64] = {};
        TCITEMA tab = {};
        tab.mask = TCIF_TEXT;
        tab.pszText = text;
        tab.cchTextMax = sizeof(text);
        SendMessageA(tabs, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&tab));
        titles.push_back(text);
    }
    return titles;
}

std::vector<std::string> Sheet::Entries() const {
    std::vector<std::string> entries;
    const int count = static_cast<int>(SendMessageA(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        std::string text(SendMessageA(list, LB_GETTEXTLEN, i, 0) + 1, '\0');
        const LRESULT n = SendMessageA(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(&text[0]));
        text.resize(n > 0 ? n : 0);
        entries.push_back(text);
    }
    return entries;
}

int Sheet::Selection() const { return static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0)); }

std::string Sheet::PaneText() const {
    std::string text(GetWindowTextLengthA(pane) + 1, '\0');
    text.resize(GetWindowTextA(pane, &text[0], static_cast<int>(text.size())));
    return text;
}

int Sheet::IndexOf(const std::string& entry) const {
    const auto entries = Entries();
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i] == entry)
            return static_cast<int>(i);
    ADD_FAILURE() << "no entry \"" << entry << "\"";
    return -1;
}

namespace {

void PressAndRelease(HWND control, POINT at) {
    const LPARAM where = MAKELPARAM(at.x, at.y);
    SendMessageA(control, WM_LBUTTONDOWN, MK_LBUTTON, where);
    Pump();
    SendMessageA(control, WM_LBUTTONUP, 0, where);
    Pump();
}

POINT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

}  // namespace

void Sheet::ClickEntry(int index) {
    RECT item = {};
    ASSERT_NE(SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item)), LB_ERR);
    PressAndRelease(list, Centre(item));
}

void Sheet::Press(HWND button) {
    if (!IsWindowEnabled(button))
        return;  // the system sends a disabled window no mouse message
    RECT r = {};
    GetClientRect(button, &r);
    PressAndRelease(button, Centre(r));
}

namespace {

BOOL CALLBACK TakeSheet(HWND window, LPARAM result) {
    if (!IsWindowVisible(window) || SendMessageA(window, PSM_GETTABCONTROL, 0, 0) == 0)
        return TRUE;
    *reinterpret_cast<HWND*>(result) = window;
    return FALSE;
}

}  // namespace

HWND FindShownSheet() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), &TakeSheet, reinterpret_cast<LPARAM>(&found));
    return found;
}

void ExpectEachPageActsOnItsOwnSelection(Sheet& sheet, const std::wstring& item, int first, int second) {
    sheet.Select(second);  // a page's dialog is made when it is first shown
    const struct {
        int page;
        const char* entry;
        const char* content;
        const wchar_t* stream;
    } selections[] = {{first, "b * 8", "stream b", L"b"}, {second, "a * 8", "stream a", L"a"}};
    for (const auto& s : selections) {
        sheet.Select(s.page);
        sheet.ClickEntry(sheet.IndexOf(s.entry));
        EXPECT_TRUE(sheet.ViewEnabled()) << "page " << s.page;
    }
    for (const auto& s : selections) {
        SCOPED_TRACE(s.entry);
        sheet.Select(s.page);
        sheet.PressView();
        EXPECT_EQ(sheet.PaneText(), s.content);
        sheet.PressDelete();
        EXPECT_FALSE(PathExists(StreamPath(item, s.stream)));
        EXPECT_EQ(sheet.Entries().size(), 1u);
    }
}

}  // namespace tessaline::testing
