// GetFileSystemName over the volume-query stand-in: the name as the volume reports it.
#include <gtest/gtest.h>

#include "ModSHInstall.h"
#include "VolumeQueryStandIn.h"
#include "Win32Util.h"

namespace tessaline {
namespace {

TEST(GetFileSystemName, TakesTheNameUpToItsFirstNul) {
    const struct {
        const char* name;
        bool succeeds;
        std::string reported;
        std::string expected;
    } rows[] = {
        {"lower case stays as reported", true, "ntfs", "ntfs"},
        {"text after the first NUL is ignored", true, std::string("NTFS\0old", 8), "NTFS"},
        {"a buffer that begins with NUL", true, std::string("\0FAT", 4), ""},
        {"the volume query fails", false, "NTFS", ""},
        {"a name of 255 characters", true, std::string(255, 'N'), std::string(255, 'N')},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        testing::StandInVolume() = {row.succeeds, row.reported};
        EXPECT_EQ(ToAnsi(GetFileSystemName()), row.expected);
    }
}

// The volume the system is installed on, not that of the current directory (here Z:).
TEST(GetFileSystemName, AsksForTheRootOfTheWindowsFolder) {
    ASSERT_TRUE(SetCurrentDirectoryA("Z:\\"));
    testing::StandInVolume() = {true, "NTFS"};
    EXPECT_EQ(ToAnsi(GetFileSystemName()), "NTFS");
    EXPECT_EQ(testing::AskedRoot(), "C:\\") << "Wine's Windows folder is C:\\windows";
}

}  // namespace
}  // namespace tessaline
