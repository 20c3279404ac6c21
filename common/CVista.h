// The Windows version test shared by the page DLL and the installer.
#pragma once

#include "VistaDecision.h"

namespace tessaline {

class CVista {
public:
    // -1 on Windows Vista or later, 0 otherwise; never fails.
    short IsOSVista();
};

// What the running system reports. The shipped programs link the real one
// (VistaFacts.cpp); a test build may link one that reports Windows XP.
VistaPlatform& SystemVistaPlatform();

}  // namespace tessaline
