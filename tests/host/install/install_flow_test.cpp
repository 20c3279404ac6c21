// The install flow over the recording system: every closing message, the order of the
// copies and writes, and where a failure stops it.
#include <gtest/gtest.h>

#include <functional>

#include "RecordingSystem.h"

namespace tessaline::testing {
namespace {

const std::string kCopyDll = "copy C:\\TEMP\\kvz31\\Kivrel3.dll -> C:\\WINDOWS\\system32\\Kivrel3.dll";
const std::string kCopyUninstaller = "copy C:\\TEMP\\kvz31\\kivremove.exe -> C:\\WINDOWS\\kivremove.exe";
const std::string kCopyVornex = "copy C:\\TEMP\\kvz31\\vornex.dll -> C:\\WINDOWS\\system32\\vornex.dll";
const std::string kUninstallKey = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaline";
const std::string kWrite1 = "write " + kUninstallKey + "|UninstallString = C:\\WINDOWS\\kivremove.exe";
const std::string kWrite1Failed = "write " + kUninstallKey + "|UninstallString failed";
const std::string kWrite2 = "write " + kUninstallKey + "|DisplayName = Tessaline Utility";
const std::string kWrite2Failed = "write " + kUninstallKey + "|DisplayName failed";
const std::string kWrite3 =
    "write HKCR\\*\\shellex\\PropertySheetHandlers\\Tessaline| = {4B7A2E9F-6C1D-11E0-8F3A-5E21A7C3D094}";
const std::string kWrite3Failed = "write HKCR\\*\\shellex\\PropertySheetHandlers\\Tessaline| failed";
const std::string kWrite4 =
    "write HKCR\\Folder\\shellex\\PropertySheetHandlers\\Tessaline| = {4B7A2E9F-6C1D-11E0-8F3A-5E21A7C3D094}";
const std::string kWrite4Failed = "write HKCR\\Folder\\shellex\\PropertySheetHandlers\\Tessaline| failed";
const std::string kRun =
    "run C:\\WINDOWS\\system32\\regsvr32.exe [regsvr32.exe /s C:\\WINDOWS\\system32\\Kivrel3.dll] wait 60000";

const std::vector<std::string> kFullInstall = {kCopyDll, kCopyUninstaller, kWrite1, kWrite2,
                                               kCopyVornex, kWrite3, kWrite4, kRun};

void FullPackage(RecordingSystem& s) { s.AddPackage({L"Kivrel3.dll", L"kivremove.exe", L"vornex.dll"}); }

ToolRun NotStarted(uint32_t error, const wchar_t* text) {
    ToolRun run;
    run.outcome = ToolRun::NotStarted;
    run.error = error;
    run.errorText = text;
    return run;
}

struct Row {
    const char* name;
    std::function<void(RecordingSystem&)> setUp;
    std::wstring message;
    std::vector<std::string> log;
};

TEST(InstallFlow, EachOutcomeEndsInItsMessageAfterExactlyItsSteps) {
    const std::wstring registerError = L"Error registering Kivrel3.dll file: ";
    const Row rows[] = {
        {"everything succeeds", FullPackage, L"Tessaline installation complete.", kFullInstall},
        {"empty package folder", [](RecordingSystem&) {},
         L"Tessaline file not found in TEMP folder. Install failed.", {}},
        {"package without the page DLL",
         [](RecordingSystem& s) { s.AddPackage({L"kivremove.exe", L"vornex.dll"}); },
         L"Tessaline file not found in TEMP folder. Install failed.", {}},
        {"package with only the page DLL", [](RecordingSystem& s) { s.AddPackage({L"Kivrel3.dll"}); },
         L"Tessaline installation complete.", {kCopyDll, kWrite3, kWrite4, kRun}},
        {"package without the uninstaller",
         [](RecordingSystem& s) { s.AddPackage({L"Kivrel3.dll", L"vornex.dll"}); },
         L"Tessaline installation complete.", {kCopyDll, kCopyVornex, kWrite3, kWrite4, kRun}},
        // A failed write stops the install; nothing done before it is undone (no deletion logged).
        {"UninstallString cannot be written",
         [](RecordingSystem& s) {
             FullPackage(s);
             s.failWrite.insert(kUninstallKey.substr(5) + "|UninstallString");
         },
         L"Failed writing to Registry. Try running installer again logged on as an Administrator.",
         {kCopyDll, kCopyUninstaller, kWrite1Failed}},
        {"DisplayName cannot be written",
         [](RecordingSystem& s) {
             FullPackage(s);
             s.failWrite.insert(kUninstallKey.substr(5) + "|DisplayName");
         },
         L"Failed writing to Registry. Try running installer again logged on as an Administrator.",
         {kCopyDll, kCopyUninstaller, kWrite1, kWrite2Failed}},
        {"file handler key cannot be written",
         [](RecordingSystem& s) {
             FullPackage(s);
             s.failWrite.insert("*\\shellex\\PropertySheetHandlers\\Tessaline|");
         },
         L"Failed to install Tessaline. Try running installer again logged on as an Administrator.",
         {kCopyDll, kCopyUninstaller, kWrite1, kWrite2, kCopyVornex, kWrite3Failed}},
        {"folder handler key cannot be written",
         [](RecordingSystem& s) {
             FullPackage(s);
             s.failWrite.insert("Folder\\shellex\\PropertySheetHandlers\\Tessaline|");
         },
         L"Failed to install Tessaline. Try running installer again logged on as an Administrator.",
         {kCopyDll, kCopyUninstaller, kWrite1, kWrite2, kCopyVornex, kWrite3, kWrite4Failed}},
        {"registration tool cannot be started",
         [](RecordingSystem& s) {
             FullPackage(s);
             s.toolAnswer = NotStarted(2, L"The system cannot find the file specified.");
         },
         registerError + L"regsvr32.exe could not be started: The system cannot find the file specified.",
         kFullInstall},
        {"registration tool cannot be started, the platform has no words for it",
         [](RecordingSystem& s) {
             FullPackage(s);
             s.toolAnswer = NotStarted(193, L"");
         },
         registerError + L"regsvr32.exe could not be started: error 193.", kFullInstall},
        // Mended: the tool is awaited and only an exit code of 0 counts as registered.
        {"registration ends with code 5",
         [](RecordingSystem& s) {
             FullPackage(s);
             s.toolAnswer = RecordingSystem::Ended(5);
         },
         registerError + L"regsvr32.exe ended with code 5.", kFullInstall},
        {"registration ends with code 3",
         [](RecordingSystem& s) {
             FullPackage(s);
             s.toolAnswer = RecordingSystem::Ended(3);
         },
         registerError + L"regsvr32.exe ended with code 3.", kFullInstall},
        {"registration does not end",
         [](RecordingSystem& s) {
             FullPackage(s);
             s.toolAnswer.outcome = ToolRun::NoEnd;
         },
         registerError + L"regsvr32.exe did not end within 60 seconds.", kFullInstall},
        // Mended: a copy that left the old DLL (held by Explorer) stops before any write.
        {"page DLL copy refused, the old one stays",
         [](RecordingSystem& s) {
             FullPackage(s);
             s.files[L"C:\\WINDOWS\\system32\\Kivrel3.dll"] = "old Kivrel3.dll";
             s.failCopyTo.insert(L"C:\\WINDOWS\\system32\\Kivrel3.dll");
         },
         L"Kivrel3.dll could not be copied to the System folder. Close all Explorer windows or restart Windows, "
         L"then run the installer again.",
         {kCopyDll}},
        {"page DLL copy failed, nothing in its place",
         [](RecordingSystem& s) {
             FullPackage(s);
             s.failCopyTo.insert(L"C:\\WINDOWS\\system32\\Kivrel3.dll");
         },
         L"Kivrel3.dll could not be copied to the System folder. Close all Explorer windows or restart Windows, "
         L"then run the installer again.",
         {kCopyDll}},
        {"uninstaller and vornex.dll copies fail unnoticed",
         [](RecordingSystem& s) {
             FullPackage(s);
             s.failCopyTo.insert(L"C:\\WINDOWS\\kivremove.exe");
             s.failCopyTo.insert(L"C:\\WINDOWS\\system32\\vornex.dll");
         },
         L"Tessaline installation complete.", kFullInstall},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        RecordingSystem s;
        row.setUp(s);
        EXPECT_EQ(Narrow(InstallFlow(s)), Narrow(row.message));
        EXPECT_EQ(s.log, row.log);
    }
}

// Mended: the tool comes from the System folder by full path; the path in its command
// line is quoted only when it holds a blank. The uninstall entry stays unquoted.
TEST(InstallFlow, FoldersWithBlanks) {
    RecordingSystem s;
    s.windows = L"D:\\My Windows";
    s.system = L"D:\\My Windows\\system 32";
    FullPackage(s);
    ASSERT_EQ(Narrow(InstallFlow(s)), "Tessaline installation complete.");
    EXPECT_EQ(s.log.back(),
              "run D:\\My Windows\\system 32\\regsvr32.exe "
              "[regsvr32.exe /s \"D:\\My Windows\\system 32\\Kivrel3.dll\"] wait 60000");
    EXPECT_EQ(s.values[kUninstallKey + "|UninstallString"], "D:\\My Windows\\kivremove.exe");
}

TEST(RegistrationCommand, QuotesThePathOnlyWhenItHoldsABlank) {
    struct {
        const wchar_t* path;
        bool unregister;
        const char* command;
    } const rows[] = {
        {L"C:\\WINDOWS\\system32\\Kivrel3.dll", false, "regsvr32.exe /s C:\\WINDOWS\\system32\\Kivrel3.dll"},
        {L"C:\\WINDOWS\\system32\\Kivrel3.dll", true, "regsvr32.exe /s /u C:\\WINDOWS\\system32\\Kivrel3.dll"},
        {L"C:\\WIN NT\\system32\\Kivrel3.dll", false, "regsvr32.exe /s \"C:\\WIN NT\\system32\\Kivrel3.dll\""},
        {L"C:\\WIN NT\\system32\\Kivrel3.dll", true, "regsvr32.exe /s /u \"C:\\WIN NT\\system32\\Kivrel3.dll\""},
        {L"C:\\WIN\tNT\\Kivrel3.dll", false, "regsvr32.exe /s \"C:\\WIN\tNT\\Kivrel3.dll\""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.command);
        EXPECT_EQ(Narrow(RegistrationCommand(row.path, row.unregister)), row.command);
    }
    EXPECT_EQ(Narrow(RegistrationToolPath(L"C:\\WIN NT\\system32")), "C:\\WIN NT\\system32\\regsvr32.exe");
}

}  // namespace
}  // namespace tessaline::testing
