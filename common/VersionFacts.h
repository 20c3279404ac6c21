// What the running system reports about its version, read from its system DLLs (which a
// target's test build answers through their import slots).
#pragma once

#include <cstdint>

#include "VistaDecision.h"

namespace tessaline {

// The answers CVista decides on.
VistaPlatform& SystemVistaPlatform();

// A DLL's version as its DllGetVersion reports it; major 0 when it has none.
struct DllVersion {
    uint32_t major = 0;
    uint32_t minor = 0;
};

// comctl32's version. DllGetVersion came with 4.71 (Internet Explorer 4): NT4 without its
// desktop update has none.
DllVersion CommonControlsVersion();

}  // namespace tessaline
