// Shows what a user sees after installing Tessaline and choosing Properties on a file
// downloaded with Internet Explorer: the shell's own Properties dialog, its Streams tab,
// the Zone.Identifier stream selected and viewed. Writes "ready" into the folder given as
// argument (or "failed", with the reason), and closes the dialog once "done" appears there.
#include <windows.h>

#include <algorithm>
#include <string>

#include "PageHarness.h"
#include "ProductSteps.h"
#include "TestFiles.h"

using namespace tessaline::testing;

namespace {

std::wstring g_markers;

int Fail(const std::string& why) {
    WriteBytes(g_markers + L"\\failed", why);
    return 1;
}

// Opens the Streams tab and views Zone.Identifier, says "ready", then waits for "done".
std::string g_failure;
bool g_ready = false;

bool ShowZoneIdentifier(Sheet& sheet) {
    if (g_ready)
        return PathExists(g_markers + L"\\done");
    const auto titles = sheet.TabTitles();
    const auto streams = std::find(titles.begin(), titles.end(), "Streams");
    if (streams == titles.end()) {
        g_failure = "the Properties dialog has no Streams tab";
        return true;
    }
    sheet.Select(static_cast<int>(streams - titles.begin()));
    const auto entries = sheet.Entries();
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].rfind("Zone.Identifier * ", 0) == 0)
            sheet.ClickEntry(static_cast<int>(i));
    sheet.PressView();
    if (sheet.PaneText().empty()) {
        g_failure = "View showed nothing";
        return true;
    }
    // Off the screen's corner, where the shell puts it when no window manager runs, and
    // active, as the window the user just opened. Wine leaves the frame of the shell's
    // dialog drawn inactive even then, so it is told again.
    SetWindowPos(sheet.sheet, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
    SetForegroundWindow(sheet.sheet);
    SendMessageA(sheet.sheet, WM_NCACTIVATE, GetActiveWindow() == sheet.sheet, 0);
    RedrawWindow(sheet.sheet, nullptr, nullptr, RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    WriteBytes(g_markers + L"\\ready", "");
    g_ready = true;
    return false;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 2)
        return 2;  // usage: stream_page_demo MARKER-FOLDER
    g_markers = argv[1];

    const std::string installed = InstallTheProduct();
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
    std::string shown = WithShellProperties(file, &ShowZoneIdentifier);
    CoUninitialize();
    if (shown.empty())
        shown = g_failure;
    return shown.empty() ? 0 : Fail(shown);
}
