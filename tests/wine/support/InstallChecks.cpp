#include "InstallChecks.h"

#include <gtest/gtest.h>

#include <vector>

#include "Identity.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "Win32Util.h"

namespace tessaline::testing {
namespace {

const char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tessaline";
const char kFileHandlerKey[] = "*\\shellex\\PropertySheetHandlers\\Tessaline";
const char kFolderHandlerKey[] = "Folder\\shellex\\PropertySheetHandlers\\Tessaline";
const char kPageClsid[] = TESSALINE_CLSID_PAGE_TEXT;
const std::string kPageClassKey = std::string("CLSID\\") + kPageClsid;

// Each built file of the package and where the install puts it.
const struct {
    const wchar_t* built;
    std::string InstallPaths::*installed;
} kPackage[] = {
    {L"page\\Kivrel3.dll", &InstallPaths::dll},
    {L"vornex\\vornex.dll", &InstallPaths::vornex},
    {L"uninstaller\\kivremove.exe", &InstallPaths::uninstaller},
};

std::string Folder(UINT(WINAPI* query)(LPSTR, UINT)) {
    char buffer[MAX_PATH] = {};
    return std::string(buffer, query(buffer, MAX_PATH));
}

std::string NameOf(const wchar_t* built) { return ToAnsi(built).substr(ToAnsi(built).rfind('\\')); }

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

void ExpectEnded(const WatchedOutcome& run, size_t windows) {
    ASSERT_TRUE(run.started) << "did not start";
    ASSERT_TRUE(run.ended) << "did not end; message boxes seen: " << run.boxes.size();
    EXPECT_EQ(run.exitCode, 0u);
    EXPECT_EQ(run.otherWindows.size(), windows) << "windows other than message boxes, the first: "
                                                << (run.otherWindows.empty() ? "" : ClassOf(run.otherWindows[0]));
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

void MakePackage() {
    CreateDirectoryA(Paths().package.c_str(), nullptr);
    for (const auto& file : kPackage)
        ASSERT_TRUE(CopyFileW(BuiltFile(file.built).c_str(), FromAnsi((Paths().package + NameOf(file.built)).c_str()).c_str(),
                              FALSE))
            << ToAnsi(file.built) << ": error " << GetLastError();
}

void RemovePackage() {
    for (const auto& file : kPackage) {
        const std::string path = Paths().package + NameOf(file.built);
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(path.c_str());
    }
    RemoveDirectoryA(Paths().package.c_str());
}

void ExpectEverythingInstalled() {
    for (const auto& file : kPackage) {
        const std::string& installed = Paths().*file.installed;
        SCOPED_TRACE(installed);
        EXPECT_EQ(ReadBytes(FromAnsi(installed.c_str())), ReadBytes(BuiltFile(file.built))) << "the built file's bytes";
        const DWORD attributes = GetFileAttributesA(installed.c_str());
        EXPECT_EQ(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u) << "attributes " << attributes;
    }
    const struct {
        HKEY root;
        const char* key;
        const char* name;
        std::string data;
    } values[] = {
        {HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString", Paths().uninstaller},
        {HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName", "Tessaline Utility"},
        {HKEY_CLASSES_ROOT, kFileHandlerKey, "", kPageClsid},
        {HKEY_CLASSES_ROOT, kFolderHandlerKey, "", kPageClsid},
    };
    for (const auto& value : values) {
        SCOPED_TRACE(std::string(value.key) + "|" + value.name);
        const RegText read = ReadRegText(value.root, value.key, value.name);
        EXPECT_EQ(read.status, ERROR_SUCCESS);
        EXPECT_EQ(read.type, DWORD(REG_SZ));
        EXPECT_EQ(read.text(), value.data);
    }
    const std::string server = ReadRegText(HKEY_CLASSES_ROOT, kPageClassKey + "\\InprocServer32", "").text();
    EXPECT_EQ(lstrcmpiA(server.c_str(), Paths().dll.c_str()), 0)
        << "the page class's server: expected " << Paths().dll << ", got " << server;
}

void ExpectNothingInstalled(bool uninstallerStays) {
    for (const std::string& file : {Paths().dll, Paths().vornex})
        EXPECT_FALSE(Exists(file)) << file;
    EXPECT_EQ(Exists(Paths().uninstaller), uninstallerStays) << Paths().uninstaller;
    for (const auto& [root, key] : {std::pair{HKEY_LOCAL_MACHINE, std::string(kUninstallKey)},
                                    {HKEY_CLASSES_ROOT, kFileHandlerKey},
                                    {HKEY_CLASSES_ROOT, kFolderHandlerKey},
                                    {HKEY_CLASSES_ROOT, kPageClassKey}})
        EXPECT_FALSE(KeyExists(root, key)) << key;
}

void ExpectSilentEnd(const WatchedOutcome& run, size_t windows) {
    ExpectEnded(run, windows);
    EXPECT_TRUE(run.boxes.empty()) << "showed a message: " << run.boxes.front().text;
}

void ExpectClosingMessage(const WatchedOutcome& run, const std::string& text, size_t windows) {
    ExpectEnded(run, windows);
    ASSERT_EQ(run.boxes.size(), 1u);
    const MessageBoxRead& box = run.boxes.front();
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.title, "Tessaline Installation");
    EXPECT_TRUE(box.okOnly) << "one OK button";
    EXPECT_TRUE(box.hasIcon) << "the information icon";
}

VersionRecord ReadVersionRecord(const std::wstring& file) {
    VersionRecord record;
    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeW(file.c_str(), &ignored));
    if (info.empty() || !GetFileVersionInfoW(file.c_str(), 0, static_cast<DWORD>(info.size()), info.data()))
        return record;
    void* value = nullptr;
    UINT size = 0;
    if (VerQueryValueA(info.data(), "\\", &value, &size) && size >= sizeof(VS_FIXEDFILEINFO)) {
        const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
        char text[80];
        wsprintfA(text, "file %u.%u.%u.%u, product %u.%u.%u.%u", HIWORD(fixed->dwFileVersionMS),
                  LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS),
                  HIWORD(fixed->dwProductVersionMS), LOWORD(fixed->dwProductVersionMS),
                  HIWORD(fixed->dwProductVersionLS), LOWORD(fixed->dwProductVersionLS));
        record.fixed = text;
    }
    if (VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", &value, &size) && size == 4) {
        char text[16];
        wsprintfA(text, "%04X %04X", static_cast<WORD*>(value)[0], static_cast<WORD*>(value)[1]);
        record.translation = text;
    }
    for (const char* name : {"Comments", "CompanyName", "FileDescription", "FileVersion", "InternalName",
                             "LegalCopyright", "OriginalFilename", "ProductName", "ProductVersion"}) {
        const std::string query = std::string("\\StringFileInfo\\040904B0\\") + name;
        if (VerQueryValueA(info.data(), query.c_str(), &value, &size) && value)
            record.strings[name] = static_cast<const char*>(value);
    }
    return record;
}

}  // namespace tessaline::testing
