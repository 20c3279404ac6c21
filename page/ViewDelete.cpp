// The Streams page's View and Delete, and the view pane and buttons they change.
#include <algorithm>

#include "ModPropsParts.h"
#include "Win32Util.h"

namespace tessaline {
namespace {

constexpr DWORD kViewBytes = 2048;  // what View shows of a stream at most

void SelectAllViewText(PageState& s) { SendMessageA(s.hViewPane, EM_SETSEL, 0, -1); }

void DeselectViewText(PageState& s) { SendMessageA(s.hViewPane, EM_SETSEL, static_cast<WPARAM>(-1), 0); }

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

// Deleted through a handle opened as View opens the stream: DeleteFileW would act on a
// junction's or mount point's own stream of that name, where the listing and View follow the
// link. A stream held open without delete sharing cannot be opened so, and stays.
bool DeleteStream(const std::wstring& streamPath) {
    UniqueFile stream(OpenStream(streamPath, DELETE, FILE_FLAG_DELETE_ON_CLOSE));
    return static_cast<bool>(stream);  // deleted as the handle closes
}

}  // namespace

void SetButtonsEnabled(PageState& s, short enable) {
    const short enabled = IsWindowEnabled(s.hViewButton) ? kTrue : kFalse;
    if (enabled == enable)
        return;  // only View is asked: the two always change together
    EnableWindow(s.hViewButton, enable == kTrue);
    EnableWindow(s.hDeleteButton, enable == kTrue);
}

void ClearViewPane(PageState& s) {
    SelectAllViewText(s);
    SendMessageA(s.hViewPane, EM_REPLACESEL, 0, reinterpret_cast<LPARAM>(""));
    DeselectViewText(s);
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

}  // namespace tessaline
