// kivsetup.exe and its test builds, run and watched from outside in a prefix of their own:
// the refusals at start-up, F1 in the XP build, its ways to end, and an install through it.
// A full package lies in the package folder throughout, so anything written would show.
#include <gtest/gtest.h>

#include <string>

#include "TestFiles.h"
#include "TestRegistry.h"
#include "WatchedRun.h"
#include "Win32Util.h"

namespace tessaline {
namespace {

using testing::KeyExists;
using testing::ReadRegText;
using testing::RunWatched;
using testing::TextOf;
using testing::WatchedOutcome;

const std::string kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaline";
const std::string kFileHandlerKey = "*\\shellex\\PropertySheetHandlers\\Tessaline";
const std::string kFolderHandlerKey = "Folder\\shellex\\PropertySheetHandlers\\Tessaline";
const std::string kPageClsid = "{4B7A2E9F-6C1D-11E0-8F3A-5E21A7C3D094}";
const std::string kPageClassKey = "CLSID\\" + kPageClsid;

const std::string kVista =
    "Windows Vista is not supported. At Orvando we do not consider Vista to be a usable product. For support with the "
    "problem of hidden ADS files, please contact Microsoft rather than Orvando. It was their job to provide a tool "
    "that allows Windows users to see the files on their computer.";

std::string FileSystemRefusal(const std::string& name) {
    return "Tessaline is only for NTFS file systems. This system is installed on " + name +
           ", which does not have the problem of hidden Alternate Data Stream files.";
}

// F1's controls, as kivsetup numbers them.
enum { kBOK = 201, kBCancel, kOp1Accept, kOp1Decline };

std::string Folder(UINT(WINAPI* query)(LPSTR, UINT)) {
    char buffer[MAX_PATH] = {};
    return std::string(buffer, query(buffer, MAX_PATH));
}

struct Paths {
    std::string system = Folder(GetSystemDirectoryA);
    std::string dll = system + "\\Kivrel3.dll";
    std::string vornex = system + "\\vornex.dll";
    std::string uninstaller = Folder(GetWindowsDirectoryA) + "\\kivremove.exe";
    std::string package;
    Paths() {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        package = std::string(temp) + "kvz31";
    }
};

const Paths& P() {
    static const Paths paths;
    return paths;
}

std::string Program(const char* relative) { return "\"" + ToAnsi(testing::BuiltFile(FromAnsi(relative))) + "\""; }
std::string Shipped() { return Program("installer\\kivsetup.exe"); }
std::string XpBuild() { return Program("tests\\wine\\installer\\kivsetup_xp.exe"); }

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void ExpectNothingInstalled() {
    for (const std::string& file : {P().dll, P().vornex, P().uninstaller})
        EXPECT_FALSE(Exists(file)) << file;
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kFileHandlerKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kFolderHandlerKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kPageClassKey));
}

void ExpectEnded(const WatchedOutcome& run) {
    ASSERT_TRUE(run.started) << "did not start";
    ASSERT_TRUE(run.ended) << "did not end; message boxes seen: " << run.boxes.size();
    EXPECT_EQ(run.exitCode, 0u);
}

// Ends in exactly one message box and shows no window of its own.
void ExpectOnlyMessage(const WatchedOutcome& run, const std::string& text) {
    ExpectEnded(run);
    EXPECT_TRUE(run.otherWindows.empty()) << "also showed a window: " << TextOf(run.otherWindows.front());
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].text, text);
    EXPECT_EQ(run.boxes[0].title, "Tessaline Installation");
    EXPECT_TRUE(run.boxes[0].okOnly) << "one OK button";
    EXPECT_TRUE(run.boxes[0].hasIcon) << "the information icon";
}

class Kivsetup : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CreateDirectoryA(P().package.c_str(), nullptr);
        for (const char* built : {"page\\Kivrel3.dll", "uninstaller\\kivremove.exe", "vornex\\vornex.dll"}) {
            const std::string source = ToAnsi(testing::BuiltFile(FromAnsi(built)));
            const std::string target = P().package + source.substr(source.rfind('\\'));
            CopyFileA(source.c_str(), target.c_str(), FALSE);
        }
    }
    void SetUp() override {
        for (const char* name : {"\\Kivrel3.dll", "\\kivremove.exe", "\\vornex.dll"})
            ASSERT_TRUE(Exists(P().package + name)) << "the package holds " << name;
    }
};

TEST_F(Kivsetup, RefusesAtStartUpWithOneMessageAndChangesNothing) {
    struct {
        const char* what;
        std::string commandLine;
        std::string message;
    } const rows[] = {
        // Wine counts as Vista or later (its kernel32 exports GetLocaleInfoEx).
        {"the shipped program on an NTFS volume under Wine", Shipped(), kVista},
        {"FAT32 is refused before the version is looked at", Program("tests\\wine\\installer\\kivsetup_fat32.exe"),
         FileSystemRefusal("FAT32")},
        {"a lower-case name is named as reported", Program("tests\\wine\\installer\\kivsetup_named.exe") + " fat",
         FileSystemRefusal("fat")},
        {"ntfs in lower case passes", Program("tests\\wine\\installer\\kivsetup_named.exe") + " ntfs", kVista},
        {"an empty name joins the two texts", Program("tests\\wine\\installer\\kivsetup_named.exe"),
         FileSystemRefusal("")},
        {"a failed volume query joins them too", Program("tests\\wine\\installer\\kivsetup_named.exe") + " /fail",
         FileSystemRefusal("")},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ExpectOnlyMessage(RunWatched(row.commandLine), row.message);
        ExpectNothingInstalled();
    }
    EXPECT_EQ(FileSystemRefusal(""),
              "Tessaline is only for NTFS file systems. This system is installed on , which does not have the problem "
              "of hidden Alternate Data Stream files.");
}

// The XP build past its refusals: F1, seen from outside.
struct F1Seen {
    HWND window = nullptr;
    std::string caption;
    RECT client = {};
    bool installEnabled = true;
    bool declineChecked = false;
    int children = 0;
};

F1Seen Look(HWND window) {
    F1Seen seen;
    seen.window = window;
    seen.caption = TextOf(window);
    GetClientRect(window, &seen.client);
    seen.installEnabled = IsWindowEnabled(GetDlgItem(window, kBOK)) != FALSE;
    seen.declineChecked = SendMessageA(GetDlgItem(window, kOp1Decline), BM_GETCHECK, 0, 0) == BST_CHECKED;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        ++seen.children;
    return seen;
}

void ExpectFreshF1(const F1Seen& seen) {
    ASSERT_NE(seen.window, nullptr) << "F1 did not show";
    EXPECT_EQ(seen.caption, "Tessaline");
    EXPECT_EQ(seen.client.right, 563);
    EXPECT_EQ(seen.client.bottom, 405);
    EXPECT_EQ(seen.children, 11) << "F1's own controls and Frame1";
    EXPECT_FALSE(seen.installEnabled);
    EXPECT_TRUE(seen.declineChecked);
}

// Cancel and the close box end the program, with no message and nothing installed.
TEST_F(Kivsetup, CancelAndClosingTheWindowEndTheProgramWithoutAMessage) {
    struct {
        const char* what;
        bool acceptFirst;
        UINT message;
        WPARAM wParam;
        int control;  // 0: the message goes to F1
    } const rows[] = {
        {"Cancel", false, BM_CLICK, 0, kBCancel},
        {"Cancel after accepting", true, BM_CLICK, 0, kBCancel},
        {"the close box", false, WM_SYSCOMMAND, SC_CLOSE, 0},
        {"the close box after accepting", true, WM_SYSCOMMAND, SC_CLOSE, 0},
        {"WM_CLOSE", false, WM_CLOSE, 0, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        F1Seen seen;
        const WatchedOutcome run = RunWatched(XpBuild(), [&](HWND window) {
            seen = Look(window);
            if (row.acceptFirst)
                SendMessageA(GetDlgItem(window, kOp1Accept), BM_CLICK, 0, 0);
            PostMessageA(row.control ? GetDlgItem(window, row.control) : window, row.message, row.wParam, 0);
        });
        ExpectEnded(run);
        ExpectFreshF1(seen);
        EXPECT_FALSE(IsWindow(seen.window));
        EXPECT_TRUE(run.boxes.empty()) << "a message: " << run.boxes.front().text;
        EXPECT_EQ(run.otherWindows.size(), 1u) << "F1 alone";
        ExpectNothingInstalled();
    }
}

TEST_F(Kivsetup, InstallThroughF1InstallsAndEndsWithTheOutcome) {
    F1Seen seen;
    std::string install;  // Install's state after each click: E enabled, d disabled
    const WatchedOutcome run = RunWatched(XpBuild(), [&](HWND window) {
        seen = Look(window);
        // Clicks as another program sends them, each answered before SendMessage returns.
        for (int option : {kOp1Accept, kOp1Accept, kOp1Decline, kOp1Decline, kOp1Accept}) {
            SendMessageA(GetDlgItem(window, option), BM_CLICK, 0, 0);
            install += IsWindowEnabled(GetDlgItem(window, kBOK)) ? 'E' : 'd';
        }
        PostMessageA(GetDlgItem(window, kBOK), BM_CLICK, 0, 0);
    });
    ExpectEnded(run);
    ExpectFreshF1(seen);
    EXPECT_EQ(install, "EEddE") << "after accept, accept, decline, decline, accept";
    EXPECT_EQ(run.otherWindows.size(), 1u) << "F1 alone";
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes[0].text, "Tessaline installation complete.");
    EXPECT_EQ(run.boxes[0].title, "Tessaline Installation");
    EXPECT_EQ(run.boxes[0].owner, seen.window) << "the message belongs to F1";
    EXPECT_FALSE(IsWindow(seen.window));

    for (const std::string& file : {P().dll, P().vornex, P().uninstaller})
        EXPECT_TRUE(Exists(file)) << file;
    struct {
        HKEY root;
        std::string key;
        const char* name;
        std::string data;
    } const values[] = {
        {HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", P().uninstaller},
        {HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", "Tessaline Utility"},
        {HKEY_CLASSES_ROOT, kFileHandlerKey, "", kPageClsid},
        {HKEY_CLASSES_ROOT, kFolderHandlerKey, "", kPageClsid},
    };
    for (const auto& value : values) {
        SCOPED_TRACE(value.key + "|" + value.name);
        const auto read = ReadRegText(value.root, value.key, value.name);
        EXPECT_EQ(read.status, ERROR_SUCCESS);
        EXPECT_EQ(read.type, DWORD(REG_SZ));
        EXPECT_EQ(read.text(), value.data);
    }
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, kPageClassKey + "\\InprocServer32")) << "the page DLL registered";

    // And the uninstaller the entry names takes it all away again.
    const WatchedOutcome removal = RunWatched(ReadRegText(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").text());
    ExpectEnded(removal);
    EXPECT_TRUE(removal.boxes.empty());
    EXPECT_TRUE(Exists(P().uninstaller)) << "kivremove.exe stays";
    DeleteFileA(P().uninstaller.c_str());
    ExpectNothingInstalled();
}

}  // namespace
}  // namespace tessaline
