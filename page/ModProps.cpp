// ModProps, in four parts: the state (per thread, one record per live page), the stream
// listing, the page's procedures (page callback, dialog procedure, subclassed controls),
// and View and Delete.
#include "ModProps.h"

#include <algorithm>
#include <memory>
#include <new>

#include "Boundary.h"
#include "FileCalls.h"
#include "StreamPath.h"
#include "StreamQuery.h"
#include "Win32Util.h"
#include "resource.h"

namespace tessaline {
namespace {

// Used across the parts below; each is defined in its own part.
PageState* FindPage(HWND hDlg);
void InitPage(HWND hDlg);
void EndPage(HWND hDlg);
LRESULT CALLBACK ViewButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK DeleteButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK StreamListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
void SetButtonsEnabled(PageState& s, short enable);
void ViewSelectedStream(PageState& s);
void DeleteSelectedStream(PageState& s);
std::wstring GetSelectedEntry(PageState& s);
void RemoveSelectedEntry(PageState& s);
void ClearViewPane(PageState& s);
void SelectAllViewText(PageState& s);
void DeselectViewText(PageState& s);

}  // namespace

// ---- 1. state ---------------------------------------------------------------------------
// TlsAlloc rather than thread_local: XP gives no implicit TLS to a DLL loaded with
// LoadLibrary, which is how Explorer loads us. Every thread's state is also on one list,
// so that an unload can free the states of threads that are still running.

namespace {

LONG g_tlsIndex = static_cast<LONG>(TLS_OUT_OF_INDEXES);
LONG g_listBusy = 0;
ThreadPages* g_threads = nullptr;

// Held for a few instructions at a thread's first page and its end; no loader work inside.
class ListLock {
public:
    ListLock() {
        while (InterlockedExchange(&g_listBusy, 1) != 0)
            Sleep(0);
    }
    ~ListLock() { InterlockedExchange(&g_listBusy, 0); }
    ListLock(const ListLock&) = delete;
    ListLock& operator=(const ListLock&) = delete;
};

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

void FreeThreadPages(ThreadPages* state) {
    for (PageState* page : state->pages)
        delete page;
    delete state;
}

}  // namespace

ThreadPages& ModProps() {
    const DWORD index = TlsIndex();
    auto* state = static_cast<ThreadPages*>(TlsGetValue(index));
    if (state == nullptr) {
        state = new ThreadPages;
        TlsSetValue(index, state);
        ListLock lock;
        state->next = g_threads;
        if (g_threads != nullptr)
            g_threads->previous = state;
        g_threads = state;
    }
    return *state;
}

void ModPropsThreadDetach() {
    const LONG index = InterlockedCompareExchange(&g_tlsIndex, 0, 0);
    if (index == static_cast<LONG>(TLS_OUT_OF_INDEXES))
        return;
    auto* state = static_cast<ThreadPages*>(TlsGetValue(static_cast<DWORD>(index)));
    if (state == nullptr)
        return;
    TlsSetValue(static_cast<DWORD>(index), nullptr);
    {
        ListLock lock;
        if (state->previous != nullptr)
            state->previous->next = state->next;
        else
            g_threads = state->next;
        if (state->next != nullptr)
            state->next->previous = state->previous;
    }
    FreeThreadPages(state);
}

void ModPropsProcessDetach() {
    ThreadPages* all = nullptr;
    {
        ListLock lock;
        all = g_threads;
        g_threads = nullptr;
    }
    while (all != nullptr) {
        ThreadPages* next = all->next;
        FreeThreadPages(all);
        all = next;
    }
    const LONG index = InterlockedExchange(&g_tlsIndex, static_cast<LONG>(TLS_OUT_OF_INDEXES));
    if (index != static_cast<LONG>(TLS_OUT_OF_INDEXES))
        TlsFree(static_cast<DWORD>(index));
}

namespace {

// This thread's state if it has one; makes none (and so never fails), for the control
// procedures, which run outside any boundary when they hand a message on.
ThreadPages* ThisThreadPages() {
    const LONG index = InterlockedCompareExchange(&g_tlsIndex, 0, 0);
    if (index == static_cast<LONG>(TLS_OUT_OF_INDEXES))
        return nullptr;
    return static_cast<ThreadPages*>(TlsGetValue(static_cast<DWORD>(index)));
}

PageState* FindPage(HWND hDlg) {
    if (ThreadPages* thread = ThisThreadPages())
        for (PageState* page : thread->pages)
            if (page->hDlg == hDlg)
                return page;
    return nullptr;
}

}  // namespace

// ---- 2. stream listing ------------------------------------------------------------------

namespace {

std::u16string U16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }
std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

std::vector<StreamEntry> ListStreams(const std::wstring& path) {
    const std::wstring exact = Wide(ExactPath(U16(path)));
    if (exact.empty())
        return {};
    UniqueFile file(OpenToRead(exact.c_str()));
    if (!file)
        return {};
    try {
        const std::vector<uint8_t> records = QueryGrowing([&](uint8_t* buffer, uint32_t length) {
            return static_cast<uint32_t>(QueryStreamInformation(file.get(), buffer, length));
        });
        return WalkStreamRecords(records.data(), records.size());
    } catch (const std::bad_alloc&) {
        return {};  // listed as a stream-less item, like any other failure here
    }
}

void FillStreamList(PageState& s, const std::wstring& path) {
    for (const StreamEntry& entry : ListStreams(path)) {
        const std::u16string shown = TrimBlanks(entry.display);
        if (shown.empty())
            continue;
        const std::string ansi = ToAnsi(Wide(shown));
        // The name is kept before the list learns of the entry, and an entry whose item
        // data the list refuses goes again: its data would name another stream.
        s.streamNames.push_back(Wide(entry.name));
        const LRESULT index = SendMessageA(s.hStreamList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ansi.c_str()));
        if (index >= 0 && SendMessageA(s.hStreamList, LB_SETITEMDATA, index,
                                       static_cast<LPARAM>(s.streamNames.size() - 1)) != LB_ERR)
            continue;
        if (index >= 0)
            SendMessageA(s.hStreamList, LB_DELETESTRING, index, 0);
        s.streamNames.pop_back();
    }
}

// ---- 3. the page's procedures ------------------------------------------------------------

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
    saved = nullptr;
}

}  // namespace

UINT CALLBACK PageCallbackProc(HWND, UINT message, LPPROPSHEETPAGEA page) {
    WindowBoundary([&] {
        ThreadPages& thread = ModProps();
        thread.oPage = page != nullptr ? reinterpret_cast<_Page*>(page->lParam) : nullptr;
        if (message == PSPCB_RELEASE) {
            // The page object took a reference for its page; this is the one place that
            // gives it back (comctl32 sends PSPCB_RELEASE also for a page never shown).
            if (thread.oPage != nullptr)
                thread.oPage->Release();
            thread.oPage = nullptr;
        }
    });
    return 1;
}

INT_PTR CALLBACK PageDlgProc(HWND hDlg, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG)
        WindowBoundary([&] { InitPage(hDlg); });
    else if (message == WM_DESTROY)
        WindowBoundary([&] { EndPage(hDlg); });
    return 0;
}

LONG_PTR ProcAddress(LONG_PTR address) { return address; }

namespace {

// The dialog is going: its controls get their own procedures back before they are
// destroyed, and its state goes.
void EndPage(HWND hDlg) {
    ThreadPages* thread = ThisThreadPages();
    if (thread == nullptr)
        return;
    thread->oPage = nullptr;
    const auto found = std::find_if(thread->pages.begin(), thread->pages.end(),
                                    [hDlg](const PageState* page) { return page->hDlg == hDlg; });
    if (found == thread->pages.end())
        return;
    PageState* s = *found;
    thread->pages.erase(found);
    Restore(s->hViewButton, s->lpPrevViewProc);
    Restore(s->hDeleteButton, s->lpPrevDeleteProc);
    Restore(s->hStreamList, s->lpPrevListProc);
    delete s;
}

// The previous procedure of a subclassed control, from its page; the class's own
// procedure should the page be unknown.
LRESULT CallPrevious(WNDPROC PageState::*saved, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const PageState* s = FindPage(GetParent(hwnd));
    WNDPROC previous = s != nullptr ? s->*saved : nullptr;
    if (previous == nullptr)
        previous = reinterpret_cast<WNDPROC>(GetClassLongA(hwnd, GCL_WNDPROC));
    return CallWindowProcA(previous, hwnd, message, wParam, lParam);
}

// A busy flag that is set back however the operation ends.
class Busy {
public:
    explicit Busy(short& flag) : flag_(flag) { flag_ = kTrue; }
    ~Busy() { flag_ = kFalse; }
    Busy(const Busy&) = delete;
    Busy& operator=(const Busy&) = delete;

private:
    short& flag_;
};

void InitPage(HWND hDlg) {
    ThreadPages& thread = ModProps();
    if (FindPage(hDlg) != nullptr)
        return;
    auto owned = std::make_unique<PageState>();
    PageState& s = *owned;
    s.hDlg = hDlg;
    s.hStreamList = GetDlgItem(hDlg, IDC_STREAM_LIST);
    s.hViewPane = GetDlgItem(hDlg, IDC_VIEW_PANE);

    // A page whose object gives no path lists nothing.
    UniqueBstr path;
    if (thread.oPage != nullptr && SUCCEEDED(thread.oPage->get_SelectedFile(path.put())) && path)
        s.sFilePath.assign(path.get(), SysStringLen(path.get()));

    FillStreamList(s, s.sFilePath);
    thread.pages.push_back(owned.get());
    owned.release();

    if (s.hStreamList != nullptr) {
        s.hViewButton = GetDlgItem(hDlg, IDC_VIEW);
        Subclass(s.hViewButton, s.lpPrevViewProc, ViewButtonProc);
        s.hDeleteButton = GetDlgItem(hDlg, IDC_DELETE);
        Subclass(s.hDeleteButton, s.lpPrevDeleteProc, DeleteButtonProc);
        Subclass(s.hStreamList, s.lpPrevListProc, StreamListProc);
        SetButtonsEnabled(s, kFalse);
    }
}

LRESULT CALLBACK ViewButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN)
        WindowBoundary([&] {
            if (PageState* s = FindPage(GetParent(hwnd)))
                ViewSelectedStream(*s);
        });
    return CallPrevious(&PageState::lpPrevViewProc, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK DeleteButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN)
        WindowBoundary([&] {
            if (PageState* s = FindPage(GetParent(hwnd)))
                DeleteSelectedStream(*s);
        });
    return CallPrevious(&PageState::lpPrevDeleteProc, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK StreamListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONUP)
        WindowBoundary([&] {
            PageState* s = FindPage(GetParent(hwnd));
            if (s == nullptr)
                return;
            s->lListIndex = static_cast<LONG>(SendMessageA(s->hStreamList, LB_GETCURSEL, 0, 0));
            SetButtonsEnabled(*s, s->lListIndex > -1 ? kTrue : kFalse);
            ClearViewPane(*s);
        });
    return CallPrevious(&PageState::lpPrevListProc, hwnd, message, wParam, lParam);
}

void SetButtonsEnabled(PageState& s, short enable) {
    const short enabled = IsWindowEnabled(s.hViewButton) ? kTrue : kFalse;
    if (enabled == enable)
        return;  // only View is asked: the two always change together
    EnableWindow(s.hViewButton, enable == kTrue);
    EnableWindow(s.hDeleteButton, enable == kTrue);
}

// ---- 4. View and Delete -----------------------------------------------------------------

constexpr DWORD kViewBytes = 2048;  // what View shows of a stream at most

// The exact path of the selected entry's stream, from the name kept beside the entry
// (never from the shown text, which is trimmed and code-page converted); empty when there
// is none.
std::wstring SelectedStreamPath(PageState& s) {
    if (s.lListIndex < 0)
        return std::wstring();
    const LRESULT id = SendMessageA(s.hStreamList, LB_GETITEMDATA, s.lListIndex, 0);
    if (id < 0 || static_cast<size_t>(id) >= s.streamNames.size())
        return std::wstring();
    return Wide(ExactStreamPath(U16(s.sFilePath), U16(s.streamNames[id])));
}

void ViewSelectedStream(PageState& s) {
    if (s.bViewBusy == kTrue)
        return;
    Busy busy(s.bViewBusy);
    if (GetSelectedEntry(s).empty())
        return;
    // One byte more than is ever read, so the text always ends inside the buffer.
    char text[kViewBytes + 1] = {};
    const std::wstring streamPath = SelectedStreamPath(s);
    if (!streamPath.empty()) {
        UniqueFile stream(OpenToRead(streamPath.c_str()));
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
    SelectAllViewText(s);
    SendMessageA(s.hViewPane, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(text));
    DeselectViewText(s);
}

void DeleteSelectedStream(PageState& s) {
    if (s.bDeleteBusy == kTrue)
        return;
    Busy busy(s.bDeleteBusy);
    if (GetSelectedEntry(s).empty())
        return;
    const std::wstring streamPath = SelectedStreamPath(s);
    // No confirmation: the button is the confirmation.
    if (!streamPath.empty() && DeletePath(streamPath.c_str())) {
        RemoveSelectedEntry(s);
        ClearViewPane(s);
        SetButtonsEnabled(s, kFalse);
    }
}

std::wstring GetSelectedEntry(PageState& s) {
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

void RemoveSelectedEntry(PageState& s) {
    const LRESULT index = SendMessageA(s.hStreamList, LB_GETCURSEL, 0, 0);
    if (index >= 0)
        SendMessageA(s.hStreamList, LB_DELETESTRING, index, 0);
}

void ClearViewPane(PageState& s) {
    SelectAllViewText(s);
    SendMessageA(s.hViewPane, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(""));
    DeselectViewText(s);
}

void SelectAllViewText(PageState& s) { SendMessageA(s.hViewPane, EM_SETSEL, 0, -1); }

void DeselectViewText(PageState& s) { SendMessageA(s.hViewPane, EM_SETSEL, static_cast<WPARAM>(-1), 0); }

}  // namespace
}  // namespace tessaline
