// Stand-in for the volume query behind GetFileSystemName: answers what a test scripts and
// records which root it was asked for.
#pragma once

#include <string>

namespace tessaline::testing {

struct VolumeAnswer {
    bool succeeds = true;
    std::string fileSystem = "FAT32";  // bytes written into the name buffer, as they stand
};

VolumeAnswer& StandInVolume();
// The root the last query was asked for, "(null)" for none.
std::string& AskedRoot();

}  // namespace tessaline::testing
