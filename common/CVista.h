// The Windows version test shared by the page DLL and the installer.
#pragma once

#include "VersionFacts.h"

namespace tessaline {

class CVista {
public:
    // -1 on Windows Vista or later, 0 otherwise; never fails.
    short IsOSVista();
};

}  // namespace tessaline
