// Install, use and remove Tessaline as a user would, in one prefix: the tests build on
// each other and run in the order written.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

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
    {HKEY_CLASSES_ROOT, "CLSID\\{4B7A2E9F-6C1D-11E0-8F3A-5E21A7C3D094}"},
    {HKEY_CLASSES_ROOT, "CLSID\\{4B7A2E9D-6C1D-11E0-8F3A-5E21A7C3D094}"},
    {HKEY_CLASSES_ROOT, "TypeLib\\{4B7A2E9B-6C1D-11E0-8F3A-5E21A7C3D094}"},
    {HKEY_CLASSES_ROOT, "Interface\\{D81C05A4-6E2B-11E0-8F3A-5E21A7C3D094}"},
    {HKEY_CLASSES_ROOT, "Interface\\{D81C05A5-6E2B-11E0-8F3A-5E21A7C3D094}"},
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
