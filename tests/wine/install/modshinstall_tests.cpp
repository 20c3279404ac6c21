// ModSHInstall against Wine's real file system and registry (in a prefix of its own), for
// what the runs of the programs do not reach: they prove the folder of each selector, the
// copy's attribute reset, the values written and the volume's file-system name.
#include <gtest/gtest.h>

#include <string>

#include "ModSHInstall.h"
#include "TestFiles.h"
#include "TestRegistry.h"
#include "Win32Util.h"

namespace tessaline {
namespace {

using namespace testing;

const DWORD kReadOnlyHiddenSystem = FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;

TEST(FileExists, FilesOnlyWhateverTheirAttributes) {
    const std::wstring folder = NewTempFolder(L"exists");
    const std::wstring file = folder + L"\\hidden.txt";
    ASSERT_TRUE(WriteBytes(file, "h"));
    SetFileAttributesW(file.c_str(), kReadOnlyHiddenSystem);
    EXPECT_TRUE(FileExists(file)) << "read-only hidden system";
    EXPECT_FALSE(FileExists(folder)) << "a folder";
    EXPECT_FALSE(FileExists(folder + L"\\missing.txt"));
    SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(DeleteFileForced, DeletesWhateverTheAttributes) {
    const std::wstring folder = NewTempFolder(L"delete");
    for (DWORD attributes : {DWORD(FILE_ATTRIBUTE_NORMAL), DWORD(FILE_ATTRIBUTE_READONLY), DWORD(FILE_ATTRIBUTE_HIDDEN),
                             DWORD(FILE_ATTRIBUTE_SYSTEM), kReadOnlyHiddenSystem}) {
        SCOPED_TRACE("attributes " + std::to_string(attributes));
        const std::wstring file = folder + L"\\" + std::to_wstring(attributes) + L".dll";
        ASSERT_TRUE(WriteBytes(file, "x"));
        ASSERT_TRUE(SetFileAttributesW(file.c_str(), attributes));
        DeleteFileForced(file);
        EXPECT_FALSE(PathExists(file)) << "attributes now " << GetFileAttributesW(file.c_str());
    }
    DeleteFileForced(folder);
    EXPECT_TRUE(PathExists(folder)) << "a folder is not a file";
}

// A missing source touches nothing, not even a read-only destination it would replace.
TEST(CopyFileTo, AMissingSourceLeavesTheDestination) {
    const std::wstring folder = NewTempFolder(L"copy");
    const std::wstring destination = folder + L"\\destination.dll";
    ASSERT_TRUE(WriteBytes(destination, "old"));
    SetFileAttributesW(destination.c_str(), FILE_ATTRIBUTE_READONLY);
    CopyFileTo(folder + L"\\missing.dll", destination, true);
    EXPECT_EQ(ReadBytes(destination), "old");
}

TEST(WriteRegString, WritesOneTextValueOrAnswersFalse) {
    const char* key = "Software\\Tessaline Tests\\Nested\\Key";
    EXPECT_TRUE(WriteRegString(HKEY_CURRENT_USER, FromAnsi(key), L"UninstallString", L"C:\\windows\\kivremove.exe"));
    EXPECT_EQ(ReadRegText(HKEY_CURRENT_USER, key, "UninstallString").bytes, std::string("C:\\windows\\kivremove.exe") + '\0')
        << "the data and its NUL";

    // A key that cannot be made: under a root that is no longer open.
    HKEY closed = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Tessaline Tests", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &closed, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(closed);
    EXPECT_FALSE(WriteRegString(closed, L"Gone", L"Name", L"data"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Tessaline Tests\\Gone"));
}

}  // namespace
}  // namespace tessaline
