// The uninstall flow over the recording system: the unregistration awaited first, then
// every key and file whatever the steps before gave; nothing without the System folder.
#include <gtest/gtest.h>

#include "RecordingSystem.h"

namespace tessaline::testing {
namespace {

const std::string kFileKey = "HKCR\\*\\shellex\\PropertySheetHandlers\\Tessaline";

void Install(RecordingSystem& s) {
    s.AddPackage({L"Kivrel3.dll", L"kivremove.exe", L"vornex.dll"});
    ASSERT_EQ(Narrow(InstallFlow(s)), "Tessaline installation complete.");
    s.log.clear();
}

TEST(UninstallFlow, UnregistersFirstThenRemovesEveryKeyAndFile) {
    const struct {
        const char* name;
        std::wstring system;
        ToolRun::Outcome tool;
        std::string failKey;
        std::string run;  // the first step, awaited
        size_t valuesLeft;
    } rows[] = {
        {"after a complete install", L"C:\\WINDOWS\\system32", ToolRun::Ended, "",
         "run C:\\WINDOWS\\system32\\regsvr32.exe [regsvr32.exe /s /u C:\\WINDOWS\\system32\\Kivrel3.dll] wait 60000", 0},
        {"regsvr32 not started, the first key not deleted", L"C:\\WINDOWS\\system32", ToolRun::NotStarted, kFileKey,
         "run C:\\WINDOWS\\system32\\regsvr32.exe [regsvr32.exe /s /u C:\\WINDOWS\\system32\\Kivrel3.dll] wait 60000", 1},
        {"a System folder with a blank", L"D:\\WIN NT\\system32", ToolRun::Ended, "",
         "run D:\\WIN NT\\system32\\regsvr32.exe [regsvr32.exe /s /u \"D:\\WIN NT\\system32\\Kivrel3.dll\"] wait 60000", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RecordingSystem s;
        s.system = row.system;
        Install(s);
        s.toolAnswer = Tool(row.tool);
        s.failKeyDelete.insert(row.failKey);
        UninstallFlow(s);
        const std::string system = Narrow(row.system);
        EXPECT_EQ(s.log, (std::vector<std::string>{
                             row.run, "delete key " + kFileKey,
                             "delete key HKCR\\Folder\\shellex\\PropertySheetHandlers\\Tessaline",
                             "delete key HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaline",
                             "delete file " + system + "\\Kivrel3.dll", "delete file " + system + "\\vornex.dll"}));
        EXPECT_EQ(s.values.size(), row.valuesLeft);
    }
}

// Without the System folder "\Kivrel3.dll" would name the root of the current drive, and
// keys removed while the DLL stays registered would leave no way to uninstall it.
TEST(UninstallFlow, WithoutTheSystemFolderNothingIsTouched) {
    RecordingSystem s;
    Install(s);
    const auto before = s.values;
    s.system = L"";
    UninstallFlow(s);
    EXPECT_EQ(s.log, std::vector<std::string>{});
    EXPECT_EQ(s.values, before);
}

}  // namespace
}  // namespace tessaline::testing
