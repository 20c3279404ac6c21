// Stand-in for the volume query behind GetFileSystemName. It answers "FAT32" unless a
// test scripts another answer; linked into test programs and test builds only.
#pragma once

#include <string>

namespace tessaline::testing {

struct VolumeAnswer {
    bool succeeds = true;
    std::string fileSystem = "FAT32";  // bytes written into the name buffer, as they stand
};

VolumeAnswer& StandInVolume();

}  // namespace tessaline::testing
