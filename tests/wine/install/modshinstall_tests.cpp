// ModSHInstall against Wine's real file system and registry (in a prefix of its own).
#include <gtest/gtest.h>

#include <string>

#include "ModSHInstall.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "Win32Util.h"

namespace tessaline {
namespace {

using testing::NewTempFolder;
using testing::ReadRegText;
using testing::PathExists;
using testing::ReadBytes;
using testing::WriteBytes;

std::string Ansi(UINT(WINAPI* query)(LPSTR, UINT)) {
    char buffer[MAX_PATH] = {};
    return std::string(buffer, query(buffer, MAX_PATH));
}

DWORD Attributes(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

// Sets TMP for the test's lifetime; GetTempPathA reads it first.
class TempVariable {
public:
    explicit TempVariable(const char* value) {
        char old[32768] = {};
        had_ = GetEnvironmentVariableA("TMP", old, sizeof old) != 0;
        old_ = old;
        SetEnvironmentVariableA("TMP", value);
    }
    ~TempVariable() { SetEnvironmentVariableA("TMP", had_ ? old_.c_str() : nullptr); }

private:
    bool had_ = false;
    std::string old_;
};

TEST(GetFolderPath, AnswersThePlatformsFoldersWithoutTrailingBackslash) {
    EXPECT_EQ(ToAnsi(GetFolderPath(0)), Ansi(GetWindowsDirectoryA));
    EXPECT_EQ(ToAnsi(GetFolderPath(1)), Ansi(GetSystemDirectoryA));
    char temp[MAX_PATH] = {};
    std::string platformTemp(temp, GetTempPathA(MAX_PATH, temp));
    ASSERT_EQ(platformTemp.back(), '\\') << platformTemp;
    platformTemp.pop_back();
    EXPECT_EQ(ToAnsi(GetFolderPath(2)), platformTemp);
    EXPECT_EQ(ToAnsi(GetFolderPath(3)), "");
    EXPECT_EQ(ToAnsi(GetFolderPath(-1)), "");
}

TEST(GetFolderPath, TempFolderEdges) {
    {
        TempVariable tmp("C:\\");
        EXPECT_EQ(ToAnsi(GetFolderPath(2)), "C:") << "a drive root comes back as the drive alone";
    }
    {
        // The longest Temp folder the 260-character buffer holds with its NUL.
        const std::string folder = "C:\\" + std::string(254, 't');
        TempVariable tmp((folder + "\\").c_str());
        EXPECT_EQ(ToAnsi(GetFolderPath(2)), folder);
    }
}

TEST(FileExists, FilesOnlyWhateverTheirAttributes) {
    const std::wstring folder = NewTempFolder(L"exists");
    const std::wstring hidden = folder + L"\\hidden.txt";
    const std::wstring system = folder + L"\\system.txt";
    ASSERT_TRUE(WriteBytes(hidden, "h"));
    ASSERT_TRUE(WriteBytes(system, "s"));
    SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW(system.c_str(), FILE_ATTRIBUTE_SYSTEM);
    EXPECT_FALSE(FileExists(folder)) << "a folder";
    EXPECT_FALSE(FileExists(folder + L"\\missing.txt"));
    EXPECT_FALSE(FileExists(L""));
    EXPECT_TRUE(FileExists(hidden)) << "read-only hidden";
    EXPECT_TRUE(FileExists(system));
    SetFileAttributesW(hidden.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(DeleteFileForced, DeletesWhateverTheAttributes) {
    const std::wstring folder = NewTempFolder(L"delete");
    struct {
        const char* name;
        DWORD attributes;
    } const rows[] = {
        {"normal", FILE_ATTRIBUTE_NORMAL},
        {"read-only", FILE_ATTRIBUTE_READONLY},
        {"hidden", FILE_ATTRIBUTE_HIDDEN},
        {"system", FILE_ATTRIBUTE_SYSTEM},
        {"read-only hidden system", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        const std::wstring file = folder + L"\\" + FromAnsi(row.name) + L".dll";
        ASSERT_TRUE(WriteBytes(file, "x"));
        ASSERT_TRUE(SetFileAttributesW(file.c_str(), row.attributes));
        DeleteFileForced(file);
        EXPECT_FALSE(PathExists(file)) << "attributes now " << Attributes(file);
    }
    DeleteFileForced(folder + L"\\missing.dll");  // nothing to do, nothing happens
    DeleteFileForced(folder);
    EXPECT_TRUE(PathExists(folder)) << "a folder is not a file";
}

TEST(CopyFileTo, ReplacesTheDestinationAndLeavesBothNormal) {
    const std::wstring folder = NewTempFolder(L"copy");
    const std::wstring source = folder + L"\\source.dll";
    const std::wstring destination = folder + L"\\destination.dll";

    // A missing source touches nothing, not even a destination it would replace.
    ASSERT_TRUE(WriteBytes(destination, "old"));
    SetFileAttributesW(destination.c_str(), FILE_ATTRIBUTE_READONLY);
    CopyFileTo(folder + L"\\missing.dll", destination, true);
    EXPECT_EQ(ReadBytes(destination), "old");
    EXPECT_TRUE(Attributes(destination) & FILE_ATTRIBUTE_READONLY) << "attributes " << Attributes(destination);

    // Overwrite: a read-only destination is deleted and replaced; a read-only hidden
    // source is made normal first, so the copy is neither.
    ASSERT_TRUE(WriteBytes(source, "new"));
    SetFileAttributesW(source.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
    CopyFileTo(source, destination, true);
    EXPECT_EQ(ReadBytes(destination), "new");
    EXPECT_EQ(Attributes(destination) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u)
        << "attributes " << Attributes(destination);
    EXPECT_EQ(Attributes(source) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN), 0u)
        << "the source keeps its normal attributes, " << Attributes(source);

    // Without overwrite an existing destination is still replaced. (Windows refuses a
    // read-only one there; Wine's CopyFileA replaces it, so that case is not checked.)
    ASSERT_TRUE(WriteBytes(source, "newer"));
    CopyFileTo(source, destination, false);
    EXPECT_EQ(ReadBytes(destination), "newer");
}

TEST(WriteRegString, WritesOneTextValue) {
    const char* key = "Software\\Tessaline Tests\\Nested\\Key";
    struct {
        const char* name;
        const wchar_t* valueName;
        const wchar_t* data;
    } const rows[] = {
        {"the default value", L"", L"{4B7A2E9F-6C1D-11E0-8F3A-5E21A7C3D094}"},
        {"a named value", L"UninstallString", L"C:\\windows\\kivremove.exe"},
        {"a rewritten value", L"UninstallString", L"C:\\other\\kivremove.exe"},
        {"an empty text", L"DisplayName", L""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_TRUE(WriteRegString(HKEY_CURRENT_USER, FromAnsi(key), row.valueName, row.data));
        const auto value = ReadRegText(HKEY_CURRENT_USER, key, ToAnsi(row.valueName));
        EXPECT_EQ(value.status, ERROR_SUCCESS);
        EXPECT_EQ(value.type, DWORD(REG_SZ));
        EXPECT_EQ(value.bytes, ToAnsi(row.data) + '\0') << "the data and its NUL";
    }
    EXPECT_EQ(ReadRegText(HKEY_CURRENT_USER, key, "").text(), "{4B7A2E9F-6C1D-11E0-8F3A-5E21A7C3D094}");
}

TEST(WriteRegString, FalseAndNothingWrittenWhenTheKeyCannotBeMade) {
    HKEY closed = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Tessaline Tests", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &closed, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(closed);
    EXPECT_FALSE(WriteRegString(closed, L"Gone", L"Name", L"data")) << "a root that is no longer open";
    EXPECT_FALSE(testing::KeyExists(HKEY_CURRENT_USER, "Software\\Tessaline Tests\\Gone"));
}

TEST(GetFileSystemName, AnswersNtfsOnC) {
    // The volume of the current directory: the test starts on Z:, Wine's view of "/".
    char old[MAX_PATH] = {};
    GetCurrentDirectoryA(MAX_PATH, old);
    ASSERT_TRUE(SetCurrentDirectoryA("C:\\"));
    EXPECT_EQ(ToAnsi(GetFileSystemName()), "NTFS");
    SetCurrentDirectoryA(old);
}

}  // namespace
}  // namespace tessaline
