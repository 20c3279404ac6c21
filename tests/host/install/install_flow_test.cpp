// The install and uninstall flows over a recording system, and GetFolderPath's rules.
// (The Wine programs run what Wine can stage: held files, the real registry and regsvr32.)
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <set>

#include "FolderPath.h"
#include "InstallFlow.h"
#include "SameText.h"
#include "Sha256.h"
#include "UninstallFlow.h"

namespace tessaline::testing {
namespace {

using Log = std::vector<std::wstring>;

ToolRun Ran(ToolRun::Outcome outcome, const wchar_t* text = L"") { return {outcome, 0, 0, text}; }
std::wstring Key(RegRoot r, const std::wstring& k) { return (r == RegRoot::ClassesRoot ? L"HKCR\\" : L"HKLM\\") + k; }

// Both flows' system: files in memory (path -> bytes), one step that fails, every step in a
// log. Its folders have a blank, at which regsvr32 and the uninstall entry must not split a path.
struct Recorder final : InstallSystem, UninstallSystem {
    std::array<std::wstring, 3> folders = {L"C:\\WIN NT", L"C:\\WIN NT\\system32", L"C:\\TEMP"};
    std::wstring shortTemp = L"";  // the Temp folder's short form; "": none
    std::map<std::wstring, std::string> files;
    std::set<std::wstring> inUse;  // files that cannot be deleted
    std::wstring swapped;  // a package file someone else replaces once it was found: copied, it is foreign
    std::wstring failing;  // the log line of the step that fails
    uint32_t error = 32;   // the platform's error of a failed copy (ERROR_SHARING_VIOLATION)
    ToolRun tool = Ran(ToolRun::Ended);
    Log log;

    void Unpack(const Log& names) {
        for (const auto& name : names) files[folders[2] + L"\\kvz31\\" + name] = Built(name);
    }
    static std::string Built(const std::wstring& name) { return "the built " + std::string(name.begin(), name.end()); }
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
        if (files.count(from) != 0) files[to] = from == swapped ? "foreign" : files[from];
        return 0;
    }
    bool Digest(const std::wstring& path, Sha256Digest& digest) override {
        if (files.count(path) == 0) return false;
        digest = Hash(files[path]);
        return true;
    }
    static Sha256Digest Hash(const std::string& bytes) {
        Sha256 hash;
        hash.Add(bytes.data(), bytes.size());
        return hash.Finish();
    }
    bool WriteRegString(RegRoot root, const std::wstring& key, const std::wstring& name,
                        const std::wstring& data) override {
        return Step(Key(root, key) + L"|" + name + L" = " + data);
    }
    bool WriteRegDword(RegRoot root, const std::wstring& key, const std::wstring& name, uint32_t data) override {
        return Step(Key(root, key) + L"|" + name + L" = dword " + std::to_wstring(data));
    }
    ToolRun RunTool(const std::wstring& application, const std::wstring& command, uint32_t waitMs) override {
        Step(L"run " + application + L" [" + command + L"] wait " + std::to_wstring(waitMs));
        return tool;
    }
    bool DeleteRegKey(RegRoot root, const std::wstring& parent, const std::wstring& sub) override {
        return Step(L"delete " + Key(root, parent + L"\\" + sub));
    }
    bool DeleteFileForced(const std::wstring& path) override {
        Step(L"delete " + path);
        if (inUse.count(path) != 0) return false;
        files.erase(path);
        return true;
    }
    void DeleteAtRestart(const std::wstring& path) override { Step(L"at restart delete " + path); }
};

const Log kPackage = {L"Kivrel3.dll", L"kivremove.exe", L"vornex.dll"};
const PackageDigests kDigests = {Recorder::Hash(Recorder::Built(L"Kivrel3.dll")),
                                 Recorder::Hash(Recorder::Built(L"kivremove.exe")),
                                 Recorder::Hash(Recorder::Built(L"vornex.dll"))};

TEST(InstallFlow, EachOutcomeEndsInItsMessageAfterExactlyItsSteps) {
    const std::wstring entry = L"HKLM\\" + kUninstallEntry.Path() + L"|";
    const Log steps = {
        L"copy C:\\TEMP\\kvz31\\Kivrel3.dll -> C:\\WIN NT\\system32\\Kivrel3.dll",
        L"copy C:\\TEMP\\kvz31\\kivremove.exe -> C:\\WIN NT\\kivremove.exe",
        L"copy C:\\TEMP\\kvz31\\vornex.dll -> C:\\WIN NT\\system32\\vornex.dll",
        // As Add/Remove Programs of 2000 and XP reads it: the blank quoted, no Change or Repair.
        entry + L"UninstallString = \"C:\\WIN NT\\kivremove.exe\"",
        entry + L"DisplayName = " + kDisplayName,
        entry + L"DisplayIcon = C:\\WIN NT\\kivremove.exe",
        entry + L"DisplayVersion = 1.9.0",
        entry + L"Publisher = Orvando",
        entry + L"NoModify = dword 1",
        entry + L"NoRepair = dword 1",
        L"HKCR\\" + kFileHandler.Path() + L"| = " + kPageClsid,
        L"HKCR\\" + kFolderHandler.Path() + L"| = " + kPageClsid,
        // From the System folder by full path, never through the search path; awaited.
        L"run C:\\WIN NT\\system32\\regsvr32.exe [regsvr32.exe /s \"C:\\WIN NT\\system32\\Kivrel3.dll\"] wait 60000",
    };
    // What a failure after the copies takes back: the keys written, then the files copied, last first.
    const std::wstring dllBack = L"delete C:\\WIN NT\\system32\\Kivrel3.dll";
    const Log filesBack = {L"delete C:\\WIN NT\\system32\\vornex.dll", L"delete C:\\WIN NT\\kivremove.exe", dllBack};
    const Log allBack = {L"delete HKCR\\" + kFileHandler.Path(), L"delete HKCR\\" + kFolderHandler.Path(),
                         L"delete HKLM\\" + kUninstallEntry.Path(), filesBack[0], filesBack[1], dllBack};
    const Log entryBack = {allBack[2], filesBack[0], filesBack[1], dllBack};
    const std::wstring registerError = L"Error registering Kivrel3.dll file: regsvr32.exe ";
    const auto only = [](Log names) { return [names](Recorder& s) { s.files.clear(), s.Unpack(names); }; };
    const auto failing = [](const std::wstring& step, uint32_t error = 32) {
        return [step, error](Recorder& s) { s.failing = step, s.error = error; };
    };
    const auto temp = [](const wchar_t* folder, const wchar_t* shortForm) {
        return [folder, shortForm](Recorder& s) { s.folders[2] = folder, s.shortTemp = shortForm; };
    };
    const auto tool = [](ToolRun run) { return [run](Recorder& s) { s.tool = run; }; };
    const struct {
        const char* label;
        std::wstring message;  // its distinguishing start
        std::string taken;     // steps, 'a' the first
        Log takenBack;
        std::function<void(Recorder&)> setUp;  // after the whole package was unpacked into C:\TEMP\kvz31
    } rows[] = {
        {"complete", kMsgComplete, "abcdefghijklm", {}, nullptr},
        {"only the page DLL in the package", L"Tessaline file kivremove.exe not found in TEMP", "", {},
         only({L"Kivrel3.dll"})},
        {"no vornex.dll anywhere", L"Tessaline file vornex.dll not found", "", {},
         only({L"Kivrel3.dll", L"kivremove.exe"})},
        {"no vornex.dll in the package, one installed", kMsgComplete, "abdefghijklm", {},
         [](Recorder& s) {
             s.files.erase(L"C:\\TEMP\\kvz31\\vornex.dll");
             s.files[L"C:\\WIN NT\\system32\\vornex.dll"] = "an installed one";
         }},
        {"no page DLL", kMsgNotFound, "", {}, only({L"kivremove.exe", L"vornex.dll"})},
        {"uninstall entry not written", kMsgRegistryFailed, "abcd", entryBack, failing(steps[3])},
        {"uninstall entry's last value not written", kMsgRegistryFailed, "abcdefghij", entryBack, failing(steps[9])},
        {"handler key not written", kMsgInstallFailed, "abcdefghijkl", allBack, failing(steps[11])},
        // Whoever can write to the Temp folder can swap a file between its check and its copy.
        {"the page DLL swapped after its check", kMsgDamaged + L"Kivrel3.dll is not the file", "a", {dllBack},
         [](Recorder& s) { s.swapped = L"C:\\TEMP\\kvz31\\Kivrel3.dll"; }},
        {"the uninstaller swapped after its check", kMsgDamaged + L"kivremove.exe", "ab", {filesBack[1], dllBack},
         [](Recorder& s) { s.swapped = L"C:\\TEMP\\kvz31\\kivremove.exe"; }},
        {"vornex.dll in use", L"vornex.dll could not be copied to the System folder. Restart", "abc", {},
         failing(steps[2])},
        {"kivremove.exe refused for want of rights", L"Tessaline could not be installed: you need", "ab", {},
         failing(steps[1], 5)},
        // The ANSI calls would name a look-alike of the folder; its short form comes through.
        {"a Temp folder outside the code page", kMsgComplete, "abcdefghijklm", {},
         temp(L"C:\\\x141ukasz", L"C:\\TEMP")},
        {"...without a short form", L"Tessaline cannot be installed from a folder", "", {},
         temp(L"C:\\\x141ukasz", L"")},
        {"regsvr32 not started", registerError + L"could not be started: File not found.", "abcdefghijklm", {},
         tool(Ran(ToolRun::NotStarted, L"File not found."))},
        {"regsvr32 does not end", registerError + L"did not end within 60 seconds.", "abcdefghijklm", {},
         tool(Ran(ToolRun::NoEnd))},
        // An empty folder would make every path name the root of the current drive (\regsvr32.exe).
        {"no Windows folder", L"Tessaline could not find", "", {}, [](Recorder& s) { s.folders[0].clear(); }},
        {"no System folder", L"Tessaline could not find", "", {}, [](Recorder& s) { s.folders[1].clear(); }},
        {"no Temp folder, a package at the drive's root", L"Tessaline could not find", "", {},
         [](Recorder& s) { s.folders[2].clear(); }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.label);
        Recorder s;
        s.Unpack(kPackage);
        if (row.setUp) row.setUp(s);
        EXPECT_TRUE(BeginsWith(InstallFlow(s, kDigests), row.message));
        Log taken;
        for (char i : row.taken) taken.push_back(steps[i - 'a']);
        taken.insert(taken.end(), row.takenBack.begin(), row.takenBack.end());
        EXPECT_EQ(s.log, taken);
        for (const auto& file : s.files)
            EXPECT_NE(file.second, "foreign") << "left in place: " << std::string(file.first.begin(), file.first.end());
    }
}

// A path without a blank goes into the entry as it is, as the list of programs has always run it.
TEST(InstallFlow, QuotesTheUninstallerOnlyWhereABlankWouldSplitIt) {
    Recorder s;
    s.folders = {L"C:\\WINNT", L"C:\\WINNT\\system32", L"C:\\TEMP"};
    s.Unpack(kPackage);
    InstallFlow(s, kDigests);
    EXPECT_NE(std::find(s.log.begin(), s.log.end(),
                        L"HKLM\\" + kUninstallEntry.Path() + L"|UninstallString = C:\\WINNT\\kivremove.exe"),
              s.log.end());
}

// The DLL is deleted only after its unregistration ended; every key the install wrote and both
// DLLs go whatever a step before gave, a DLL in use (Explorer's) at the next restart. Without
// the System folder nothing at all.
TEST(UninstallFlow, UnregistersFirstThenRemovesEverything) {
    Recorder s;
    s.tool = Ran(ToolRun::NotStarted);
    s.failing = L"delete HKCR\\" + kFileHandler.Path();
    s.inUse = {L"C:\\WIN NT\\system32\\Kivrel3.dll"};
    UninstallFlow(s);
    EXPECT_EQ(s.log, (Log{L"run C:\\WIN NT\\system32\\regsvr32.exe "
                          L"[regsvr32.exe /s /u \"C:\\WIN NT\\system32\\Kivrel3.dll\"] wait 60000",
                          s.failing, L"delete HKCR\\" + kFolderHandler.Path(),
                          L"delete HKLM\\" + kUninstallEntry.Path(), L"delete C:\\WIN NT\\system32\\Kivrel3.dll",
                          L"at restart delete C:\\WIN NT\\system32\\Kivrel3.dll",
                          L"delete C:\\WIN NT\\system32\\vornex.dll"}));
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
