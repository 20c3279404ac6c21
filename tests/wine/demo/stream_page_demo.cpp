// Shows what a user sees after installing Tessaline and choosing Properties on a file
// downloaded with Internet Explorer: the shell's own Properties dialog, its Streams tab,
// the Zone.Identifier stream selected and viewed. Writes "ready" into the folder given as
// argument (or "failed", with the reason), and closes the dialog once "done" appears there.
#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <memory>
#include <string>

#include "Identity.h"
#include "PageHarness.h"
#include "TestFiles.h"
#include "WatchedRun.h"

using namespace tessaline::testing;

namespace {

std::wstring g_markers;

int Fail(const std::string& why) {
    WriteBytes(g_markers + L"\\failed", why);
    return 1;
}

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

// Installs as a user does: the package in %TEMP%\kvz31, then kivsetup, terms accepted,
// Install. The installer build and the page DLL have the version facts of Windows XP and,
// for the page, emulated streams: Wine has no streams and counts as Vista or later.
std::string Install() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring package = std::wstring(temp) + L"kvz31";
    CreateDirectoryW(package.c_str(), nullptr);
    const struct {
        const wchar_t* built;
        const wchar_t* packaged;
    } files[] = {{L"tests\\wine\\com\\xp\\Kivrel3.dll", L"Kivrel3.dll"},
                 {L"uninstaller\\kivremove.exe", L"kivremove.exe"},
                 {L"vornex\\vornex.dll", L"vornex.dll"}};
    for (const auto& f : files)
        if (!CopyFileW(BuiltFile(f.built).c_str(), (package + L"\\" + f.packaged).c_str(), FALSE))
            return "cannot put " + Narrow(f.built) + " into the package";

    const auto run = RunWatched(Narrow(BuiltFile(L"tests\\wine\\installer\\kivsetup_xp.exe")), [](HWND f1) {
        HWND accept = FindWindowExA(f1, nullptr, "Button", "I accept license.");
        HWND install = FindWindowExA(f1, nullptr, "Button", "Install");
        SendMessageA(accept, BM_CLICK, 0, 0);
        PostMessageA(install, BM_CLICK, 0, 0);
    });
    if (run.boxes.size() != 1 || run.boxes[0].text != "Tessaline installation complete.")
        return run.boxes.empty() ? "the installer ended without its message" : "the installer said: " + run.boxes[0].text;
    return "";
}

std::unique_ptr<Sheet> g_sheet;
std::string g_failure;
bool g_finished = false;

// Runs from a thread timer, since the shell may run the dialog's own message loop inside
// InvokeCommand: first it opens the Streams tab and views Zone.Identifier, then it waits
// for "done" and closes the dialog.
void CALLBACK Step(HWND, UINT, UINT_PTR timer, DWORD) {
    if (g_finished)
        return;
    if (!g_sheet) {
        HWND shown = FindShownSheet();
        if (shown == nullptr)
            return;
        g_sheet.reset(new Sheet(shown));
        const auto titles = g_sheet->TabTitles();
        const int streams = static_cast<int>(std::find(titles.begin(), titles.end(), "Streams") - titles.begin());
        if (streams == static_cast<int>(titles.size())) {
            g_failure = "the Properties dialog has no Streams tab";
        } else {
            g_sheet->Select(streams);
            const auto entries = g_sheet->Entries();
            for (size_t i = 0; i < entries.size(); ++i)
                if (entries[i].rfind("Zone.Identifier * ", 0) == 0)
                    g_sheet->ClickEntry(static_cast<int>(i));
            g_sheet->PressView();
            if (g_sheet->PaneText().empty())
                g_failure = "View showed nothing";
        }
        if (g_failure.empty()) {
            // Off the screen's corner, where the shell puts it when no window manager runs,
            // and active, as the window the user just opened. Wine leaves the frame of the
            // shell's dialog drawn inactive even then, so it is told again.
            SetWindowPos(shown, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
            SetForegroundWindow(shown);
            SendMessageA(shown, WM_NCACTIVATE, GetActiveWindow() == shown, 0);
            RedrawWindow(shown, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
            WriteBytes(g_markers + L"\\ready", "");
            return;
        }
    } else if (!PathExists(g_markers + L"\\done")) {
        return;
    }
    KillTimer(nullptr, timer);
    g_finished = true;
    g_sheet->Close();
}

// The shell's own Properties dialog, as Explorer opens it: the item's context menu in its
// parent folder, verb "properties".
std::string ShowProperties(const std::wstring& item) {
    PIDLIST_ABSOLUTE pidl = nullptr;
    if (FAILED(SHParseDisplayName(item.c_str(), nullptr, &pidl, 0, nullptr)))
        return "the shell cannot parse " + Narrow(item);
    IShellFolder* parent = nullptr;
    PCUITEMID_CHILD child = nullptr;
    IContextMenu* menu = nullptr;
    HMENU popup = CreatePopupMenu();
    std::string failure;
    if (FAILED(SHBindToParent(pidl, IID_IShellFolder, reinterpret_cast<void**>(&parent), &child)) ||
        FAILED(parent->GetUIObjectOf(nullptr, 1, &child, IID_IContextMenu, nullptr, reinterpret_cast<void**>(&menu)))) {
        failure = "no context menu for " + Narrow(item);
    } else {
        menu->QueryContextMenu(popup, 0, 1, 0x7FFF, CMF_NORMAL);
        const UINT_PTR timer = SetTimer(nullptr, 0, 50, &Step);
        CMINVOKECOMMANDINFO invoke = {};
        invoke.cbSize = sizeof(invoke);
        invoke.lpVerb = "properties";
        invoke.nShow = SW_SHOWNORMAL;
        if (FAILED(menu->InvokeCommand(&invoke)))
            g_failure = "the shell did not open its Properties dialog";
        // Where the dialog is modeless it lives on in this thread's loop: given 30 s to
        // appear, then as long as it is shown.
        for (int i = 0; g_failure.empty() && !g_finished && (g_sheet || i < 600); ++i) {
            Pump();
            MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        }
        KillTimer(nullptr, timer);
        failure = !g_failure.empty() ? g_failure : g_sheet ? "" : "the shell showed no Properties dialog";
        menu->Release();
    }
    DestroyMenu(popup);
    if (parent)
        parent->Release();
    CoTaskMemFree(pidl);
    return failure;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 2)
        return 2;  // usage: stream_page_demo MARKER-FOLDER
    g_markers = argv[1];

    const std::string installed = Install();
    if (!installed.empty())
        return Fail(installed);

    // A download with its zone mark and two more streams.
    const std::wstring file = NewTempFolder(L"Downloads") + L"\\quarterly-report.pdf";
    WriteBytes(file, "%PDF-1.4 ...");
    WriteBytes(StreamPath(file, L"Zone.Identifier"),
               "[ZoneTransfer]\r\nZoneId=3\r\nReferrerUrl=http://downloads.example.com/\r\n"
               "HostUrl=http://downloads.example.com/quarterly-report.pdf\r\n");
    WriteBytes(StreamPath(file, L"summary"), "Author: Accounts\r\nKeywords: Q3");
    WriteBytes(StreamPath(file, L"thumbnail"), std::string(1536, '\x7F'));

    CoInitialize(nullptr);
    InitControls();
    const std::string shown = ShowProperties(file);
    g_sheet.reset();
    CoUninitialize();
    return shown.empty() ? 0 : Fail(shown);
}
