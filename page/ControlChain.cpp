// The Streams page's subclassed controls: View and Delete act on a left-button press, the list
// on a left-button release, and each hands every message on down the control's chain.
#include "Boundary.h"
#include "ModPropsParts.h"
#include "resource.h"

namespace tessaline {
namespace {

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

}  // namespace

void SubclassControls(PageState& s, HWND hDlg) {
    s.hViewButton = GetDlgItem(hDlg, IDC_VIEW);
    Subclass(s.hViewButton, s.lpPrevViewProc, ViewButtonProc);
    s.hDeleteButton = GetDlgItem(hDlg, IDC_DELETE);
    Subclass(s.hDeleteButton, s.lpPrevDeleteProc, DeleteButtonProc);
    Subclass(s.hStreamList, s.lpPrevListProc, StreamListProc);
}

void RestoreControls(PageState& s) {
    Restore(s.hViewButton, s.lpPrevViewProc, ViewButtonProc);
    Restore(s.hDeleteButton, s.lpPrevDeleteProc, DeleteButtonProc);
    Restore(s.hStreamList, s.lpPrevListProc, StreamListProc);
}

}  // namespace tessaline
