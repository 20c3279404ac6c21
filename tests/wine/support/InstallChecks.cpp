#include "InstallChecks.h"

#include <gtest/gtest.h>
#include <shlwapi.h>

#include "F1.h"
#include "Identity.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "Win32Util.h"

namespace tessaline::testing {
namespace {

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaline";
const char kFileHandlerKey[] = "*\\shellex\\PropertySheetHandlers\\Tessaline";
const char kFolderHandlerKey[] = "Folder\\shellex\\PropertySheetHandlers\\Tessaline";
const char kPageClassKey[] = "CLSID\\" TESSALINE_CLSID_PAGE_TEXT;

// Each built file of the package, its name there and where the install puts it.
const struct {
    const wchar_t* built;
    const char* name;
    std::string InstallPaths::*installed;
} kPackage[] = {
    {L"page\\Kivrel3.dll", "Kivrel3.dll", &InstallPaths::dll},
    {L"vornex\\vornex.dll", "vornex.dll", &InstallPaths::vornex},
    {L"uninstaller\\kivremove.exe", "kivremove.exe", &InstallPaths::uninstaller},
};

// Each key an install leaves: the three the install writes and the page DLL's class.
const struct {
    HKEY root;
    const char* key;
    const char* label;
} kKeys[] = {{HKEY_LOCAL_MACHINE, kUninstallKey, "entry"},
             {HKEY_CLASSES_ROOT, kFileHandlerKey, "file handler"},
             {HKEY_CLASSES_ROOT, kFolderHandlerKey, "folder handler"},
             {HKEY_CLASSES_ROOT, kPageClassKey, "class"}};

std::string Folder(UINT(WINAPI* query)(LPSTR, UINT)) {
    char buffer[MAX_PATH] = {};
    return std::string(buffer, query(buffer, MAX_PATH));
}

void DeleteAnyway(const std::string& path) {
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(path.c_str());
}

}  // namespace

const InstallPaths& Paths() {
    static const InstallPaths paths = [] {
        char temp[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, temp);
        const std::string system = Folder(GetSystemDirectoryA);
        return InstallPaths{std::string(temp) + "kvz31", system + "\\Kivrel3.dll", system + "\\vornex.dll",
                            Folder(GetWindowsDirectoryA) + "\\kivremove.exe"};
    }();
    return paths;
}

bool MakePackageWith(const wchar_t* pageDll) {
    CreateDirectoryA(Paths().package.c_str(), nullptr);
    bool made = true;
    for (const auto& file : kPackage) {
        const wchar_t* built = file.installed == &InstallPaths::dll ? pageDll : file.built;
        if (!CopyFileW(BuiltFile(built).c_str(), FromAnsi((Paths().package + "\\" + file.name).c_str()).c_str(), FALSE)) {
            ADD_FAILURE() << file.name << ": error " << GetLastError();
            made = false;
        }
    }
    return made;
}

WatchedOutcome InstallThroughF1(const std::function<void(HWND)>& meanwhile) {
    const std::string program = "\"" + ToAnsi(BuiltFile(L"tests\\wine\\installer\\kivsetup_xp.exe")) + "\"";
    return RunWatched(program, [&](HWND f1) {
        SendMessageA(GetDlgItem(f1, kOp1Accept), BM_CLICK, 0, 0);
        PostMessageA(GetDlgItem(f1, kBOK), BM_CLICK, 0, 0);
        if (meanwhile)
            meanwhile(f1);
    });
}

void RemoveEverything() {
    for (const auto& file : kPackage) {
        DeleteAnyway(Paths().package + "\\" + file.name);
        DeleteAnyway(Paths().*file.installed);
    }
    RemoveDirectoryA(Paths().package.c_str());
    for (const auto& key : kKeys)
        SHDeleteKeyA(key.root, key.key);
}

std::string InstalledState() {
    std::string state;
    const auto add = [&state](bool there, const char* label) {
        if (there)
            state += (state.empty() ? "" : ", ") + std::string(label);
    };
    for (const auto& file : kPackage)
        add(GetFileAttributesA((Paths().*file.installed).c_str()) != INVALID_FILE_ATTRIBUTES, file.name);
    for (const auto& key : kKeys)
        add(KeyExists(key.root, key.key), key.label);
    return state;
}

void ExpectEverythingInstalled() {
    EXPECT_EQ(InstalledState(), kEverything);
    for (const auto& file : kPackage)
        EXPECT_EQ(ReadBytes(FromAnsi((Paths().*file.installed).c_str())), ReadBytes(BuiltFile(file.built))) << file.name;
    // (The uninstall test runs the UninstallString as the list of programs does.)
    EXPECT_EQ(ReadRegText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"), "Tessaline Utility");
    for (const char* key : {kFileHandlerKey, kFolderHandlerKey})
        EXPECT_EQ(ReadRegText(HKEY_CLASSES_ROOT, key, ""), TESSALINE_CLSID_PAGE_TEXT) << key;
    const std::string server = ReadRegText(HKEY_CLASSES_ROOT, std::string(kPageClassKey) + "\\InprocServer32", "");
    EXPECT_EQ(lstrcmpiA(server.c_str(), Paths().dll.c_str()), 0) << "the page class's server: " << server;
}

void ExpectEnd(const WatchedOutcome& run, const std::string& message, size_t windows) {
    ASSERT_TRUE(run.ended) << "did not start or end; message boxes seen: " << run.boxes.size();
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.otherWindows.size(), windows) << "windows other than message boxes";
    ASSERT_EQ(run.boxes.size(), message.empty() ? 0u : 1u) << "the first: " << (run.boxes.empty() ? "" : run.boxes[0].text);
    if (!message.empty()) {
        EXPECT_EQ(run.boxes[0].text, message);
        EXPECT_EQ(run.boxes[0].title, "Tessaline Installation");
    }
}

}  // namespace tessaline::testing
