#include "ProductSteps.h"

#include <shlobj.h>

#include <memory>

#include "InstallChecks.h"
#include "TestFiles.h"
#include "WatchedRun.h"

namespace tessaline::testing {
namespace {

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

struct DialogSession {
    std::function<bool(Sheet&)> steps;
    std::unique_ptr<Sheet> sheet;
    bool stepping = false;  // the steps pump messages, this timer's among them
    bool done = false;
};
DialogSession* g_session = nullptr;

// From a thread timer, since the shell may run the dialog's own loop inside InvokeCommand.
void CALLBACK Step(HWND, UINT, UINT_PTR, DWORD) {
    DialogSession& s = *g_session;
    if (s.done || s.stepping)
        return;
    if (!s.sheet) {
        HWND shown = FindShownSheet();
        if (shown == nullptr)
            return;
        s.sheet = std::make_unique<Sheet>(shown);
    }
    s.stepping = true;
    s.done = s.steps(*s.sheet);
    s.stepping = false;
    if (s.done)
        s.sheet->Close();
}

}  // namespace

std::string InstallTheProduct() {
    if (!MakePackageWith(L"tests\\wine\\com\\xp\\Kivrel3.dll"))
        return "cannot make the package";
    const WatchedOutcome run = InstallThroughF1();
    if (!run.ended)
        return "the installer did not end";
    if (run.boxes.size() != 1)
        return "the installer showed " + std::to_string(run.boxes.size()) + " messages";
    return run.boxes[0].text == "Tessaline installation complete." ? "" : "the installer said: " + run.boxes[0].text;
}

std::string WithShellProperties(const std::wstring& item, std::function<bool(Sheet&)> steps) {
    PIDLIST_ABSOLUTE pidl = nullptr;
    if (FAILED(SHParseDisplayName(item.c_str(), nullptr, &pidl, 0, nullptr)))
        return "the shell cannot parse " + Narrow(item);
    IShellFolder* parent = nullptr;
    PCUITEMID_CHILD child = nullptr;
    IContextMenu* menu = nullptr;
    std::string failure;
    if (FAILED(SHBindToParent(pidl, IID_IShellFolder, reinterpret_cast<void**>(&parent), &child)) ||
        FAILED(parent->GetUIObjectOf(nullptr, 1, &child, IID_IContextMenu, nullptr, reinterpret_cast<void**>(&menu)))) {
        failure = "no context menu for " + Narrow(item);
    } else {
        HMENU popup = CreatePopupMenu();
        menu->QueryContextMenu(popup, 0, 1, 0x7FFF, CMF_NORMAL);
        DialogSession session;
        session.steps = std::move(steps);
        g_session = &session;
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, &Step);
        CMINVOKECOMMANDINFO invoke = {};
        invoke.cbSize = sizeof(invoke);
        invoke.lpVerb = "properties";
        invoke.nShow = SW_SHOWNORMAL;
        if (FAILED(menu->InvokeCommand(&invoke)))
            failure = "the shell did not open its Properties dialog";
        // Where the dialog is modeless it lives on in this thread's loop: 30 s to appear,
        // then as long as the steps take.
        for (int i = 0; failure.empty() && !session.done && (session.sheet || i < 600); ++i) {
            Pump();
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
        KillTimer(nullptr, timer);
        g_session = nullptr;
        if (failure.empty() && !session.done)
            failure = session.sheet ? "the steps did not finish" : "the shell showed no Properties dialog";
        DestroyMenu(popup);
        menu->Release();
    }
    if (parent != nullptr)
        parent->Release();
    CoTaskMemFree(pidl);
    return failure;
}

}  // namespace tessaline::testing
