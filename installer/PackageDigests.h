// The SHA-256 of each file this kivsetup.exe installs, written at build time from the files
// it was built with (cmake/PackageDigests.cmake).
#pragma once

#include "InstallFlow.h"

namespace tessaline {

extern const PackageDigests kPackageDigests;

}  // namespace tessaline
