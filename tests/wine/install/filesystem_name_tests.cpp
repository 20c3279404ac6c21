// GetFileSystemName over the volume-query stand-in: the name as the volume reports it.
#include <gtest/gtest.h>

#include "ModSHInstall.h"
#include "VolumeQueryStandIn.h"
#include "Win32Util.h"

namespace tessaline {
namespace {

TEST(GetFileSystemName, TakesTheNameUpToItsFirstNul) {
    struct {
        const char* name;
        bool succeeds;
        std::string reported;
        const char* expected;
    } const rows[] = {
        {"FAT32 as the stand-in reports by default", true, "FAT32", "FAT32"},
        {"lower case stays as reported", true, "ntfs", "ntfs"},
        {"text after the first NUL is ignored", true, std::string("NTFS\0old", 8), "NTFS"},
        {"a buffer that begins with NUL", true, std::string("\0FAT", 4), ""},
        {"the volume query fails", false, "NTFS", ""},
        {"a name of 255 characters", true, std::string(255, 'N'), nullptr},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        testing::StandInVolume() = {row.succeeds, row.reported};
        const std::string expected = row.expected ? row.expected : row.reported;
        EXPECT_EQ(ToAnsi(GetFileSystemName()), expected);
    }
    testing::StandInVolume() = {};
    EXPECT_EQ(ToAnsi(GetFileSystemName()), "FAT32");
}

}  // namespace
}  // namespace tessaline
