// Tessaline as a user meets it, in one prefix: installed through its window, used through
// the shell's own Properties dialog (a host we did not write), removed again.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "InstallChecks.h"
#include "PageHarness.h"
#include "ProductSteps.h"
#include "TestFiles.h"
#include "WatchedRun.h"

namespace tessaline {
namespace {

using testing::PathExists;
using testing::Sheet;
using testing::StreamPath;
using testing::WriteBytes;

// The user's items, at places both processes of this program know.
std::wstring Item(const wchar_t* name) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    return std::wstring(temp) + L"cycle\\" + name;
}
const std::wstring kDownload = Item(L"setup-notes.txt");
const std::wstring kFolder = Item(L"Projects");

std::vector<int> StreamsTabs(const Sheet& sheet) {
    std::vector<int> tabs;
    const std::vector<std::string> titles = sheet.TabTitles();
    for (size_t i = 0; i < titles.size(); ++i)
        if (titles[i] == "Streams")
            tabs.push_back(static_cast<int>(i));
    return tabs;
}

// Run by the cycle below in a process of its own: Wine's shell32 keeps a reference to every
// handler it initialises for its dialog, so our DLL stays loaded in the process that showed
// it (Explorer lets it go), and the uninstall must be able to delete it.
TEST(ShellDialog, DISABLED_StreamsTabsOfAFileAndAFolder) {
    CoInitialize(nullptr);
    testing::InitControls();
    // A file gets one page: View and Delete on its download mark.
    EXPECT_EQ(testing::WithShellProperties(kDownload, [](Sheet& sheet) {
                  const std::vector<int> tabs = StreamsTabs(sheet);
                  EXPECT_EQ(tabs.size(), 1u);
                  if (tabs.size() != 1)
                      return true;
                  sheet.Select(tabs[0]);
                  EXPECT_EQ(sheet.Entries(), (std::vector<std::string>{"comment * 7", "Zone.Identifier * 26"}));
                  sheet.ClickEntry(sheet.IndexOf("Zone.Identifier * 26"));
                  sheet.PressView();
                  EXPECT_EQ(sheet.PaneText(), "[ZoneTransfer]\r\nZoneId=3\r\n");
                  sheet.PressDelete();
                  EXPECT_EQ(sheet.Entries(), std::vector<std::string>{"comment * 7"});
                  return true;
              }),
              "");
    EXPECT_FALSE(PathExists(StreamPath(kDownload, L"Zone.Identifier")));
    EXPECT_TRUE(PathExists(StreamPath(kDownload, L"comment")));

    // A folder gets a page from the "*" handler and one from the "Folder" handler, both on
    // this thread: each must act on its own selection.
    EXPECT_EQ(testing::WithShellProperties(kFolder, [](Sheet& sheet) {
                  const std::vector<int> tabs = StreamsTabs(sheet);
                  EXPECT_EQ(tabs.size(), 2u);
                  if (tabs.size() == 2)
                      testing::ExpectEachPageActsOnItsOwnSelection(sheet, kFolder, tabs[0], tabs[1]);
                  return true;
              }),
              "");
    CoUninitialize();
    WriteBytes(Item(L"dialogs-shown"), "");  // so that the cycle knows this test ran
}

TEST(ProductCycle, InstallUseThroughTheShellAndRemove) {
    ASSERT_EQ(testing::InstallTheProduct(), "");
    EXPECT_EQ(testing::InstalledState(), testing::kEverything);

    CreateDirectoryW(Item(L"").c_str(), nullptr);
    CreateDirectoryW(kFolder.c_str(), nullptr);
    ASSERT_TRUE(WriteBytes(kDownload, "notes"));
    ASSERT_TRUE(WriteBytes(StreamPath(kDownload, L"Zone.Identifier"), "[ZoneTransfer]\r\nZoneId=3\r\n"));
    ASSERT_TRUE(WriteBytes(StreamPath(kDownload, L"comment"), "keep me"));
    ASSERT_TRUE(WriteBytes(StreamPath(kFolder, L"a"), "stream a"));
    ASSERT_TRUE(WriteBytes(StreamPath(kFolder, L"b"), "stream b"));
    wchar_t self[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    EXPECT_EQ(testing::RunAndWait(self, L"cycle_tests.exe --gtest_also_run_disabled_tests "
                                        L"--gtest_filter=ShellDialog.DISABLED_StreamsTabsOfAFileAndAFolder"),
              0u)
        << "run that test alone to see its failures";
    EXPECT_TRUE(PathExists(Item(L"dialogs-shown")));

    testing::ExpectEnd(testing::RunWatched(testing::Paths().uninstaller), "");
    EXPECT_EQ(testing::InstalledState(), "kivremove.exe") << "the uninstaller stays, as Windows expects";
    EXPECT_TRUE(PathExists(StreamPath(kDownload, L"comment"))) << "the user's data stays";
}

}  // namespace
}  // namespace tessaline
