// Stand-in for the volume query behind GetFileSystemName, answering what a test scripts.
#pragma once

#include <string>

namespace tessaline::testing {

struct VolumeAnswer {
    bool succeeds = true;
    std::string fileSystem = "FAT32";  // bytes written into the name buffer, as they stand
};

VolumeAnswer& StandInVolume();

}  // namespace tessaline::testing
