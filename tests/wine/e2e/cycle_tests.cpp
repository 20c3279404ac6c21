// Install, use and remove Tessaline as a user would, in one prefix: the tests build on
// each other and run in the order written.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "Identity.h"
#include "PageHarness.h"
#include "TestDataObject.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "WatchedRun.h"

namespace tessaline {
namespace {

using testing::BuiltFile;
using testing::KeyExists;
using testing::PathExists;
using testing::ReadRegText;
using testing::Sheet;
using testing::StreamPath;
using testing::SystemFile;
using testing::WriteBytes;

const std::string kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaline";
const std::string kFileHandlerKey = "*\\shellex\\PropertySheetHandlers\\Tessaline";

// Everything of Tessaline that an install leaves in the registry.
const struct {
    HKEY root;
    const char* key;
} kTessalineKeys[] = {
    {HKEY_CLASSES_ROOT, "*\\shellex\\PropertySheetHandlers\\Tessaline"},
    {HKEY_CLASSES_ROOT, "Folder\\shellex\\PropertySheetHandlers\\Tessaline"},
    {HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaline"},
    {HKEY_CLASSES_ROOT, "CLSID\\" TESSALINE_CLSID_PAGE_TEXT},
    {HKEY_CLASSES_ROOT, "CLSID\\" TESSALINE_CLSID_CLSDROPFILES_TEXT},
    {HKEY_CLASSES_ROOT, "TypeLib\\" TESSALINE_LIBID_TESSALINE3_TEXT},
    {HKEY_CLASSES_ROOT, "Interface\\" TESSALINE_IID_PAGE_TEXT},
    {HKEY_CLASSES_ROOT, "Interface\\" TESSALINE_IID_CLSDROPFILES_TEXT},
};

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

BOOL CALLBACK KeepPage(HPROPSHEETPAGE page, LPARAM lParam) {
    reinterpret_cast<std::vector<HPROPSHEETPAGE>*>(lParam)->push_back(page);
    return TRUE;
}

std::wstring Download() {
    static const std::wstring file = testing::NewTempFolder(L"Downloads") + L"\\setup-notes.txt";
    return file;
}

TEST(ProductCycle, InstallThroughTheWindow) {
    // The package as the outer distribution unpacks it, with the XP-facts page DLL.
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring package = std::wstring(temp) + L"kvz31";
    CreateDirectoryW(package.c_str(), nullptr);
    ASSERT_TRUE(CopyFileW(BuiltFile(L"tests\\wine\\com\\xp\\Kivrel3.dll").c_str(), (package + L"\\Kivrel3.dll").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(BuiltFile(L"uninstaller\\kivremove.exe").c_str(), (package + L"\\kivremove.exe").c_str(), FALSE));
    ASSERT_TRUE(CopyFileW(BuiltFile(L"vornex\\vornex.dll").c_str(), (package + L"\\vornex.dll").c_str(), FALSE));

    const auto run = testing::RunWatched(Narrow(BuiltFile(L"tests\\wine\\installer\\kivsetup_xp.exe")), [](HWND f1) {
        // A user accepts the terms and presses Install.
        EXPECT_EQ(testing::TextOf(f1), "Tessaline");
        HWND accept = FindWindowExA(f1, nullptr, "Button", "I accept license.");
        HWND install = FindWindowExA(f1, nullptr, "Button", "Install");
        ASSERT_NE(accept, nullptr);
        ASSERT_NE(install, nullptr);
        SendMessageA(accept, BM_CLICK, 0, 0);
        PostMessageA(install, BM_CLICK, 0, 0);
    });
    EXPECT_TRUE(run.ended);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].text, "Tessaline installation complete.");
    for (const auto& k : kTessalineKeys)
        EXPECT_TRUE(KeyExists(k.root, k.key)) << k.key;
}

TEST(ProductCycle, PropertiesShowTheStreamsPageAsExplorerMakesIt) {
    ASSERT_TRUE(WriteBytes(Download(), "notes"));
    ASSERT_TRUE(WriteBytes(StreamPath(Download(), L"Zone.Identifier"), "[ZoneTransfer]\r\nZoneId=3\r\n"));
    ASSERT_TRUE(WriteBytes(StreamPath(Download(), L"comment"), "keep me"));

    CoInitialize(nullptr);
    testing::InitControls();
    {
        // The handler key names the class; the shell creates it in-process, hands it the
        // selection and asks for its pages.
        const std::string clsidText = ReadRegText(HKEY_CLASSES_ROOT, kFileHandlerKey, "").text();
        CLSID clsid = {};
        ASSERT_EQ(CLSIDFromString(std::wstring(clsidText.begin(), clsidText.end()).c_str(), &clsid), S_OK);
        IShellExtInit* init = nullptr;
        ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit, reinterpret_cast<void**>(&init)),
                  S_OK);
        testing::TestDataObject selection({Download()}, true);
        EXPECT_EQ(init->Initialize(nullptr, &selection, nullptr), S_OK);
        IShellPropSheetExt* ext = nullptr;
        ASSERT_EQ(init->QueryInterface(IID_IShellPropSheetExt, reinterpret_cast<void**>(&ext)), S_OK);
        std::vector<HPROPSHEETPAGE> pages;
        EXPECT_EQ(ext->AddPages(&KeepPage, reinterpret_cast<LPARAM>(&pages)), S_OK);
        ext->Release();
        init->Release();  // the shell lets go; the page keeps the object
        ASSERT_EQ(pages.size(), 1u);

        Sheet sheet(pages);
        ASSERT_EQ(sheet.Entries(), (std::vector<std::string>{"comment * 7", "Zone.Identifier * 26"}));
        sheet.ClickEntry(1);
        sheet.PressView();
        EXPECT_EQ(sheet.PaneText(), "[ZoneTransfer]\r\nZoneId=3\r\n");
        sheet.PressDelete();
        EXPECT_EQ(sheet.Entries(), std::vector<std::string>{"comment * 7"});
    }
    EXPECT_FALSE(PathExists(StreamPath(Download(), L"Zone.Identifier")));
    EXPECT_TRUE(PathExists(StreamPath(Download(), L"comment")));

    // With the dialog closed nothing holds the DLL, so COM can unload it and the
    // uninstaller can delete it.
    CoFreeUnusedLibrariesEx(0, 0);
    EXPECT_EQ(GetModuleHandleA("Kivrel3.dll"), nullptr);
    CoUninitialize();
}

// Runs once the shell has shown its dialog: from a timer, since the shell may run the
// dialog's own message loop inside InvokeCommand.
std::function<void(HWND)> g_whenShown;
bool g_shownDone = false;

void CALLBACK RunWhenShown(HWND, UINT, UINT_PTR timer, DWORD) {
    HWND sheet = testing::FindShownSheet();
    if (sheet == nullptr || g_shownDone)
        return;
    KillTimer(nullptr, timer);
    g_shownDone = true;
    g_whenShown(sheet);
}

// The shell's own Properties dialog, as Explorer opens it: the item's context menu in its
// parent folder, verb "properties". It adds the pages of every handler registered for the
// item, on this thread; `steps` then use it and close it.
void WithShellProperties(const std::wstring& item, std::function<void(HWND)> steps) {
    PIDLIST_ABSOLUTE pidl = nullptr;
    ASSERT_EQ(SHParseDisplayName(item.c_str(), nullptr, &pidl, 0, nullptr), S_OK);
    IShellFolder* parent = nullptr;
    PCUITEMID_CHILD child = nullptr;
    ASSERT_EQ(SHBindToParent(pidl, IID_IShellFolder, reinterpret_cast<void**>(&parent), &child), S_OK);
    IContextMenu* menu = nullptr;
    ASSERT_EQ(parent->GetUIObjectOf(nullptr, 1, &child, IID_IContextMenu, nullptr, reinterpret_cast<void**>(&menu)),
              S_OK);
    HMENU popup = CreatePopupMenu();
    menu->QueryContextMenu(popup, 0, 1, 0x7FFF, CMF_NORMAL);
    g_whenShown = std::move(steps);
    g_shownDone = false;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, &RunWhenShown);
    CMINVOKECOMMANDINFO invoke = {};
    invoke.cbSize = sizeof(invoke);
    invoke.lpVerb = "properties";
    invoke.nShow = SW_SHOWNORMAL;
    EXPECT_EQ(menu->InvokeCommand(&invoke), S_OK);
    for (int i = 0; i < 200 && !g_shownDone; ++i) {
        testing::Pump();
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
    }
    KillTimer(nullptr, timer);
    EXPECT_TRUE(g_shownDone) << "the shell showed no Properties dialog";
    DestroyMenu(popup);
    menu->Release();
    parent->Release();
    CoTaskMemFree(pidl);
}

// A folder gets a page from the "*" handler and one from the "Folder" handler, both on
// this thread: each must act on its own selection. Run by the test below, in a process of
// its own.
TEST(ShellDialog, DISABLED_TwoWorkingPagesForAFolder) {
    const std::wstring folder = testing::NewTempFolder(L"Projects");
    ASSERT_TRUE(WriteBytes(StreamPath(folder, L"a"), "stream a"));
    ASSERT_TRUE(WriteBytes(StreamPath(folder, L"b"), "stream b"));
    CoInitialize(nullptr);
    testing::InitControls();
    WithShellProperties(folder, [&](HWND shown) {
        Sheet sheet(shown);
        std::vector<int> streamsPages;
        const std::vector<std::string> titles = sheet.TabTitles();
        for (size_t i = 0; i < titles.size(); ++i)
            if (titles[i] == "Streams")
                streamsPages.push_back(static_cast<int>(i));
        ASSERT_EQ(streamsPages.size(), 2u);
        testing::ExpectEachPageActsOnItsOwnSelection(sheet, folder, streamsPages[0], streamsPages[1]);
    });
    CoUninitialize();
}

// Wine's shell32 keeps a reference to every handler it initialises for its dialog, so our
// DLL stays loaded in the process that showed it (Explorer lets it go). The dialog is
// therefore shown by a process of its own, which has ended when the uninstall runs.
TEST(ProductCycle, TheShellsOwnDialogShowsTwoWorkingPagesForAFolder) {
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    EXPECT_EQ(testing::RunAndWait(self, L"cycle_tests.exe --gtest_also_run_disabled_tests "
                                        L"--gtest_filter=ShellDialog.DISABLED_TwoWorkingPagesForAFolder"),
              0u)
        << "run that test alone to see its failures";
}

TEST(ProductCycle, UninstallLeavesNothingOfTessaline) {
    const auto run = testing::RunWatched(ReadRegText(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").text());
    EXPECT_TRUE(run.ended);
    EXPECT_TRUE(run.boxes.empty());
    EXPECT_TRUE(run.otherWindows.empty());
    for (const auto& k : kTessalineKeys)
        EXPECT_FALSE(KeyExists(k.root, k.key)) << k.key;
    EXPECT_FALSE(PathExists(SystemFile(L"Kivrel3.dll")));
    EXPECT_FALSE(PathExists(SystemFile(L"vornex.dll")));
    EXPECT_TRUE(PathExists(StreamPath(Download(), L"comment"))) << "the user's data stays";
}

}  // namespace
}  // namespace tessaline
