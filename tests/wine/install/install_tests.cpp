// The whole cycle in a prefix of its own: RunInstall (in install_runner.exe, since it ends
// its program) against a package folder of the built files, then the real kivremove.exe.
// The tests build on each other and run in the order written.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "TestRegistry.h"
#include "Win32Util.h"

namespace tessaline {
namespace {

using testing::KeyExists;
using testing::ReadRegText;

const std::string kUninstallKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaline";
const std::string kFileHandlerKey = "*\\shellex\\PropertySheetHandlers\\Tessaline";
const std::string kFolderHandlerKey = "Folder\\shellex\\PropertySheetHandlers\\Tessaline";
const std::string kPageClsid = "{4B7A2E9F-6C1D-11E0-8F3A-5E21A7C3D094}";
const std::string kPageServerKey = "CLSID\\" + kPageClsid + "\\InprocServer32";
const std::string kComplete = "Tessaline installation complete.";

std::string Folder(UINT(WINAPI* query)(LPSTR, UINT)) {
    char buffer[MAX_PATH] = {};
    return std::string(buffer, query(buffer, MAX_PATH));
}

struct Paths {
    std::string windows = Folder(GetWindowsDirectoryA);
    std::string system = Folder(GetSystemDirectoryA);
    std::string package;
    std::string build;  // the Windows build tree
    std::string dll = system + "\\Kivrel3.dll";
    std::string vornex = system + "\\vornex.dll";
    std::string uninstaller = windows + "\\kivremove.exe";
    std::string runner;

    Paths() {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        package = std::string(temp) + "kvz31";
        char self[MAX_PATH] = {};
        std::string exe(self, GetModuleFileNameA(nullptr, self, MAX_PATH));
        const std::string folder = exe.substr(0, exe.rfind('\\'));
        runner = folder + "\\install_runner.exe";
        build = folder;
        for (int up = 0; up < 3; ++up)  // tests\wine\install
            build.erase(build.rfind('\\'));
    }
    std::string Built(const char* relative) const { return build + "\\" + relative; }
};

const Paths& P() {
    static const Paths paths;
    return paths;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }
std::string Bytes(const std::string& path) { return testing::ReadBytes(FromAnsi(path.c_str())); }

struct Box {
    HWND owner = nullptr;
    std::string title;
    std::string text;
    bool okOnly = false;
    bool hasIcon = false;
};

struct Outcome {
    bool started = false;
    bool ended = false;
    DWORD exitCode = STILL_ACTIVE;
    std::vector<Box> boxes;
    std::vector<std::string> otherWindows;  // classes of visible windows that are no message box
    std::vector<HWND> otherHandles;
};

struct Search {
    DWORD pid;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectVisible(HWND window, LPARAM lParam) {
    auto* search = reinterpret_cast<Search*>(lParam);
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == search->pid && IsWindowVisible(window))
        search->found.push_back(window);
    return TRUE;
}

BOOL CALLBACK FindIcon(HWND child, LPARAM lParam) {
    char cls[32] = {};
    GetClassNameA(child, cls, sizeof cls);
    if (lstrcmpiA(cls, "Static") == 0 && (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON &&
        SendMessageA(child, STM_GETICON, 0, 0) != 0)
        *reinterpret_cast<bool*>(lParam) = true;
    return TRUE;
}

Box ReadBox(HWND box) {
    Box read;
    read.owner = GetWindow(box, GW_OWNER);
    char text[1024] = {};
    GetWindowTextA(box, text, sizeof text);
    read.title = text;
    GetDlgItemTextA(box, 0xFFFF, text, sizeof text);
    read.text = text;
    read.okOnly = GetDlgItem(box, IDOK) != nullptr && GetDlgItem(box, IDCANCEL) == nullptr &&
                  GetDlgItem(box, IDYES) == nullptr && GetDlgItem(box, IDNO) == nullptr;
    EnumChildWindows(box, FindIcon, reinterpret_cast<LPARAM>(&read.hasIcon));
    return read;
}

// Starts the program, watches its visible windows until it ends, and answers every
// message box with OK as a user would.
Outcome RunWatched(const std::string& commandLine, DWORD timeoutMs = 120000) {
    Outcome outcome;
    std::string command = commandLine;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
        return outcome;
    outcome.started = true;
    UniqueHandleNull process(info.hProcess);
    UniqueHandleNull thread(info.hThread);
    std::set<HWND> seen;
    const DWORD start = GetTickCount();
    while (WaitForSingleObject(process.get(), 50) == WAIT_TIMEOUT) {
        if (GetTickCount() - start > timeoutMs) {
            TerminateProcess(process.get(), 99);
            WaitForSingleObject(process.get(), 5000);
            return outcome;
        }
        Search search{info.dwProcessId, {}};
        EnumWindows(CollectVisible, reinterpret_cast<LPARAM>(&search));
        for (HWND window : search.found) {
            if (!seen.insert(window).second)
                continue;
            char cls[64] = {};
            GetClassNameA(window, cls, sizeof cls);
            if (std::strcmp(cls, "#32770") != 0) {
                outcome.otherWindows.push_back(cls);
                outcome.otherHandles.push_back(window);
                continue;
            }
            outcome.boxes.push_back(ReadBox(window));
            PostMessageA(window, WM_COMMAND, IDOK, 0);
        }
    }
    outcome.ended = true;
    GetExitCodeProcess(process.get(), &outcome.exitCode);
    return outcome;
}

// RunInstall ends its program in exactly one message box, as the user closes it.
void ExpectOneMessage(const Outcome& run, const std::string& text) {
    ASSERT_TRUE(run.started) << "install_runner.exe did not start";
    ASSERT_TRUE(run.ended) << "the program did not end; boxes seen: " << run.boxes.size();
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.otherWindows.empty()) << "also showed a " << run.otherWindows.front();
    ASSERT_EQ(run.boxes.size(), 1u);
    const Box& box = run.boxes.front();
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.title, "Tessaline Installation");
    EXPECT_TRUE(box.okOnly) << "one OK button";
    // Wine loads the icon in the box's own process, so only its presence can be checked here.
    EXPECT_TRUE(box.hasIcon) << "an icon";
}

void MakePackage(std::initializer_list<const char*> built) {
    CreateDirectoryA(P().package.c_str(), nullptr);
    for (const char* relative : built) {
        const std::string source = P().Built(relative);
        const std::string name = source.substr(source.rfind('\\') + 1);
        ASSERT_TRUE(CopyFileA(source.c_str(), (P().package + "\\" + name).c_str(), FALSE))
            << source << ": error " << GetLastError();
    }
}

void RemovePackage() {
    for (const char* name : {"Kivrel3.dll", "kivremove.exe", "vornex.dll"}) {
        const std::string path = P().package + "\\" + name;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    }
    RemoveDirectoryA(P().package.c_str());
}

void ExpectNothingInstalled(bool uninstallerStays = false) {
    for (const std::string& file : {P().dll, P().vornex})
        EXPECT_FALSE(Exists(file)) << file;
    EXPECT_EQ(Exists(P().uninstaller), uninstallerStays) << P().uninstaller;
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kFileHandlerKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kFolderHandlerKey));
}

TEST(InstallCycle, MissingOrEmptyPackageFolderChangesNothing) {
    RemovePackage();
    ExpectNothingInstalled();
    ExpectOneMessage(RunWatched(P().runner), "Tessaline file not found in TEMP folder. Install failed.");
    ExpectNothingInstalled();

    CreateDirectoryA(P().package.c_str(), nullptr);
    ExpectOneMessage(RunWatched(P().runner), "Tessaline file not found in TEMP folder. Install failed.");
    ExpectNothingInstalled();
}

// As Explorer holds a loaded Kivrel3.dll: the old file can be neither deleted nor replaced.
TEST(InstallCycle, APageDllHeldOpenStopsTheInstallBeforeAnyRegistryWrite) {
    ASSERT_TRUE(testing::WriteBytes(FromAnsi(P().dll.c_str()), "old page DLL"));
    MakePackage({"page\\Kivrel3.dll", "uninstaller\\kivremove.exe", "vornex\\vornex.dll"});
    {
        UniqueFile held(CreateFileA(P().dll.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
        ASSERT_TRUE(static_cast<bool>(held));
        ExpectOneMessage(RunWatched(P().runner),
                         "Kivrel3.dll could not be copied to the System folder. Close all Explorer windows or restart "
                         "Windows, then run the installer again.");
    }
    EXPECT_EQ(Bytes(P().dll), "old page DLL");
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kFileHandlerKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kFolderHandlerKey));
    EXPECT_FALSE(Exists(P().uninstaller)) << "nothing after the DLL's copy runs";
    DeleteFileA(P().dll.c_str());
}

void ExpectInstalled() {
    for (auto [installed, built] : {std::pair{P().dll, "page\\Kivrel3.dll"},
                                    std::pair{P().vornex, "vornex\\vornex.dll"},
                                    std::pair{P().uninstaller, "uninstaller\\kivremove.exe"}}) {
        SCOPED_TRACE(installed);
        EXPECT_EQ(Bytes(installed), Bytes(P().Built(built))) << "the built file's bytes";
        const DWORD attributes = GetFileAttributesA(installed.c_str());
        EXPECT_EQ(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u) << "attributes " << attributes;
    }
    struct {
        HKEY root;
        std::string key;
        const char* name;
        std::string data;
    } const values[] = {
        {HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", P().uninstaller},
        {HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", "Tessaline Utility"},
        {HKEY_CLASSES_ROOT, kFileHandlerKey, "", kPageClsid},
        {HKEY_CLASSES_ROOT, kFolderHandlerKey, "", kPageClsid},
    };
    for (const auto& value : values) {
        SCOPED_TRACE(value.key + "|" + value.name);
        const auto read = ReadRegText(value.root, value.key, value.name);
        EXPECT_EQ(read.status, ERROR_SUCCESS);
        EXPECT_EQ(read.type, DWORD(REG_SZ));
        EXPECT_EQ(read.text(), value.data);
    }
    const auto server = ReadRegText(HKEY_CLASSES_ROOT, kPageServerKey, "");
    EXPECT_EQ(server.status, ERROR_SUCCESS) << "the page DLL registered its class";
    EXPECT_EQ(lstrcmpiA(server.text().c_str(), P().dll.c_str()), 0) << "server " << server.text();
}

TEST(InstallCycle, AFullPackageIsInstalledAndRegistered) {
    MakePackage({"page\\Kivrel3.dll", "uninstaller\\kivremove.exe", "vornex\\vornex.dll"});
    // The copy takes its attributes from the source, which is made normal first.
    SetFileAttributesA((P().package + "\\kivremove.exe").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    ExpectOneMessage(RunWatched(P().runner), kComplete);
    ExpectInstalled();
    for (const char* name : {"Kivrel3.dll", "kivremove.exe", "vornex.dll"})
        EXPECT_TRUE(Exists(P().package + "\\" + name)) << "the package keeps " << name;
}

TEST(InstallCycle, ASecondRunReplacesReadOnlyInstalledFiles) {
    SetFileAttributesA(P().dll.c_str(), FILE_ATTRIBUTE_READONLY);
    SetFileAttributesA(P().vornex.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesA(P().uninstaller.c_str(), FILE_ATTRIBUTE_READONLY);
    ExpectOneMessage(RunWatched(P().runner), kComplete);
    ExpectInstalled();
}

// kivremove.exe as the system's list of programs starts it: the UninstallString as it stands.
void ExpectSilentRun(const std::string& commandLine) {
    const Outcome run = RunWatched(commandLine);
    ASSERT_TRUE(run.started) << commandLine;
    ASSERT_TRUE(run.ended) << "kivremove.exe did not end";
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_TRUE(run.boxes.empty()) << "showed a message: " << run.boxes.front().text;
    EXPECT_TRUE(run.otherWindows.empty()) << "showed a " << run.otherWindows.front() << " window";
}

TEST(InstallCycle, KivremoveRemovesEverythingSilently) {
    const auto command = ReadRegText(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString");
    ASSERT_EQ(command.status, ERROR_SUCCESS);
    SetFileAttributesA(P().dll.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    SetFileAttributesA(P().vornex.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);

    ExpectSilentRun(command.text());

    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kFileHandlerKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kFolderHandlerKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kUninstallKey));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "*\\shellex\\PropertySheetHandlers")) << "parent keys stay";
    EXPECT_FALSE(Exists(P().dll));
    EXPECT_FALSE(Exists(P().vornex));
    // Awaited: the tool unregistered the DLL before it was deleted.
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, kPageServerKey)) << "the class registration stayed behind";
    EXPECT_TRUE(Exists(P().uninstaller)) << "kivremove.exe does not delete itself";
}

TEST(InstallCycle, ASecondUninstallEndsSilently) {
    ExpectSilentRun(P().uninstaller);
    ExpectNothingInstalled(true);
}

// The window code hands F1 to ModInstaller: the closing message is owned by it, and
// QuitInstaller destroys it before the program ends.
TEST(ModInstaller, QuitInstallerTakesDownTheWindowItWasGiven) {
    char temp[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, temp);
    const std::string marker = std::string(temp) + "install_runner_window_destroyed";
    DeleteFileA(marker.c_str());

    const Outcome run = RunWatched(P().runner + " /window");
    ASSERT_TRUE(run.ended);
    EXPECT_EQ(run.exitCode, 0u);
    ASSERT_EQ(run.boxes.size(), 1u);
    EXPECT_EQ(run.boxes.front().text, "Closing through the window.");
    ASSERT_EQ(run.otherHandles.size(), 1u) << "the runner's window";
    EXPECT_EQ(run.boxes.front().owner, run.otherHandles.front());
    EXPECT_TRUE(Exists(marker)) << "the window was destroyed";
    DeleteFileA(marker.c_str());
}

TEST(KivremoveFile, CarriesItsVersionRecord) {
    const std::string file = P().Built("uninstaller\\kivremove.exe");
    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeA(file.c_str(), &ignored));
    ASSERT_FALSE(info.empty()) << file;
    ASSERT_TRUE(GetFileVersionInfoA(file.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &size));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010009u);
    EXPECT_EQ(fixed->dwFileVersionLS, 501u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010009u);
    EXPECT_EQ(fixed->dwProductVersionLS, 501u);

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &size));
    ASSERT_EQ(size, 4u);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 0x04B0);

    struct {
        const char* name;
        const char* value;  // nullptr: not in the record
    } const strings[] = {
        {"FileVersion", "1.09.0501"},  {"ProductVersion", "1.09.0501"}, {"Comments", "Tessaline Uninstaller 3"},
        {"CompanyName", "Orvando"},    {"InternalName", "kivremove"},   {"OriginalFilename", "kivremove.exe"},
        {"FileDescription", nullptr},  {"ProductName", nullptr},
    };
    for (const auto& row : strings) {
        SCOPED_TRACE(row.name);
        char* value = nullptr;
        const std::string query = std::string("\\StringFileInfo\\040904B0\\") + row.name;
        const bool found = VerQueryValueA(info.data(), query.c_str(), reinterpret_cast<void**>(&value), &size) && value;
        EXPECT_EQ(found, row.value != nullptr);
        if (found && row.value) {
            EXPECT_STREQ(value, row.value);
        }
    }
}

}  // namespace
}  // namespace tessaline
