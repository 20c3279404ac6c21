// kivsetup and kivremove under Wine, run and watched from outside in a prefix of their own:
// the start-up refusals, the outcomes of an install, F1's hold on Install, F1 while regsvr32
// runs, and the uninstall. Every test starts and ends with nothing installed.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "F1.h"
#include "InstallChecks.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "Win32Util.h"

namespace tessaline {
namespace {

using namespace testing;

const std::string kComplete = "Tessaline installation complete.";
const std::string kVista =
    "Windows Vista is not supported. At Orvando we do not consider Vista to be a usable product. For support with the "
    "problem of hidden ADS files, please contact Microsoft rather than Orvando. It was their job to provide a tool that "
    "allows Windows users to see the files on their computer.";

std::string Program(const wchar_t* relative) { return "\"" + ToAnsi(BuiltFile(relative)) + "\""; }
std::wstring Wide(const std::string& path) { return FromAnsi(path.c_str()); }
// A user's click: BM_CLICK presses and releases the mouse button over the control.
void Click(HWND f1, int id) { SendMessageA(GetDlgItem(f1, id), BM_CLICK, 0, 0); }
bool Enabled(HWND f1, int id) { return IsWindowEnabled(GetDlgItem(f1, id)) != FALSE; }

class Installer : public ::testing::Test {
protected:
    void SetUp() override { RemoveEverything(); }
    void TearDown() override { RemoveEverything(); }
};

TEST_F(Installer, RefusesAtStartUpAndChangesNothing) {
    const std::string named = Program(L"tests\\wine\\installer\\kivsetup_named.exe");
    const struct {
        const char* name;
        std::string commandLine;
        std::string message;
    } rows[] = {
        // Wine's C: is NTFS, and Wine counts as Vista or later: its kernel32 exports GetLocaleInfoEx.
        {"the shipped program under Wine", Program(L"installer\\kivsetup.exe"), kVista},
        // Started from Z:, the test build can query only the volume of the Windows folder; it
        // counts as Vista too, so the file system must be looked at first.
        {"FAT32 where Windows is", named + " FAT32",
         "Tessaline is only for NTFS file systems. This system is installed on FAT32, which does not have the problem "
         "of hidden Alternate Data Stream files."},
    };
    MakePackage();  // anything copied or written would show
    ASSERT_TRUE(SetCurrentDirectoryA("Z:\\"));
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ExpectEnd(RunWatched(row.commandLine), row.message);
        EXPECT_EQ(InstalledState(), "");
    }
}

TEST_F(Installer, EndsWithTheOutcomeOfTheInstall) {
    const std::string advice = " Close all Explorer windows or restart Windows, then run the installer again.";
    const struct {
        const char* name;
        std::function<void()> arrange;
        const std::string* held;  // an old file in its place, held open as Explorer holds a DLL
        std::string message;
        std::string state;
    } rows[] = {
        {"no package folder", [] {}, nullptr, "Tessaline file not found in TEMP folder. Install failed.", ""},
        {"a read-only hidden package over a read-only hidden install",
         [] {
             MakePackage();
             for (const std::string& file : {Paths().package + "\\kivremove.exe", Paths().dll, Paths().vornex,
                                             Paths().uninstaller}) {
                 if (GetFileAttributesA(file.c_str()) == INVALID_FILE_ATTRIBUTES)
                     WriteBytes(Wide(file), "old");
                 SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
             }
         },
         nullptr, kComplete, kEverything},
        {"the old Kivrel3.dll held", MakePackage, &Paths().dll,
         "Kivrel3.dll could not be copied to the System folder." + advice, "Kivrel3.dll"},
        {"the old kivremove.exe held", MakePackage, &Paths().uninstaller,
         "kivremove.exe could not be copied to the Windows folder." + advice, "Kivrel3.dll, kivremove.exe"},
        {"a Kivrel3.dll that is a text file",
         [] {
             MakePackage();
             WriteBytes(Wide(Paths().package + "\\Kivrel3.dll"), "Tessaline\r\n");
         },
         nullptr, "Error registering Kivrel3.dll file: regsvr32.exe ended with code 3.",
         "Kivrel3.dll, vornex.dll, kivremove.exe, entry, file handler, folder handler"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RemoveEverything();
        row.arrange();
        UniqueFile held;
        if (row.held) {
            ASSERT_TRUE(WriteBytes(Wide(*row.held), "old"));
            held = UniqueFile(CreateFileA(row.held->c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
            ASSERT_TRUE(static_cast<bool>(held));
        }
        ExpectEnd(InstallThroughF1(), row.message, 1);
        EXPECT_EQ(InstalledState(), row.state);
        if (row.state == kEverything)
            ExpectEverythingInstalled();
    }
}

// Cancel, even with the terms accepted, installs nothing.
TEST_F(Installer, InstallIsEnabledOnlyWhileTheTermsAreAccepted) {
    MakePackage();
    const WatchedOutcome run = RunWatched(Program(L"tests\\wine\\installer\\kivsetup_xp.exe"), [](HWND f1) {
        const struct {
            const char* what;
            int click;  // 0: none
            bool accepted;
        } steps[] = {{"at start", 0, false},
                     {"I accept", kOp1Accept, true},
                     {"I accept again", kOp1Accept, true},
                     {"I do not accept", kOp1Decline, false},
                     {"I accept once more", kOp1Accept, true}};
        for (const auto& step : steps) {
            if (step.click)
                Click(f1, step.click);
            EXPECT_EQ(Enabled(f1, kBOK), step.accepted) << step.what;
        }
        PostMessageA(GetDlgItem(f1, kBCancel), BM_CLICK, 0, 0);
    });
    ExpectEnd(run, "", 1);
    EXPECT_EQ(InstalledState(), "");
}

// While regsvr32 runs (on a package DLL whose registration waits for this test), F1 answers
// at once, nothing brings Install or Cancel back, and its close box does not take it down;
// the install then ends as usual, with its message.
TEST_F(Installer, F1StaysResponsiveButClosedToInputWhileRegistering) {
    UniqueHandleNull begun(CreateEventA(nullptr, TRUE, FALSE, "TessalineTest.RegistrationBegun"));
    UniqueHandleNull mayEnd(CreateEventA(nullptr, TRUE, FALSE, "TessalineTest.RegistrationMayEnd"));
    MakePackage();
    ASSERT_TRUE(CopyFileW(BuiltFile(L"tests\\wine\\installer\\held_registration.dll").c_str(),
                          Wide(Paths().package + "\\Kivrel3.dll").c_str(), FALSE));
    const WatchedOutcome run = InstallThroughF1([&](HWND f1) {
        ASSERT_EQ(WaitForSingleObject(begun.get(), 30000), WAIT_OBJECT_0) << "regsvr32 reached the registration";
        const auto answers = [](HWND window, UINT message, WPARAM wParam = 0) {
            DWORD_PTR ignored = 0;
            return SendMessageTimeoutA(window, message, wParam, 0, SMTO_NORMAL, 5000, &ignored) != 0;
        };
        EXPECT_TRUE(answers(f1, WM_NULL)) << "F1 answers";
        EXPECT_FALSE(Enabled(f1, kBOK)) << "Install";
        EXPECT_FALSE(Enabled(f1, kBCancel)) << "Cancel";
        EXPECT_TRUE(answers(GetDlgItem(f1, kOp1Decline), BM_CLICK) && answers(GetDlgItem(f1, kOp1Accept), BM_CLICK));
        EXPECT_FALSE(Enabled(f1, kBOK)) << "Install, after the options";
        EXPECT_TRUE(answers(f1, WM_SYSCOMMAND, SC_CLOSE));
        EXPECT_TRUE(IsWindowVisible(f1)) << "F1, after its close box";
        SetEvent(mayEnd.get());
    });
    ExpectEnd(run, kComplete, 1);
}

// Started as the system's list of programs starts it; a DLL that cannot be deleted stays,
// the keys go all the same, and nothing is said either way.
TEST_F(Installer, UninstallRemovesWhatItCanSilently) {
    const struct {
        const char* name;
        bool installed;
        DWORD attributes;  // of the installed DLLs
        bool loadDll;      // as Explorer holds it once it has shown the page
        std::string state;
    } rows[] = {
        {"read-only, hidden and system DLLs", true, FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM,
         false, "kivremove.exe"},
        {"Kivrel3.dll loaded by a process", true, FILE_ATTRIBUTE_NORMAL, true, "Kivrel3.dll, kivremove.exe"},
        {"nothing installed", false, 0, false, ""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RemoveEverything();
        std::string command = Program(L"uninstaller\\kivremove.exe");
        if (row.installed) {
            MakePackage();
            ExpectEnd(InstallThroughF1(), kComplete, 1);
            command = ReadRegText(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaline",
                                  "UninstallString");
            SetFileAttributesA(Paths().dll.c_str(), row.attributes);
            SetFileAttributesA(Paths().vornex.c_str(), row.attributes);
        }
        UniqueLibrary loaded(row.loadDll ? LoadLibraryA(Paths().dll.c_str()) : nullptr);
        ExpectEnd(RunWatched(command), "");
        EXPECT_EQ(InstalledState(), row.state);
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "*\\shellex\\PropertySheetHandlers")) << "parent keys stay";
    }
}

}  // namespace
}  // namespace tessaline
