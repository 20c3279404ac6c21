// Shows what a user sees after right-click, Properties, Streams on a file downloaded with
// Internet Explorer, then a press on its Zone.Identifier stream and on View. Writes
// "ready" into the folder given as argument, and closes once "done" appears there.
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "Identity.h"
#include "PageHarness.h"
#include "TestDataObject.h"
#include "TestFiles.h"

using namespace tessaline::testing;

namespace {

const CLSID kPage = TESSALINE_GUID(TESSALINE_CLSID_PAGE);

BOOL CALLBACK KeepPage(HPROPSHEETPAGE page, LPARAM lParam) {
    reinterpret_cast<std::vector<HPROPSHEETPAGE>*>(lParam)->push_back(page);
    return TRUE;
}

int Fail(const char* what) {
    MessageBoxA(nullptr, what, "Tessaline demo", MB_OK);
    return 1;
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 2)
        return Fail("usage: stream_page_demo MARKER-FOLDER");
    const std::wstring markers = argv[1];

    CoInitialize(nullptr);
    InitControls();

    // A download with its zone mark and two more streams.
    const std::wstring folder = NewTempFolder(L"Downloads");
    const std::wstring file = folder + L"\\quarterly-report.pdf";
    WriteBytes(file, "%PDF-1.4 ...");
    WriteBytes(StreamPath(file, L"Zone.Identifier"),
               "[ZoneTransfer]\r\nZoneId=3\r\nReferrerUrl=http://downloads.example.com/\r\n"
               "HostUrl=http://downloads.example.com/quarterly-report.pdf\r\n");
    WriteBytes(StreamPath(file, L"summary"), "Author: Accounts\r\nKeywords: Q3");
    WriteBytes(StreamPath(file, L"thumbnail"), std::string(1536, '\x7F'));

    HMODULE dll = LoadLibraryW(BuiltFile(L"tests\\wine\\com\\xp\\Kivrel3.dll").c_str());
    if (dll == nullptr)
        return Fail("the XP-facts build of Kivrel3.dll is missing");
    auto getClass =
        reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(reinterpret_cast<void*>(GetProcAddress(dll, "DllGetClassObject")));
    IClassFactory* factory = nullptr;
    IShellExtInit* init = nullptr;
    IShellPropSheetExt* ext = nullptr;
    if (FAILED(getClass(kPage, IID_IClassFactory, reinterpret_cast<void**>(&factory))) ||
        FAILED(factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init))) ||
        FAILED(init->QueryInterface(IID_IShellPropSheetExt, reinterpret_cast<void**>(&ext))))
        return Fail("no Page object");

    // vornex.dll is found in the System folder, as installed.
    CopyFileW(BuiltFile(L"vornex\\vornex.dll").c_str(), SystemFile(L"vornex.dll").c_str(), FALSE);

    TestDataObject selection({file}, true);
    init->Initialize(nullptr, &selection, nullptr);
    std::vector<HPROPSHEETPAGE> pages;
    ext->AddPages(&KeepPage, reinterpret_cast<LPARAM>(&pages));
    ext->Release();
    init->Release();
    factory->Release();
    if (pages.empty())
        return Fail("no Streams page");

    Sheet sheet(pages);
    SetWindowTextA(sheet.sheet, "quarterly-report.pdf Properties");
    SetWindowPos(sheet.sheet, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE | SWP_SHOWWINDOW);
    const auto entries = sheet.Entries();
    for (size_t i = 0; i < entries.size(); ++i)
        if (entries[i].rfind("Zone.Identifier * ", 0) == 0)
            sheet.ClickEntry(static_cast<int>(i));
    sheet.PressView();
    Pump();

    WriteBytes(markers + L"\\ready", "");
    while (!PathExists(markers + L"\\done")) {
        Pump();
        Sleep(50);
    }
    sheet.Close();
    return 0;
}
