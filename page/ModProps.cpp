#include "ModProps.h"

#include <algorithm>
#include <new>

#include "StreamQuery.h"
#include "Win32Util.h"

namespace tessaline {

// ---- per-thread state -------------------------------------------------------------
// TlsAlloc rather than thread_local: XP gives no implicit TLS to a DLL loaded with
// LoadLibrary, which is how Explorer loads us.

namespace {

LONG g_tlsIndex = static_cast<LONG>(TLS_OUT_OF_INDEXES);

DWORD TlsIndex() {
    LONG index = InterlockedCompareExchange(&g_tlsIndex, 0, 0);
    if (index != static_cast<LONG>(TLS_OUT_OF_INDEXES))
        return static_cast<DWORD>(index);
    const DWORD fresh = TlsAlloc();
    index = InterlockedCompareExchange(&g_tlsIndex, static_cast<LONG>(fresh), static_cast<LONG>(TLS_OUT_OF_INDEXES));
    if (index == static_cast<LONG>(TLS_OUT_OF_INDEXES))
        return fresh;
    TlsFree(fresh);  // another thread won
    return static_cast<DWORD>(index);
}

}  // namespace

PageState& ModProps() {
    const DWORD index = TlsIndex();
    auto* state = static_cast<PageState*>(TlsGetValue(index));
    if (state == nullptr) {
        state = new PageState;
        TlsSetValue(index, state);
    }
    return *state;
}

void ModPropsThreadDetach() {
    const LONG index = InterlockedCompareExchange(&g_tlsIndex, 0, 0);
    if (index == static_cast<LONG>(TLS_OUT_OF_INDEXES))
        return;
    delete static_cast<PageState*>(TlsGetValue(static_cast<DWORD>(index)));
    TlsSetValue(static_cast<DWORD>(index), nullptr);
}

void ModPropsProcessDetach() {
    ModPropsThreadDetach();
    const LONG index = InterlockedExchange(&g_tlsIndex, static_cast<LONG>(TLS_OUT_OF_INDEXES));
    if (index != static_cast<LONG>(TLS_OUT_OF_INDEXES))
        TlsFree(static_cast<DWORD>(index));
}

// ---- stream listing ---------------------------------------------------------------

std::vector<StreamEntry> ListStreams(const std::wstring& path) {
    // Backup semantics opens a folder as well as a file.
    UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!file)
        return {};
    try {
        const std::vector<uint8_t> records = QueryGrowing([&](uint8_t* buffer, uint32_t length) {
            return static_cast<uint32_t>(QueryStreamInformation(file.get(), buffer, length));
        });
        return WalkStreamRecords(records.data(), records.size());
    } catch (const std::bad_alloc&) {
        return {};
    }
}

void FillStreamList(const std::wstring& path) {
    PageState& s = ModProps();
    for (const StreamEntry& entry : ListStreams(path)) {
        const std::u16string shown = TrimBlanks(entry.display);
        if (shown.empty())
            continue;
        const std::string ansi = ToAnsi(std::wstring(shown.begin(), shown.end()));
        const LRESULT index = SendMessageA(s.hStreamList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ansi.c_str()));
        if (index < 0)
            continue;
        s.streamNames.emplace_back(entry.name.begin(), entry.name.end());
        SendMessageA(s.hStreamList, LB_SETITEMDATA, index, static_cast<LPARAM>(s.streamNames.size() - 1));
    }
}

// ---- the page -----------------------------------------------------------------------

namespace {

void Subclass(HWND control, WNDPROC& saved, WNDPROC replacement) {
    if (control == nullptr || saved != nullptr)
        return;
    saved = reinterpret_cast<WNDPROC>(SetWindowLongA(control, GWL_WNDPROC, reinterpret_cast<LONG>(replacement)));
}

void Restore(HWND control, WNDPROC& saved) {
    if (saved == nullptr)
        return;
    SetWindowLongA(control, GWL_WNDPROC, reinterpret_cast<LONG>(saved));
    saved = nullptr;  // so that the next page on this thread is wired again
}

}  // namespace

UINT CALLBACK PageCallbackProc(HWND, UINT message, LPPROPSHEETPAGEA page) {
    PageState& s = ModProps();
    s.oPage = page != nullptr ? reinterpret_cast<_Page*>(page->lParam) : nullptr;
    if (message == PSPCB_RELEASE) {
        Restore(s.hViewButton, s.lpPrevViewProc);
        Restore(s.hDeleteButton, s.lpPrevDeleteProc);
        Restore(s.hStreamList, s.lpPrevListProc);
        // The page object took a reference for its page; this is the one place that
        // gives it back (comctl32 sends PSPCB_RELEASE also for a page never shown).
        if (s.oPage != nullptr)
            s.oPage->Release();
        s.oPage = nullptr;
    }
    return 1;
}

INT_PTR CALLBACK PageDlgProc(HWND hDlg, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG)
        InitPage(hDlg);
    else if (message == WM_DESTROY)
        ModProps().oPage = nullptr;
    return 0;
}

LONG_PTR ProcAddress(LONG_PTR address) { return address; }

void InitPage(HWND hDlg) {
    PageState& s = ModProps();
    s.bViewBusy = kFalse;
    s.bDeleteBusy = kFalse;
    s.hStreamList = GetDlgItem(hDlg, IDC_STREAM_LIST);
    s.hViewPane = GetDlgItem(hDlg, IDC_VIEW_PANE);

    // A page whose object gives no path lists nothing, rather than the file of an
    // earlier page on this thread.
    s.sFilePath.clear();
    BSTR path = nullptr;
    if (s.oPage != nullptr && SUCCEEDED(s.oPage->get_SelectedFile(&path)) && path != nullptr)
        s.sFilePath.assign(path, SysStringLen(path));
    SysFreeString(path);

    s.streamNames.clear();
    FillStreamList(s.sFilePath);

    if (s.hStreamList != nullptr) {
        s.hViewButton = GetDlgItem(hDlg, IDC_VIEW);
        Subclass(s.hViewButton, s.lpPrevViewProc, ViewButtonProc);
        s.hDeleteButton = GetDlgItem(hDlg, IDC_DELETE);
        Subclass(s.hDeleteButton, s.lpPrevDeleteProc, DeleteButtonProc);
        Subclass(s.hStreamList, s.lpPrevListProc, StreamListProc);
        SetButtonsEnabled(kFalse);
    }
}

LRESULT CALLBACK ViewButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN)
        ViewSelectedStream();
    return CallWindowProcA(ModProps().lpPrevViewProc, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK DeleteButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN)
        DeleteSelectedStream();
    return CallWindowProcA(ModProps().lpPrevDeleteProc, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK StreamListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    PageState& s = ModProps();
    if (message == WM_LBUTTONUP) {
        s.lListIndex = static_cast<LONG>(SendMessageA(s.hStreamList, LB_GETCURSEL, 0, 0));
        SetButtonsEnabled(s.lListIndex > -1 ? kTrue : kFalse);
        ClearViewPane();
    }
    return CallWindowProcA(s.lpPrevListProc, hwnd, message, wParam, lParam);
}

void SetButtonsEnabled(short enable) {
    PageState& s = ModProps();
    const short enabled = IsWindowEnabled(s.hViewButton) ? kTrue : kFalse;
    if (enabled == enable)
        return;  // only View is asked: the two always change together
    EnableWindow(s.hViewButton, enable == kTrue);
    EnableWindow(s.hDeleteButton, enable == kTrue);
}

// ---- View and Delete ----------------------------------------------------------------

namespace {

// The stream path of the selected entry, from the exact name kept beside it (never from
// the shown text, which is trimmed and code-page converted); empty when there is none.
std::wstring SelectedStreamPath() {
    PageState& s = ModProps();
    if (s.lListIndex < 0)
        return std::wstring();
    const LRESULT id = SendMessageA(s.hStreamList, LB_GETITEMDATA, s.lListIndex, 0);
    if (id < 0 || static_cast<size_t>(id) >= s.streamNames.size())
        return std::wstring();
    const std::wstring& name = s.streamNames[id];
    if (name.empty() || s.sFilePath.empty())
        return std::wstring();
    return s.sFilePath + L":" + name;
}

}  // namespace

void ViewSelectedStream() {
    PageState& s = ModProps();
    if (s.bViewBusy == kTrue)
        return;
    s.bViewBusy = kTrue;
    if (!GetSelectedEntry().empty()) {
        // One byte more than is ever read, so the text always ends inside the buffer.
        char text[kViewBytes + 1] = {};
        const std::wstring streamPath = SelectedStreamPath();
        if (!streamPath.empty()) {
            UniqueFile stream(CreateFileW(streamPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                          nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
            if (stream) {
                DWORD high = 0;
                const DWORD low = GetFileSize(stream.get(), &high);
                const ULONGLONG size = (static_cast<ULONGLONG>(high) << 32) | low;
                const DWORD wanted = static_cast<DWORD>(std::min<ULONGLONG>(size, kViewBytes));
                DWORD read = 0;
                if (wanted > 0)
                    ReadFile(stream.get(), text, wanted, &read, nullptr);
            }
        }
        SelectAllViewText();
        SendMessageA(s.hViewPane, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(text));
        DeselectViewText();
    }
    s.bViewBusy = kFalse;
}

void DeleteSelectedStream() {
    PageState& s = ModProps();
    if (s.bDeleteBusy == kTrue)
        return;
    s.bDeleteBusy = kTrue;
    if (!GetSelectedEntry().empty()) {
        const std::wstring streamPath = SelectedStreamPath();
        // No confirmation: the button is the confirmation.
        if (!streamPath.empty() && DeleteFileW(streamPath.c_str())) {
            RemoveSelectedEntry();
            ClearViewPane();
            SetButtonsEnabled(kFalse);
        }
    }
    s.bDeleteBusy = kFalse;
}

std::wstring GetSelectedEntry() {
    PageState& s = ModProps();
    s.lListIndex = static_cast<LONG>(SendMessageA(s.hStreamList, LB_GETCURSEL, 0, 0));
    if (s.lListIndex < 0)
        return std::wstring();
    const LRESULT length = SendMessageA(s.hStreamList, LB_GETTEXTLEN, s.lListIndex, 0);
    if (length <= 0)
        return std::wstring();
    std::string text(static_cast<size_t>(length) + 1, '\0');
    const LRESULT copied = SendMessageA(s.hStreamList, LB_GETTEXT, s.lListIndex, reinterpret_cast<LPARAM>(&text[0]));
    if (copied <= 0)
        return std::wstring();
    return FromAnsi(text.c_str(), static_cast<int>(std::min(copied, length)));
}

void RemoveSelectedEntry() {
    PageState& s = ModProps();
    const LRESULT index = SendMessageA(s.hStreamList, LB_GETCURSEL, 0, 0);
    if (index >= 0)
        SendMessageA(s.hStreamList, LB_DELETESTRING, index, 0);
}

void ClearViewPane() {
    SelectAllViewText();
    SendMessageA(ModProps().hViewPane, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(""));
    DeselectViewText();
}

void SelectAllViewText() { SendMessageA(ModProps().hViewPane, EM_SETSEL, 0, -1); }

void DeselectViewText() { SendMessageA(ModProps().hViewPane, EM_SETSEL, static_cast<WPARAM>(-1), 0); }

}  // namespace tessaline
