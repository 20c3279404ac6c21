// The install flow over the recording system: each outcome's message after exactly its
// steps, and the folders it is given. (The Wine program runs the outcomes Wine can stage.)
#include <gtest/gtest.h>

#include <functional>

#include "FolderPath.h"
#include "Identity.h"
#include "RecordingSystem.h"

namespace tessaline::testing {
namespace {

const std::string kUninstallKey = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaline";
const std::string kCopyDll = "copy C:\\TEMP\\kvz31\\Kivrel3.dll -> C:\\WINDOWS\\system32\\Kivrel3.dll";
const std::string kCopyUninstaller = "copy C:\\TEMP\\kvz31\\kivremove.exe -> C:\\WINDOWS\\kivremove.exe";
const std::string kCopyVornex = "copy C:\\TEMP\\kvz31\\vornex.dll -> C:\\WINDOWS\\system32\\vornex.dll";
const std::string kWrite1 = "write " + kUninstallKey + "|UninstallString = C:\\WINDOWS\\kivremove.exe";
const std::string kWrite2 = "write " + kUninstallKey + "|DisplayName = Tessaline Utility";
const std::string kWrite3 = "write HKCR\\*\\shellex\\PropertySheetHandlers\\Tessaline| = " TESSALINE_CLSID_PAGE_TEXT;
const std::string kWrite4 = "write HKCR\\Folder\\shellex\\PropertySheetHandlers\\Tessaline| = " TESSALINE_CLSID_PAGE_TEXT;
// From the System folder by full path, never through the search path; awaited.
const std::string kRun =
    "run C:\\WINDOWS\\system32\\regsvr32.exe [regsvr32.exe /s C:\\WINDOWS\\system32\\Kivrel3.dll] wait 60000";
const std::vector<std::string> kFull = {kCopyDll, kCopyUninstaller, kWrite1, kWrite2, kCopyVornex, kWrite3, kWrite4, kRun};
const std::vector<const wchar_t*> kFullPackage = {L"Kivrel3.dll", L"kivremove.exe", L"vornex.dll"};

using Change = std::function<void(RecordingSystem&)>;
// A write that fails, and its log line.
Change FailWrite(const std::string& write) {
    return [write](RecordingSystem& s) { s.failWrite.insert(write.substr(6, write.find(" = ") - 6)); };
}
std::string Failed(const std::string& write) { return write.substr(0, write.find(" = ")) + " failed"; }
Change Answer(ToolRun run) {
    return [run](RecordingSystem& s) { s.toolAnswer = run; };
}
const std::string kRegisterError = "Error registering Kivrel3.dll file: regsvr32.exe ";
const std::string kNoFolder = "Tessaline could not find the Windows, System or Temp folder. Nothing was installed.";

TEST(InstallFlow, EachOutcomeEndsInItsMessageAfterExactlyItsSteps) {
    const struct {
        const char* name;
        std::vector<const wchar_t*> package;
        Change change;
        std::string message;
        std::vector<std::string> log;
    } rows[] = {
        {"everything succeeds", kFullPackage, nullptr, "Tessaline installation complete.", kFull},
        {"package with only the page DLL", {L"Kivrel3.dll"}, nullptr, "Tessaline installation complete.",
         {kCopyDll, kWrite3, kWrite4, kRun}},
        {"the uninstall entry cannot be written", kFullPackage, FailWrite(kWrite1),
         "Failed writing to Registry. Try running installer again logged on as an Administrator.",
         {kCopyDll, kCopyUninstaller, Failed(kWrite1)}},
        {"a handler key cannot be written", kFullPackage, FailWrite(kWrite4),
         "Failed to install Tessaline. Try running installer again logged on as an Administrator.",
         {kCopyDll, kCopyUninstaller, kWrite1, kWrite2, kCopyVornex, kWrite3, Failed(kWrite4)}},
        {"regsvr32 cannot be started", kFullPackage, Answer(Tool(ToolRun::NotStarted, L"File not found.")),
         kRegisterError + "could not be started: File not found.", kFull},
        {"regsvr32 does not end", kFullPackage, Answer(Tool(ToolRun::NoEnd)),
         kRegisterError + "did not end within 60 seconds.", kFull},
        // Without a folder every path would name the root of the current drive.
        {"no Windows folder", kFullPackage, [](RecordingSystem& s) { s.windows = L""; }, kNoFolder, {}},
        {"no System folder", kFullPackage, [](RecordingSystem& s) { s.system = L""; }, kNoFolder, {}},
        {"no Temp folder, a package at the drive's root", {},
         [](RecordingSystem& s) { s.temp = L""; s.AddPackage(kFullPackage); }, kNoFolder, {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        RecordingSystem s;
        s.AddPackage(row.package);
        if (row.change)
            row.change(s);
        EXPECT_EQ(Narrow(InstallFlow(s)), row.message);
        EXPECT_EQ(s.log, row.log);
    }
}

// regsvr32 would take an unquoted path with a blank for two arguments. The uninstall entry
// stays unquoted: the system's list of programs runs it as it stands.
TEST(InstallFlow, QuotesTheDllForRegsvr32InAFolderWithABlank) {
    RecordingSystem s;
    s.windows = L"D:\\My Windows";
    s.system = L"D:\\My Windows\\system 32";
    s.AddPackage(kFullPackage);
    ASSERT_EQ(Narrow(InstallFlow(s)), "Tessaline installation complete.");
    EXPECT_EQ(s.log.back(), "run D:\\My Windows\\system 32\\regsvr32.exe "
                            "[regsvr32.exe /s \"D:\\My Windows\\system 32\\Kivrel3.dll\"] wait 60000");
    EXPECT_EQ(s.values[kUninstallKey + "|UninstallString"], "D:\\My Windows\\kivremove.exe");
}

// The platform's folder queries: the length, or the size needed when the buffer is too small.
class FolderStandIn final : public FolderQuery {
public:
    std::string path;
    uint32_t Query(FolderKind, char* buffer, uint32_t size) override {
        if (path.size() + 1 > size)
            return static_cast<uint32_t>(path.size() + 1);
        buffer[path.copy(buffer, path.size())] = '\0';
        return static_cast<uint32_t>(path.size());
    }
    // A double-byte code page in miniature: lead byte 0x95 and the byte after it are one character.
    std::wstring Decode(const std::string& ansi) override {
        std::wstring out;
        for (size_t i = 0; i < ansi.size(); ++i)
            out += ansi[i] == '\x95' && i + 1 < ansi.size() ? wchar_t(0x9500 | static_cast<unsigned char>(ansi[++i]))
                                                             : wchar_t(static_cast<unsigned char>(ansi[i]));
        return out;
    }
};

TEST(GetFolderPath, GivesTheWholeFolderWithoutItsTrailingBackslash) {
    const std::string long300 = "C:\\" + std::string(297, 'x');
    const struct {
        const char* name;
        std::string path;
        std::wstring expected;
    } rows[] = {
        {"the Temp folder loses its backslash", "C:\\WINDOWS\\TEMP\\", L"C:\\WINDOWS\\TEMP"},
        {"a path longer than the buffer is fetched whole", long300 + "\\", std::wstring(long300.begin(), long300.end())},
        {"a double-byte character whose second byte is a backslash stays", "C:\\\x95\\", L"C:\\\x955C"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        FolderStandIn platform;
        platform.path = row.path;
        EXPECT_EQ(FolderPathFrom(platform, 2), row.expected);
    }
}

}  // namespace
}  // namespace tessaline::testing
