// The install flow over the recording system: every closing message, the order of the
// copies and writes, and where a failure stops it.
#include <gtest/gtest.h>

#include <functional>

#include "Identity.h"
#include "RecordingSystem.h"

namespace tessaline::testing {
namespace {

const std::string kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaline";
const std::string kClsid = TESSALINE_CLSID_PAGE_TEXT;
const std::string kCopyDll = "copy C:\\TEMP\\kvz31\\Kivrel3.dll -> C:\\WINDOWS\\system32\\Kivrel3.dll";
const std::string kCopyUninstaller = "copy C:\\TEMP\\kvz31\\kivremove.exe -> C:\\WINDOWS\\kivremove.exe";
const std::string kCopyVornex = "copy C:\\TEMP\\kvz31\\vornex.dll -> C:\\WINDOWS\\system32\\vornex.dll";
const std::string kWrite1 = "write HKLM\\" + kUninstallKey + "|UninstallString = C:\\WINDOWS\\kivremove.exe";
const std::string kWrite2 = "write HKLM\\" + kUninstallKey + "|DisplayName = Tessaline Utility";
const std::string kWrite3 = "write HKCR\\*\\shellex\\PropertySheetHandlers\\Tessaline| = " + kClsid;
const std::string kWrite4 = "write HKCR\\Folder\\shellex\\PropertySheetHandlers\\Tessaline| = " + kClsid;
const std::string kRun =
    "run C:\\WINDOWS\\system32\\regsvr32.exe [regsvr32.exe /s C:\\WINDOWS\\system32\\Kivrel3.dll] wait 60000";
const std::vector<std::string> kFull = {kCopyDll, kCopyUninstaller, kWrite1, kWrite2, kCopyVornex, kWrite3, kWrite4, kRun};
const std::vector<const wchar_t*> kFullPackage = {L"Kivrel3.dll", L"kivremove.exe", L"vornex.dll"};

// The log line of a write that fails, and what makes it fail.
std::string Failed(const std::string& write) { return write.substr(0, write.find(" = ")) + " failed"; }
std::function<void(RecordingSystem&)> FailWrite(const std::string& write) {
    return [write](RecordingSystem& s) { s.failWrite.insert(write.substr(11, write.find(" = ") - 11)); };
}
std::function<void(RecordingSystem&)> Answer(ToolRun run) {
    return [run](RecordingSystem& s) { s.toolAnswer = run; };
}

const std::wstring kComplete = L"Tessaline installation complete.";
const std::wstring kNotFound = L"Tessaline file not found in TEMP folder. Install failed.";
const std::wstring kNotCopied = L"Kivrel3.dll could not be copied to the System folder. Close all Explorer windows or "
                                L"restart Windows, then run the installer again.";
const std::wstring kUninstallerNotCopied = L"kivremove.exe could not be copied to the Windows folder. Close all "
                                          L"Explorer windows or restart Windows, then run the installer again.";
const std::wstring kVornexNotCopied = L"vornex.dll could not be copied to the System folder. Close all Explorer "
                                     L"windows or restart Windows, then run the installer again.";
const std::wstring kRegistryFailed =
    L"Failed writing to Registry. Try running installer again logged on as an Administrator.";
const std::wstring kInstallFailed =
    L"Failed to install Tessaline. Try running installer again logged on as an Administrator.";
const std::wstring kRegisterError = L"Error registering Kivrel3.dll file: regsvr32.exe ";
const std::wstring kNoFolder = L"Tessaline could not find the Windows, System or Temp folder. Nothing was installed.";

TEST(InstallFlow, EachOutcomeEndsInItsMessageAfterExactlyItsSteps) {
    const std::wstring dll = L"C:\\WINDOWS\\system32\\Kivrel3.dll";
    const struct {
        const char* name;
        std::vector<const wchar_t*> package;
        std::function<void(RecordingSystem&)> change;
        std::wstring message;
        std::vector<std::string> log;
    } rows[] = {
        {"everything succeeds", kFullPackage, nullptr, kComplete, kFull},
        {"empty package folder", {}, nullptr, kNotFound, {}},
        {"package without the page DLL", {L"kivremove.exe", L"vornex.dll"}, nullptr, kNotFound, {}},
        {"package with only the page DLL", {L"Kivrel3.dll"}, nullptr, kComplete, {kCopyDll, kWrite3, kWrite4, kRun}},
        {"package without the uninstaller", {L"Kivrel3.dll", L"vornex.dll"}, nullptr, kComplete,
         {kCopyDll, kCopyVornex, kWrite3, kWrite4, kRun}},
        // A failed write stops the install; nothing done before it is undone.
        {"UninstallString cannot be written", kFullPackage, FailWrite(kWrite1), kRegistryFailed,
         {kCopyDll, kCopyUninstaller, Failed(kWrite1)}},
        {"DisplayName cannot be written", kFullPackage, FailWrite(kWrite2), kRegistryFailed,
         {kCopyDll, kCopyUninstaller, kWrite1, Failed(kWrite2)}},
        {"file handler key cannot be written", kFullPackage, FailWrite(kWrite3), kInstallFailed,
         {kCopyDll, kCopyUninstaller, kWrite1, kWrite2, kCopyVornex, Failed(kWrite3)}},
        {"folder handler key cannot be written", kFullPackage, FailWrite(kWrite4), kInstallFailed,
         {kCopyDll, kCopyUninstaller, kWrite1, kWrite2, kCopyVornex, kWrite3, Failed(kWrite4)}},
        // The tool is awaited, and only an exit code of 0 counts as registered.
        {"registration tool cannot be started", kFullPackage,
         Answer(Tool(ToolRun::NotStarted, 0, 2, L"The system cannot find the file specified.")),
         kRegisterError + L"could not be started: The system cannot find the file specified.", kFull},
        {"... and the platform has no words for it", kFullPackage, Answer(Tool(ToolRun::NotStarted, 0, 193)),
         kRegisterError + L"could not be started: error 193.", kFull},
        {"registration ends with code 5", kFullPackage, Answer(Tool(ToolRun::Ended, 5)),
         kRegisterError + L"ended with code 5.", kFull},
        {"registration does not end", kFullPackage, Answer(Tool(ToolRun::NoEnd)),
         kRegisterError + L"did not end within 60 seconds.", kFull},
        // A copy that left the old DLL (held by Explorer) stops before any write.
        {"page DLL copy refused, the old one stays", kFullPackage,
         [&](RecordingSystem& s) { s.files[dll] = "old Kivrel3.dll"; s.failCopyTo.insert(dll); }, kNotCopied, {kCopyDll}},
        {"page DLL copy failed, nothing in its place", kFullPackage,
         [&](RecordingSystem& s) { s.failCopyTo.insert(dll); }, kNotCopied, {kCopyDll}},
        // Without a folder every path would name the root of the current drive: even a
        // package found there is not taken.
        {"no Windows folder", kFullPackage, [](RecordingSystem& s) { s.windows = L""; }, kNoFolder, {}},
        {"no System folder", kFullPackage, [](RecordingSystem& s) { s.system = L""; }, kNoFolder, {}},
        {"no Temp folder, a package at the drive's root", {},
         [](RecordingSystem& s) { s.temp = L""; s.AddPackage(kFullPackage); }, kNoFolder, {}},
        // The other two copies likewise: an uninstall entry naming an old uninstaller, or a
        // page calling an old vornex.dll, is no install.
        {"uninstaller copy refused, the old one stays", kFullPackage,
         [](RecordingSystem& s) {
             s.files[L"C:\\WINDOWS\\kivremove.exe"] = "old kivremove.exe";
             s.failCopyTo.insert(L"C:\\WINDOWS\\kivremove.exe");
         },
         kUninstallerNotCopied, {kCopyDll, kCopyUninstaller}},
        {"vornex.dll copy failed, nothing in its place", kFullPackage,
         [](RecordingSystem& s) { s.failCopyTo.insert(L"C:\\WINDOWS\\system32\\vornex.dll"); }, kVornexNotCopied,
         {kCopyDll, kCopyUninstaller, kWrite1, kWrite2, kCopyVornex}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RecordingSystem s;
        s.AddPackage(row.package);
        if (row.change)
            row.change(s);
        EXPECT_EQ(Narrow(InstallFlow(s)), Narrow(row.message));
        EXPECT_EQ(s.log, row.log);
    }
}

// The tool comes from the System folder by full path; the path in its command
// line is quoted only when it holds a blank (a tab too). The uninstall entry stays unquoted.
TEST(InstallFlow, FoldersWithBlanks) {
    RecordingSystem s;
    s.windows = L"D:\\My Windows";
    s.system = L"D:\\My Windows\\system 32";
    s.AddPackage(kFullPackage);
    ASSERT_EQ(Narrow(InstallFlow(s)), Narrow(kComplete));
    EXPECT_EQ(s.log.back(), "run D:\\My Windows\\system 32\\regsvr32.exe "
                            "[regsvr32.exe /s \"D:\\My Windows\\system 32\\Kivrel3.dll\"] wait 60000");
    EXPECT_EQ(s.values["HKLM\\" + kUninstallKey + "|UninstallString"], "D:\\My Windows\\kivremove.exe");
    EXPECT_EQ(Narrow(RegistrationCommand(L"C:\\WIN\tNT\\Kivrel3.dll", false)),
              "regsvr32.exe /s \"C:\\WIN\tNT\\Kivrel3.dll\"");
}

}  // namespace
}  // namespace tessaline::testing
