// The start-up refusals: which message, and that the version test waits for the file system.
#include <gtest/gtest.h>

#include "Startup.h"

namespace tessaline {
namespace {

int g_versionTests = 0;
bool Vista() { return ++g_versionTests, true; }
bool Xp() { return ++g_versionTests, false; }

std::wstring NotNtfs(const std::wstring& name) {
    return L"Tessaline is only for NTFS file systems. This system is installed on " + name +
           L", which does not have the problem of hidden Alternate Data Stream files.";
}

TEST(StartupRefusal, FileSystemFirstThenVersion) {
    const std::wstring vista =
        L"Windows Vista is not supported. At Orvando we do not consider Vista to be a usable product. For support with "
        L"the problem of hidden ADS files, please contact Microsoft rather than Orvando. It was their job to provide a "
        L"tool that allows Windows users to see the files on their computer.";
    const struct {
        const char* name;
        std::wstring fileSystem;
        VersionTest version;
        std::wstring expected;
        int versionTests;
    } rows[] = {
        {"NTFS on XP shows the window", L"NTFS", Xp, L"", 1},
        {"ntfs in lower case passes", L"ntfs", Xp, L"", 1},
        {"NTFS on Vista or later", L"NTFS", Vista, vista, 1},
        {"FAT32 is named as reported, the version never asked", L"FAT32", Vista, NotNtfs(L"FAT32"), 0},
        {"a lower-case name keeps its case in the message", L"fat32", Xp, NotNtfs(L"fat32"), 0},
        {"an empty name: the two texts joined directly", L"", Vista,
         L"Tessaline is only for NTFS file systems. This system is installed on , which does not have the problem of "
         L"hidden Alternate Data Stream files.",
         0},
        {"a longer name that starts with NTFS", L"NTFS5", Xp, NotNtfs(L"NTFS5"), 0},
        {"a trailing blank is not NTFS", L"NTFS ", Xp, NotNtfs(L"NTFS "), 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        g_versionTests = 0;
        EXPECT_EQ(StartupRefusal(row.fileSystem, row.version), row.expected);
        EXPECT_EQ(g_versionTests, row.versionTests) << "version tests run";
    }
}

}  // namespace
}  // namespace tessaline
