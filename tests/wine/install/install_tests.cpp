// The whole cycle in a prefix of its own: RunInstall (in install_runner.exe, since it ends
// its program) against a package folder of the built files, then the real kivremove.exe.
// The tests build on each other and run in the order written.
#include <gtest/gtest.h>

#include <string>

#include "Identity.h"
#include "InstallChecks.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "Win32Util.h"

namespace tessaline {
namespace {

using namespace testing;

const std::string kComplete = "Tessaline installation complete.";

WatchedOutcome RunInstall() { return RunWatched(ToAnsi(BuiltFile(L"tests\\wine\\install\\install_runner.exe"))); }

TEST(InstallCycle, MissingOrEmptyPackageFolderChangesNothing) {
    for (bool emptyFolder : {false, true}) {
        SCOPED_TRACE(emptyFolder ? "an empty package folder" : "no package folder");
        RemovePackage();
        if (emptyFolder)
            CreateDirectoryA(Paths().package.c_str(), nullptr);
        ExpectClosingMessage(RunInstall(), "Tessaline file not found in TEMP folder. Install failed.");
        ExpectNothingInstalled();
    }
}

// As Explorer holds a loaded Kivrel3.dll: the old file can be neither deleted nor replaced.
TEST(InstallCycle, APageDllHeldOpenStopsTheInstallBeforeAnythingElse) {
    ASSERT_TRUE(WriteBytes(FromAnsi(Paths().dll.c_str()), "old page DLL"));
    MakePackage();
    {
        UniqueFile held(CreateFileA(Paths().dll.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(static_cast<bool>(held));
        ExpectClosingMessage(RunInstall(), "Kivrel3.dll could not be copied to the System folder. Close all Explorer "
                                           "windows or restart Windows, then run the installer again.");
    }
    EXPECT_EQ(ReadBytes(FromAnsi(Paths().dll.c_str())), "old page DLL");
    DeleteFileA(Paths().dll.c_str());
    ExpectNothingInstalled();
}

// The uninstaller or vornex.dll held open without sharing: its copy fails, the install
// stops there (so the uninstall entry exists only when the uninstaller was copied) and
// says so. The built uninstaller takes away what came before.
TEST(InstallCycle, AnUninstallerOrVornexHeldOpenStopsTheInstallAtItsCopy) {
    const std::string kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaline";
    const struct {
        const char* name;
        std::string destination;
        std::string message;
        bool entryWritten;
    } rows[] = {
        {"kivremove.exe", Paths().uninstaller,
         "kivremove.exe could not be copied to the Windows folder. Close all Explorer windows or restart Windows, then "
         "run the installer again.",
         false},
        {"vornex.dll", Paths().vornex,
         "vornex.dll could not be copied to the System folder. Close all Explorer windows or restart Windows, then run "
         "the installer again.",
         true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_TRUE(WriteBytes(FromAnsi(row.destination.c_str()), "old"));
        {
            UniqueFile held(CreateFileA(row.destination.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
            ASSERT_TRUE(static_cast<bool>(held));
            ExpectClosingMessage(RunInstall(), row.message);
        }
        EXPECT_EQ(ReadBytes(FromAnsi(row.destination.c_str())), "old");
        EXPECT_EQ(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey), row.entryWritten) << "the uninstall entry";
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "*\\shellex\\PropertySheetHandlers\\Tessaline")) << "nothing after the copy";
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "CLSID\\" TESSALINE_CLSID_PAGE_TEXT)) << "not registered";

        ExpectSilentEnd(RunWatched("\"" + ToAnsi(BuiltFile(L"uninstaller\\kivremove.exe")) + "\""));
        DeleteFileA(row.destination.c_str());
        DeleteFileA(Paths().uninstaller.c_str());
        ExpectNothingInstalled();
    }
}

TEST(InstallCycle, AFullPackageIsInstalledAndRegistered) {
    MakePackage();
    // The copy takes its attributes from the source, which is made normal first.
    const std::string source = Paths().package + "\\kivremove.exe";
    SetFileAttributesA(source.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    ExpectClosingMessage(RunInstall(), kComplete);
    ExpectEverythingInstalled();
}

TEST(InstallCycle, ASecondRunReplacesReadOnlyInstalledFiles) {
    SetFileAttributesA(Paths().dll.c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA(Paths().vornex.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA(Paths().uninstaller.c_str(), FILE_ATTRIBUTE_READONLY);
    ExpectClosingMessage(RunInstall(), kComplete);
    ExpectEverythingInstalled();
}

// Started as the system's list of programs starts it: the UninstallString as it stands.
// The class registration is gone too, so the tool was awaited before the DLL went.
TEST(InstallCycle, KivremoveRemovesEverythingSilently) {
    const RegText command = ReadRegText(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\"
                                                            "Tessaline", "UninstallString");
    ASSERT_EQ(command.status, ERROR_SUCCESS);
    SetFileAttributesA(Paths().dll.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    SetFileAttributesA(Paths().vornex.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    ExpectSilentEnd(RunWatched(command.text()));
    ExpectNothingInstalled(true);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "*\\shellex\\PropertySheetHandlers")) << "parent keys stay";
}

TEST(InstallCycle, ASecondUninstallEndsSilently) {
    ExpectSilentEnd(RunWatched(Paths().uninstaller));
    ExpectNothingInstalled(true);
}

}  // namespace
}  // namespace tessaline
