// The uninstall flow over the recording system: the unregistration awaited first, then
// every key and file whatever the steps before gave; nothing without the System folder.
#include <gtest/gtest.h>

#include "RecordingSystem.h"

namespace tessaline::testing {
namespace {

TEST(UninstallFlow, UnregistersFirstThenRemovesEveryKeyAndFile) {
    const std::string fileKey = "HKCR\\*\\shellex\\PropertySheetHandlers\\Tessaline";
    const struct {
        const char* name;
        std::wstring system;
        ToolRun tool;
        std::string failKey;
        std::string run;  // the first step
        size_t valuesLeft;
    } rows[] = {
        {"after a complete install", L"C:\\WINDOWS\\system32", Tool(ToolRun::Ended), "",
         "run C:\\WINDOWS\\system32\\regsvr32.exe [regsvr32.exe /s /u C:\\WINDOWS\\system32\\Kivrel3.dll] wait 60000", 0},
        {"regsvr32 cannot be started", L"C:\\WINDOWS\\system32", Tool(ToolRun::NotStarted), "",
         "run C:\\WINDOWS\\system32\\regsvr32.exe [regsvr32.exe /s /u C:\\WINDOWS\\system32\\Kivrel3.dll] wait 60000", 0},
        {"the first key cannot be deleted", L"C:\\WINDOWS\\system32", Tool(ToolRun::Ended), fileKey,
         "run C:\\WINDOWS\\system32\\regsvr32.exe [regsvr32.exe /s /u C:\\WINDOWS\\system32\\Kivrel3.dll] wait 60000", 1},
        {"a System folder with a blank", L"D:\\WIN NT\\system32", Tool(ToolRun::Ended), "",
         "run D:\\WIN NT\\system32\\regsvr32.exe [regsvr32.exe /s /u \"D:\\WIN NT\\system32\\Kivrel3.dll\"] wait 60000", 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RecordingSystem s;
        s.system = row.system;
        s.AddPackage({L"Kivrel3.dll", L"kivremove.exe", L"vornex.dll"});
        ASSERT_EQ(Narrow(InstallFlow(s)), "Tessaline installation complete.");
        s.log.clear();
        s.toolAnswer = row.tool;
        s.failKeyDelete.insert(row.failKey);
        UninstallFlow(s);
        const std::string system = Narrow(row.system);
        EXPECT_EQ(s.log, (std::vector<std::string>{
                             row.run, "delete key " + fileKey,
                             "delete key HKCR\\Folder\\shellex\\PropertySheetHandlers\\Tessaline",
                             "delete key HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaline",
                             "delete file " + system + "\\Kivrel3.dll", "delete file " + system + "\\vornex.dll"}));
        EXPECT_EQ(s.values.size(), row.valuesLeft);
        EXPECT_EQ(s.files.count(L"C:\\WINDOWS\\kivremove.exe"), 1u) << "the uninstaller keeps itself";
    }
}

// Without the System folder "\Kivrel3.dll" would name the root of the current drive, and
// keys removed while the DLL stays registered would leave no way to uninstall it.
TEST(UninstallFlow, WithoutTheSystemFolderNothingIsTouched) {
    RecordingSystem s;
    s.AddPackage({L"Kivrel3.dll", L"kivremove.exe", L"vornex.dll"});
    ASSERT_EQ(Narrow(InstallFlow(s)), "Tessaline installation complete.");
    const auto before = s.values;
    s.log.clear();
    s.system = L"";
    UninstallFlow(s);
    EXPECT_EQ(s.log, std::vector<std::string>{});
    EXPECT_EQ(s.values, before);
}

}  // namespace
}  // namespace tessaline::testing
