// The uninstall flow over the recording system: its order, that nothing stops it, and
// that it removes what the install wrote.
#include <gtest/gtest.h>

#include <functional>

#include "RecordingSystem.h"

namespace tessaline::testing {
namespace {

const std::string kRunUnregister =
    "run C:\\WINDOWS\\system32\\regsvr32.exe [regsvr32.exe /s /u C:\\WINDOWS\\system32\\Kivrel3.dll] wait 60000";
const std::string kDeleteFileKey = "delete key HKCR\\*\\shellex\\PropertySheetHandlers\\Tessaline";
const std::string kDeleteFolderKey = "delete key HKCR\\Folder\\shellex\\PropertySheetHandlers\\Tessaline";
const std::string kDeleteUninstallKey =
    "delete key HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaline";
const std::string kDeleteDll = "delete file C:\\WINDOWS\\system32\\Kivrel3.dll";
const std::string kDeleteVornex = "delete file C:\\WINDOWS\\system32\\vornex.dll";

const std::vector<std::string> kFullUninstall = {kRunUnregister, kDeleteFileKey, kDeleteFolderKey,
                                                 kDeleteUninstallKey, kDeleteDll, kDeleteVornex};

void Installed(RecordingSystem& s) {
    s.AddPackage({L"Kivrel3.dll", L"kivremove.exe", L"vornex.dll"});
    ASSERT_EQ(Narrow(InstallFlow(s)), "Tessaline installation complete.");
    s.log.clear();
}

TEST(UninstallFlow, RunsEveryStepInOrderWhateverTheStepsBeforeGave) {
    struct Row {
        const char* name;
        std::function<void(RecordingSystem&)> setUp;
    };
    const Row rows[] = {
        {"after a complete install", Installed},
        {"second run, nothing installed", [](RecordingSystem&) {}},
        {"tool cannot be started",
         [](RecordingSystem& s) {
             Installed(s);
             s.toolAnswer.outcome = ToolRun::NotStarted;
         }},
        {"unregistration ends with code 5",
         [](RecordingSystem& s) {
             Installed(s);
             s.toolAnswer = RecordingSystem::Ended(5);
         }},
        {"unregistration does not end",
         [](RecordingSystem& s) {
             Installed(s);
             s.toolAnswer.outcome = ToolRun::NoEnd;
         }},
        {"first key cannot be deleted",
         [](RecordingSystem& s) {
             Installed(s);
             s.failKeyDelete.insert("HKCR\\*\\shellex\\PropertySheetHandlers\\Tessaline");
         }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RecordingSystem s;
        row.setUp(s);
        UninstallFlow(s);
        // The tool runs first and is awaited (the wait bound is in the log), so the DLL is
        // unregistered before it is deleted.
        EXPECT_EQ(s.log, kFullUninstall);
    }
}

// Mended: without the System folder, "\Kivrel3.dll" would name the root of the current
// drive; nothing is started or deleted, the keys still go.
TEST(UninstallFlow, WithoutTheSystemFolderOnlyTheKeysGo) {
    RecordingSystem s;
    Installed(s);
    s.system = L"";
    s.files[L"\\Kivrel3.dll"] = "someone else's";
    s.files[L"\\vornex.dll"] = "someone else's";
    UninstallFlow(s);
    EXPECT_EQ(s.log, (std::vector<std::string>{kDeleteFileKey, kDeleteFolderKey, kDeleteUninstallKey}));
    EXPECT_TRUE(s.values.empty());
    EXPECT_EQ(s.files.count(L"\\Kivrel3.dll"), 1u);
}

TEST(UninstallFlow, StartsTheToolFromTheSystemFolderQuotingABlankPath) {
    RecordingSystem s;
    s.system = L"D:\\WIN NT\\system32";
    UninstallFlow(s);
    ASSERT_FALSE(s.log.empty());
    EXPECT_EQ(s.log.front(),
              "run D:\\WIN NT\\system32\\regsvr32.exe [regsvr32.exe /s /u \"D:\\WIN NT\\system32\\Kivrel3.dll\"] "
              "wait 60000");
}

TEST(UninstallFlow, RemovesEveryKeyAndDllTheInstallWroteAndKeepsItself) {
    RecordingSystem s;
    Installed(s);
    const auto keysBefore = s.keys;
    UninstallFlow(s);
    EXPECT_TRUE(s.values.empty()) << "first left: " << (s.values.empty() ? "" : s.values.begin()->first);
    for (const std::string& key : keysBefore) {
        SCOPED_TRACE(key);
        const bool tessaline = key.size() >= 10 && key.compare(key.size() - 10, 10, "\\Tessaline") == 0;
        EXPECT_EQ(s.keys.count(key), tessaline ? 0u : 1u);
    }
    EXPECT_EQ(s.files.count(L"C:\\WINDOWS\\system32\\Kivrel3.dll"), 0u);
    EXPECT_EQ(s.files.count(L"C:\\WINDOWS\\system32\\vornex.dll"), 0u);
    EXPECT_EQ(s.files.count(L"C:\\WINDOWS\\kivremove.exe"), 1u);
}

}  // namespace
}  // namespace tessaline::testing
