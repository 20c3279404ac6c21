// The uninstall flow over the recording system: every step in order whatever the steps
// before gave, and what it removes.
#include <gtest/gtest.h>

#include "RecordingSystem.h"

namespace tessaline::testing {
namespace {

const std::string kFileKey = "HKCR\\*\\shellex\\PropertySheetHandlers\\Tessaline";
const std::vector<std::string> kKeysGo = {
    "delete key " + kFileKey, "delete key HKCR\\Folder\\shellex\\PropertySheetHandlers\\Tessaline",
    "delete key HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaline"};

void Install(RecordingSystem& s) {
    s.AddPackage({L"Kivrel3.dll", L"kivremove.exe", L"vornex.dll"});
    ASSERT_EQ(Narrow(InstallFlow(s)), "Tessaline installation complete.");
    s.log.clear();
}

TEST(UninstallFlow, RunsEveryStepInOrderWhateverTheStepsBeforeGave) {
    const struct {
        const char* name;
        bool installed;
        ToolRun tool;
        std::string failKey;
    } rows[] = {
        {"after a complete install", true, Tool(ToolRun::Ended), ""},
        {"second run, nothing installed", false, Tool(ToolRun::Ended), ""},
        {"tool cannot be started", true, Tool(ToolRun::NotStarted), ""},
        {"unregistration ends with code 5", true, Tool(ToolRun::Ended, 5), ""},
        {"unregistration does not end", true, Tool(ToolRun::NoEnd), ""},
        {"first key cannot be deleted", true, Tool(ToolRun::Ended), kFileKey},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RecordingSystem s;
        if (row.installed)
            Install(s);
        s.toolAnswer = row.tool;
        s.failKeyDelete.insert(row.failKey);
        UninstallFlow(s);
        // The tool runs first and is awaited (the wait bound is in the log), so the DLL is
        // unregistered before it is deleted.
        std::vector<std::string> expected = {
            "run C:\\WINDOWS\\system32\\regsvr32.exe [regsvr32.exe /s /u C:\\WINDOWS\\system32\\Kivrel3.dll] wait 60000"};
        expected.insert(expected.end(), kKeysGo.begin(), kKeysGo.end());
        expected.push_back("delete file C:\\WINDOWS\\system32\\Kivrel3.dll");
        expected.push_back("delete file C:\\WINDOWS\\system32\\vornex.dll");
        EXPECT_EQ(s.log, expected);
    }
}

// Without the System folder, "\Kivrel3.dll" would name the root of the current drive; and
// keys removed while the DLL stays registered would leave no way to uninstall it.
TEST(UninstallFlow, WithoutTheSystemFolderNothingIsTouched) {
    RecordingSystem s;
    Install(s);
    const auto valuesBefore = s.values;
    s.system = L"";
    UninstallFlow(s);
    EXPECT_EQ(s.log, std::vector<std::string>{});
    EXPECT_EQ(s.values, valuesBefore);
}

TEST(UninstallFlow, StartsTheToolFromTheSystemFolderQuotingABlankPath) {
    RecordingSystem s;
    s.system = L"D:\\WIN NT\\system32";
    UninstallFlow(s);
    ASSERT_FALSE(s.log.empty());
    EXPECT_EQ(s.log.front(), "run D:\\WIN NT\\system32\\regsvr32.exe [regsvr32.exe /s /u "
                             "\"D:\\WIN NT\\system32\\Kivrel3.dll\"] wait 60000");
}

// What the install wrote goes, the keys above it and the uninstaller stay.
TEST(UninstallFlow, RemovesEveryKeyAndDllTheInstallWroteAndKeepsItself) {
    RecordingSystem s;
    Install(s);
    const auto keysBefore = s.keys;
    UninstallFlow(s);
    EXPECT_TRUE(s.values.empty()) << "first left: " << (s.values.empty() ? "" : s.values.begin()->first);
    for (const std::string& key : keysBefore) {
        const bool ours = key.size() >= 10 && key.compare(key.size() - 10, 10, "\\Tessaline") == 0;
        EXPECT_EQ(s.keys.count(key), ours ? 0u : 1u) << key;
    }
    EXPECT_EQ(s.files.count(L"C:\\WINDOWS\\system32\\Kivrel3.dll") + s.files.count(L"C:\\WINDOWS\\system32\\vornex.dll"), 0u);
    EXPECT_EQ(s.files.count(L"C:\\WINDOWS\\kivremove.exe"), 1u);
}

}  // namespace
}  // namespace tessaline::testing
