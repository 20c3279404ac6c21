// kivsetup.exe and its test builds, run and watched from outside in a prefix of their own:
// the refusals at start-up, the ways to leave F1, an install through it, and F1 while
// regsvr32 runs. A full package lies in the package folder throughout (its DLL swapped only
// for the test that needs it), so anything written would show.
#include <gtest/gtest.h>

#include <string>

#include "InstallChecks.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "Win32Util.h"

namespace tessaline {
namespace {

using namespace testing;

// F1's controls, as kivsetup numbers them.
enum { kBOK = 201, kBCancel, kOp1Accept, kOp1Decline };

std::string Program(const wchar_t* relative) { return "\"" + ToAnsi(BuiltFile(relative)) + "\""; }
// A test build whose volume query answers the name after its own on the command line.
std::string Named(const std::string& fileSystem) {
    return Program(L"tests\\wine\\installer\\kivsetup_named.exe") + " " + fileSystem;
}
// A test build that reports Windows XP, so that it shows F1 under Wine.
std::string XpBuild() { return Program(L"tests\\wine\\installer\\kivsetup_xp.exe"); }

class Kivsetup : public ::testing::Test {
protected:
    static void SetUpTestSuite() { MakePackage(); }
};

TEST_F(Kivsetup, RefusesAtStartUpWithOneMessageAndChangesNothing) {
    const std::string vista =
        "Windows Vista is not supported. At Orvando we do not consider Vista to be a usable product. For support with "
        "the problem of hidden ADS files, please contact Microsoft rather than Orvando. It was their job to provide a "
        "tool that allows Windows users to see the files on their computer.";
    const std::string before = "Tessaline is only for NTFS file systems. This system is installed on ";
    const std::string after = ", which does not have the problem of hidden Alternate Data Stream files.";
    const struct {
        const char* what;
        std::string commandLine;
        std::string message;
    } rows[] = {
        // Wine's C: is NTFS, and Wine counts as Vista or later (its kernel32 exports GetLocaleInfoEx).
        {"the shipped program under Wine", Program(L"installer\\kivsetup.exe"), vista},
        {"FAT32 is refused before the version is looked at", Named("FAT32"), before + "FAT32" + after},
        {"a failed volume query gives an empty name", Named("/fail"), before + after},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        ExpectClosingMessage(RunWatched(row.commandLine), row.message);
        ExpectNothingInstalled();
    }
}

TEST_F(Kivsetup, CancelOrTheCloseBoxEndsWithoutAMessageOrAChange) {
    const struct {
        const char* what;
        bool acceptFirst;
        bool closeBox;
    } rows[] = {
        {"Cancel", false, false},
        {"Cancel after accepting", true, false},
        {"the close box", false, true},
        {"the close box after accepting", true, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        std::string caption;
        const WatchedOutcome run = RunWatched(XpBuild(), [&](HWND f1) {
            caption = TextOf(f1);
            if (row.acceptFirst)
                SendMessageA(GetDlgItem(f1, kOp1Accept), BM_CLICK, 0, 0);
            if (row.closeBox)
                PostMessageA(f1, WM_SYSCOMMAND, SC_CLOSE, 0);
            else
                PostMessageA(GetDlgItem(f1, kBCancel), BM_CLICK, 0, 0);
        });
        EXPECT_EQ(caption, "Tessaline") << "F1 showed";
        ExpectSilentEnd(run, 1);
        ExpectNothingInstalled();
    }
}

TEST_F(Kivsetup, InstallThroughF1InstallsAndEndsWithTheOutcome) {
    HWND shown = nullptr;
    const WatchedOutcome run = RunWatched(XpBuild(), [&](HWND f1) {
        shown = f1;
        SendMessageA(GetDlgItem(f1, kOp1Accept), BM_CLICK, 0, 0);
        PostMessageA(GetDlgItem(f1, kBOK), BM_CLICK, 0, 0);
    });
    ExpectClosingMessage(run, "Tessaline installation complete.", 1);
    ASSERT_FALSE(run.boxes.empty());
    EXPECT_EQ(run.boxes[0].owner, shown) << "the message belongs to F1";
    ExpectEverythingInstalled();

    // And the uninstaller the entry names takes it all away again.
    ExpectSilentEnd(RunWatched(
        ReadRegText(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaline",
                    "UninstallString")
            .text()));
    ExpectNothingInstalled(true);
}

// While regsvr32 runs (on a package DLL whose registration waits for this test), F1 answers
// at once, nothing brings Install or Cancel back, and its close box does not take it down;
// the install then ends as usual, with F1's message.
TEST_F(Kivsetup, F1StaysResponsiveButClosedToInputWhileTheRegistrationRuns) {
    UniqueHandleNull begun(CreateEventA(nullptr, TRUE, FALSE, "TessalineTest.RegistrationBegun"));
    UniqueHandleNull mayEnd(CreateEventA(nullptr, TRUE, FALSE, "TessalineTest.RegistrationMayEnd"));
    ASSERT_TRUE(CopyFileW(BuiltFile(L"tests\\wine\\installer\\held_registration.dll").c_str(),
                          FromAnsi((Paths().package + "\\Kivrel3.dll").c_str()).c_str(), FALSE));
    HWND shown = nullptr;
    const WatchedOutcome run = RunWatched(XpBuild(), [&](HWND f1) {
        shown = f1;
        SendMessageA(GetDlgItem(f1, kOp1Accept), BM_CLICK, 0, 0);
        PostMessageA(GetDlgItem(f1, kBOK), BM_CLICK, 0, 0);
        ASSERT_EQ(WaitForSingleObject(begun.get(), 30000), WAIT_OBJECT_0) << "regsvr32 reached the registration";
        const auto answers = [](HWND window, UINT message, WPARAM wParam = 0) {
            DWORD_PTR ignored = 0;
            return SendMessageTimeoutA(window, message, wParam, 0, SMTO_NORMAL, 5000, &ignored) != 0;
        };
        EXPECT_TRUE(answers(f1, WM_NULL)) << "F1 answers";
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(f1, kBOK))) << "Install";
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(f1, kBCancel))) << "Cancel";
        EXPECT_TRUE(answers(GetDlgItem(f1, kOp1Decline), BM_CLICK) && answers(GetDlgItem(f1, kOp1Accept), BM_CLICK));
        EXPECT_FALSE(IsWindowEnabled(GetDlgItem(f1, kBOK))) << "Install, after the options";
        EXPECT_TRUE(answers(f1, WM_SYSCOMMAND, SC_CLOSE));
        EXPECT_TRUE(IsWindowVisible(f1)) << "F1, after its close box";
        SetEvent(mayEnd.get());
    });
    ExpectClosingMessage(run, "Tessaline installation complete.", 1);
    ASSERT_FALSE(run.boxes.empty());
    EXPECT_EQ(run.boxes[0].owner, shown) << "the message belongs to F1";

    ExpectSilentEnd(RunWatched(Paths().uninstaller));
    DeleteFileA(Paths().uninstaller.c_str());
    MakePackage();
    ExpectNothingInstalled();
}

}  // namespace
}  // namespace tessaline
