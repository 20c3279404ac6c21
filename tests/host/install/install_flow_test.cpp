// The install and uninstall flows over a recording system, and GetFolderPath's rules.
// (The Wine programs run what Wine can stage: held files, the real registry and regsvr32.)
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>

#include "FolderPath.h"
#include "InstallFlow.h"
#include "UninstallFlow.h"

namespace tessaline::testing {
namespace {

using Log = std::vector<std::wstring>;

ToolRun Ran(ToolRun::Outcome outcome, const wchar_t* text = L"") { return {outcome, 0, 0, text}; }
std::wstring Key(RegRoot r, const std::wstring& k) { return (r == RegRoot::ClassesRoot ? L"HKCR\\" : L"HKLM\\") + k; }

// Both flows' system: files in memory, one step that fails, every step in a log. Its folders
// have a blank, at which regsvr32 must not split the DLL's path.
struct Recorder final : InstallSystem, UninstallSystem {
    std::array<std::wstring, 3> folders = {L"C:\\WIN NT", L"C:\\WIN NT\\system32", L"C:\\TEMP"};
    std::wstring shortTemp = L"";  // the Temp folder's short form; "": none
    std::set<std::wstring> files;
    std::wstring failing;  // the log line of the step that fails
    uint32_t error = 32;   // the platform's error of a failed copy (ERROR_SHARING_VIOLATION)
    ToolRun tool = Ran(ToolRun::Ended);
    Log log;

    void Unpack(const Log& names) { for (const auto& name : names) files.insert(folders[2] + L"\\kvz31\\" + name); }
    bool Step(const std::wstring& line) { log.push_back(line); return line != failing; }

    std::wstring GetFolderPath(short selector) override { return folders.at(selector); }
    std::wstring ExactTempFolder() override { return folders[2]; }
    std::wstring ShortForm(const std::wstring& path) override { return path == folders[2] ? shortTemp : L""; }
    bool SurvivesCodePage(const std::wstring& text) override {  // code page 1252
        return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x100; });
    }
    bool FileExists(const std::wstring& path) override { return files.count(path) != 0; }
    uint32_t CopyFileTo(const std::wstring& from, const std::wstring& to, bool) override {
        if (!Step(L"copy " + from + L" -> " + to)) return error;
        if (files.count(from) != 0) files.insert(to);
        return 0;
    }
    bool SameContent(const std::wstring& a, const std::wstring& b) override { return files.count(a) && files.count(b); }
    bool WriteRegString(RegRoot root, const std::wstring& key, const std::wstring& name,
                        const std::wstring& data) override {
        return Step(Key(root, key) + L"|" + name + L" = " + data);
    }
    ToolRun RunTool(const std::wstring& application, const std::wstring& command, uint32_t waitMs) override {
        Step(L"run " + application + L" [" + command + L"] wait " + std::to_wstring(waitMs));
        return tool;
    }
    bool DeleteRegKey(RegRoot root, const std::wstring& parent, const std::wstring& sub) override {
        return Step(L"delete " + Key(root, parent + L"\\" + sub));
    }
    void DeleteFileForced(const std::wstring& path) override { Step(L"delete " + path); }
};

const Log kPackage = {L"Kivrel3.dll", L"kivremove.exe", L"vornex.dll"};

TEST(InstallFlow, EachOutcomeEndsInItsMessageAfterExactlyItsSteps) {
    // A complete install; the uninstall entry unquoted, as the list of programs runs it.
    const Log steps = {
        L"copy C:\\TEMP\\kvz31\\Kivrel3.dll -> C:\\WIN NT\\system32\\Kivrel3.dll",
        L"copy C:\\TEMP\\kvz31\\kivremove.exe -> C:\\WIN NT\\kivremove.exe",
        L"HKLM\\" + kUninstallEntry.Path() + L"|UninstallString = C:\\WIN NT\\kivremove.exe",
        L"HKLM\\" + kUninstallEntry.Path() + L"|DisplayName = " + kDisplayName,
        L"copy C:\\TEMP\\kvz31\\vornex.dll -> C:\\WIN NT\\system32\\vornex.dll",
        L"HKCR\\" + kFileHandler.Path() + L"| = " + kPageClsid,
        L"HKCR\\" + kFolderHandler.Path() + L"| = " + kPageClsid,
        // From the System folder by full path, never through the search path; awaited.
        L"run C:\\WIN NT\\system32\\regsvr32.exe [regsvr32.exe /s \"C:\\WIN NT\\system32\\Kivrel3.dll\"] wait 60000",
    };
    const std::wstring registerError = L"Error registering Kivrel3.dll file: regsvr32.exe ";
    const struct {
        const char* label;
        Log package;
        std::wstring message;  // its distinguishing start
        std::string taken;     // indices into steps
        int emptyFolder = -1;
        std::wstring failing = L"";
        ToolRun tool = Ran(ToolRun::Ended);
        uint32_t error = 32;
        std::wstring temp = L"C:\\TEMP", shortTemp = L"";
    } rows[] = {
        {"complete", kPackage, L"Tessaline installation complete.", "01234567"},
        {"only the page DLL in the package", {L"Kivrel3.dll"}, L"Tessaline installation complete.", "0567"},
        {"uninstall entry not written", kPackage, L"Failed writing to Registry.", "012", -1, steps[2]},
        {"vornex.dll in use", kPackage, L"vornex.dll could not be copied to the System folder. Restart", "01234", -1,
         steps[4]},
        {"kivremove.exe refused for want of rights", kPackage, L"Tessaline could not be installed: you need", "01", -1,
         steps[1], Ran(ToolRun::Ended), 5},
        // The ANSI calls would name a look-alike of the folder; its short form comes through.
        {"a Temp folder outside the code page", kPackage, L"Tessaline installation complete.", "01234567", -1, L"",
         Ran(ToolRun::Ended), 32, L"C:\\\x141ukasz", L"C:\\TEMP"},
        {"...without a short form", kPackage, L"Tessaline cannot be installed from a folder", "", -1, L"",
         Ran(ToolRun::Ended), 32, L"C:\\\x141ukasz"},
        {"handler key not written", kPackage, L"Failed to install Tessaline.", "0123456", -1, steps[6]},
        {"regsvr32 not started", kPackage, registerError + L"could not be started: File not found.", "01234567", -1,
         L"", Ran(ToolRun::NotStarted, L"File not found.")},
        {"regsvr32 does not end", kPackage, registerError + L"did not end within 60 seconds.", "01234567", -1,
         L"", Ran(ToolRun::NoEnd)},
        // An empty folder would make every path name the root of the current drive (\regsvr32.exe).
        {"no Windows folder", kPackage, L"Tessaline could not find", "", 0},
        {"no System folder", kPackage, L"Tessaline could not find", "", 1},
        {"no Temp folder, a package at the drive's root", kPackage, L"Tessaline could not find", "", 2},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        Recorder s;
        s.Unpack(row.package);
        s.folders[2] = row.temp;
        s.shortTemp = row.shortTemp;
        if (row.emptyFolder >= 0) s.folders[row.emptyFolder].clear();
        s.failing = row.failing;
        s.tool = row.tool;
        s.error = row.error;
        EXPECT_EQ(InstallFlow(s).substr(0, row.message.size()), row.message);
        Log taken;
        for (char i : row.taken) taken.push_back(steps[i - '0']);
        EXPECT_EQ(s.log, taken);
    }
}

// The DLL is deleted only after its unregistration ended; every key the install wrote and both
// DLLs go whatever a step before gave. Without the System folder nothing at all.
TEST(UninstallFlow, UnregistersFirstThenRemovesEverything) {
    Recorder s;
    s.tool = Ran(ToolRun::NotStarted);
    s.failing = L"delete HKCR\\" + kFileHandler.Path();
    UninstallFlow(s);
    EXPECT_EQ(s.log, (Log{L"run C:\\WIN NT\\system32\\regsvr32.exe "
                          L"[regsvr32.exe /s /u \"C:\\WIN NT\\system32\\Kivrel3.dll\"] wait 60000",
                          s.failing, L"delete HKCR\\" + kFolderHandler.Path(),
                          L"delete HKLM\\" + kUninstallEntry.Path(),
                          L"delete C:\\WIN NT\\system32\\Kivrel3.dll", L"delete C:\\WIN NT\\system32\\vornex.dll"}));
    Recorder none;
    none.folders[1].clear();
    UninstallFlow(none);
    EXPECT_EQ(none.log, Log{});
}

// The platform's folder query, in a double-byte code page whose lead byte is 0x95. Where the
// path does not fit it writes as much as fits and answers the size needed, with or without the
// terminating NUL (`needsNul`): an answer equal to the buffer's size is no path.
struct FolderStandIn final : FolderQuery {
    std::string path;
    uint32_t needsNul = 1;
    uint32_t Query(FolderKind, char* buffer, uint32_t size) override {
        if (path.size() >= size) {
            buffer[path.copy(buffer, size - 1)] = '\0';
            return uint32_t(path.size() + needsNul);
        }
        buffer[path.copy(buffer, size)] = '\0';
        return uint32_t(path.size());
    }
    std::wstring Decode(const std::string& ansi) override {
        std::wstring out;
        for (size_t i = 0; i < ansi.size(); ++i)
            out += ansi[i] == '\x95' ? wchar_t(0x9500 | uint8_t(ansi.at(++i))) : wchar_t(uint8_t(ansi[i]));
        return out;
    }
};

TEST(GetFolderPath, GivesTheWholeFolderWithoutItsTrailingBackslash) {
    const std::string long300 = "C:\\" + std::string(297, 'x'), long259 = "C:\\" + std::string(256, 'x');
    const struct { std::string path; std::wstring folder; uint32_t needsNul = 1; } rows[] = {
        {"C:\\WINDOWS\\TEMP\\", L"C:\\WINDOWS\\TEMP"},
        {long300 + "\\", std::wstring(long300.begin(), long300.end())},  // longer than the buffer
        {long259 + "\\", std::wstring(long259.begin(), long259.end()), 0},  // answered with the buffer's size
        {"C:\\\x95\\", L"C:\\\x955C"},  // its last byte is a character's second half, not a "\"
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.path.size());
        FolderStandIn platform;
        platform.path = row.path;
        platform.needsNul = row.needsNul;
        EXPECT_EQ(FolderPathFrom(platform, 2), row.folder);
    }
}

}  // namespace
}  // namespace tessaline::testing
