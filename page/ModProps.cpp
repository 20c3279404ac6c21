// ModProps: the Streams page. Each page's state lives on its own dialog (DWLP_USER), made at
// WM_INITDIALOG and freed at WM_DESTROY; the controls' procedures find it from their parent.
// The one per-thread field, oPage, is in a TLS slot made at process attach.
#include "ModProps.h"

#include <algorithm>
#include <memory>
#include <new>

#include "Boundary.h"
#include "StreamPath.h"
#include "StreamQuery.h"
#include "Win32Util.h"
#include "resource.h"

namespace tessaline {
namespace {

// ---- oPage, per thread -----------------------------------------------------------------
// TlsAlloc rather than thread_local: XP gives no implicit TLS to a DLL loaded with
// LoadLibrary, which is how Explorer loads us.

DWORD g_oPageSlot = TLS_OUT_OF_INDEXES;

_Page* GetPageObject() {
    return g_oPageSlot == TLS_OUT_OF_INDEXES ? nullptr : static_cast<_Page*>(TlsGetValue(g_oPageSlot));
}

void SetPageObject(_Page* page) {
    if (g_oPageSlot != TLS_OUT_OF_INDEXES)
        TlsSetValue(g_oPageSlot, page);
}

// ---- a page's state --------------------------------------------------------------------

PageState* StateOf(HWND hDlg) {
    return hDlg != nullptr ? reinterpret_cast<PageState*>(GetWindowLongPtrA(hDlg, DWLP_USER)) : nullptr;
}

std::u16string U16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }
std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

// The one way the page opens an item or a stream, so that the listing, View and Delete reach
// one object. Backup semantics open a folder too.
HANDLE OpenStream(const std::wstring& path, DWORD access, DWORD flags = 0) {
    return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                       FILE_FLAG_BACKUP_SEMANTICS | flags, nullptr);
}

}  // namespace

void ModPropsProcessAttach() { g_oPageSlot = TlsAlloc(); }

void ModPropsProcessDetach() {
    if (g_oPageSlot != TLS_OUT_OF_INDEXES)
        TlsFree(g_oPageSlot);
    g_oPageSlot = TLS_OUT_OF_INDEXES;
}

// ---- stream listing ---------------------------------------------------------------------

std::vector<StreamEntry> ListStreams(const std::wstring& path) {
    const std::wstring exact = Wide(ExactPath(U16(path)));
    if (exact.empty())
        return {};
    // The stream information needs no access right of its own, and an open for attributes
    // alone takes no part in sharing: a file another program holds without sharing, or
    // one the user may not read, still lists its streams.
    UniqueFile file(OpenStream(exact, FILE_READ_ATTRIBUTES));
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

namespace {

// ---- the list's selection and the view pane ----------------------------------------------

constexpr DWORD kViewBytes = 2048;  // what View shows of a stream at most

void SetButtonsEnabled(PageState& s, short enable) {
    const short enabled = IsWindowEnabled(s.hViewButton) ? kTrue : kFalse;
    if (enabled == enable)
        return;  // only View is asked: the two always change together
    EnableWindow(s.hViewButton, enable == kTrue);
    EnableWindow(s.hDeleteButton, enable == kTrue);
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

void SelectAllViewText(PageState& s) { SendMessageA(s.hViewPane, EM_SETSEL, 0, -1); }

void DeselectViewText(PageState& s) { SendMessageA(s.hViewPane, EM_SETSEL, static_cast<WPARAM>(-1), 0); }

void ClearViewPane(PageState& s) {
    SelectAllViewText(s);
    SendMessageA(s.hViewPane, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(""));
    DeselectViewText(s);
}

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

// ---- View and Delete -------------------------------------------------------------------

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
        UniqueFile stream(OpenStream(streamPath, GENERIC_READ));
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

// Deleted through a handle opened as View opens the stream: DeleteFileW would act on a
// junction's or mount point's own stream of that name, where the listing and View follow the
// link. A stream held open without delete sharing cannot be opened so, and stays.
bool DeleteStream(const std::wstring& streamPath) {
    UniqueFile stream(OpenStream(streamPath, DELETE, FILE_FLAG_DELETE_ON_CLOSE));
    return static_cast<bool>(stream);  // deleted as the handle closes
}

void DeleteSelectedStream(PageState& s) {
    if (s.bDeleteBusy == kTrue)
        return;
    Busy busy(s.bDeleteBusy);
    if (GetSelectedEntry(s).empty())
        return;
    const std::wstring streamPath = SelectedStreamPath(s);
    // No confirmation: the button is the confirmation.
    if (!streamPath.empty() && DeleteStream(streamPath)) {
        RemoveSelectedEntry(s);
        ClearViewPane(s);
        SetButtonsEnabled(s, kFalse);
    }
}

// ---- the subclassed controls -------------------------------------------------------------

// Where a control that another procedure subclassed after us keeps our previous procedure
// once its page is gone, so that we hand its messages on until it is destroyed.
const char kPreviousProc[] = "Tessaline.PreviousProc";

// The previous procedure of a subclassed control: from its page while there is one, else
// from the control itself; the class's own procedure should neither know it.
LRESULT CallPrevious(WNDPROC PageState::*saved, HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const PageState* s = StateOf(GetParent(hwnd));
    WNDPROC previous = s != nullptr ? s->*saved : reinterpret_cast<WNDPROC>(GetPropA(hwnd, kPreviousProc));
    if (message == WM_NCDESTROY)
        RemovePropA(hwnd, kPreviousProc);
    if (previous == nullptr)
        previous = reinterpret_cast<WNDPROC>(GetClassLongA(hwnd, GCL_WNDPROC));
    return CallWindowProcA(previous, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK ViewButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN)
        WindowBoundary([&] {
            if (PageState* s = StateOf(GetParent(hwnd)))
                ViewSelectedStream(*s);
        });
    return CallPrevious(&PageState::lpPrevViewProc, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK DeleteButtonProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONDOWN)
        WindowBoundary([&] {
            if (PageState* s = StateOf(GetParent(hwnd)))
                DeleteSelectedStream(*s);
        });
    return CallPrevious(&PageState::lpPrevDeleteProc, hwnd, message, wParam, lParam);
}

LRESULT CALLBACK StreamListProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_LBUTTONUP)
        WindowBoundary([&] {
            PageState* s = StateOf(GetParent(hwnd));
            if (s == nullptr)
                return;
            s->lListIndex = static_cast<LONG>(SendMessageA(s->hStreamList, LB_GETCURSEL, 0, 0));
            SetButtonsEnabled(*s, s->lListIndex > -1 ? kTrue : kFalse);
            ClearViewPane(*s);
        });
    return CallPrevious(&PageState::lpPrevListProc, hwnd, message, wParam, lParam);
}

void Subclass(HWND control, WNDPROC& saved, WNDPROC ours) {
    if (control == nullptr || saved != nullptr)
        return;
    saved = reinterpret_cast<WNDPROC>(SetWindowLongA(control, GWL_WNDPROC, reinterpret_cast<LONG>(ours)));
}

// Gives the control its previous procedure back while ours is still its procedure. When
// another procedure subclassed it since, setting ours aside would cut that one out of the
// chain (or put back one that had let go): the chain stays, and ours hands on.
void Restore(HWND control, WNDPROC& saved, WNDPROC ours) {
    if (saved == nullptr)
        return;
    if (GetWindowLongA(control, GWL_WNDPROC) == reinterpret_cast<LONG>(ours))
        SetWindowLongA(control, GWL_WNDPROC, reinterpret_cast<LONG>(saved));
    else
        SetPropA(control, kPreviousProc, reinterpret_cast<HANDLE>(saved));
    saved = nullptr;
}

// ---- the page's life -------------------------------------------------------------------

void InitPage(HWND hDlg) {
    if (StateOf(hDlg) != nullptr)
        return;
    auto owned = std::make_unique<PageState>();
    PageState& s = *owned;
    s.hStreamList = GetDlgItem(hDlg, IDC_STREAM_LIST);
    s.hViewPane = GetDlgItem(hDlg, IDC_VIEW_PANE);

    // A page whose object gives no path lists nothing.
    UniqueBstr path;
    _Page* page = GetPageObject();
    if (page != nullptr && SUCCEEDED(page->get_SelectedFile(path.put())) && path)
        s.sFilePath.assign(path.get(), SysStringLen(path.get()));

    FillStreamList(s, s.sFilePath);
    SetWindowLongPtrA(hDlg, DWLP_USER, reinterpret_cast<LONG_PTR>(owned.release()));

    if (s.hStreamList != nullptr) {
        s.hViewButton = GetDlgItem(hDlg, IDC_VIEW);
        Subclass(s.hViewButton, s.lpPrevViewProc, ViewButtonProc);
        s.hDeleteButton = GetDlgItem(hDlg, IDC_DELETE);
        Subclass(s.hDeleteButton, s.lpPrevDeleteProc, DeleteButtonProc);
        Subclass(s.hStreamList, s.lpPrevListProc, StreamListProc);
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
    Restore(s->hViewButton, s->lpPrevViewProc, ViewButtonProc);
    Restore(s->hDeleteButton, s->lpPrevDeleteProc, DeleteButtonProc);
    Restore(s->hStreamList, s->lpPrevListProc, StreamListProc);
}

}  // namespace

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

INT_PTR CALLBACK PageDlgProc(HWND hDlg, UINT message, WPARAM, LPARAM) {
    if (message == WM_INITDIALOG)
        WindowBoundary([&] { InitPage(hDlg); });
    else if (message == WM_DESTROY)
        WindowBoundary([&] { EndPage(hDlg); });
    return 0;
}

LONG_PTR ProcAddress(LONG_PTR address) { return address; }

}  // namespace tessaline
