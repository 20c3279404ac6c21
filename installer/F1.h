// F1: the installer window with the terms, the choice to accept them, Install and Cancel.
#pragma once

#include <windows.h>

namespace tessaline {

// Control identifiers, in F1's tab order. None is IDOK or IDCANCEL: the dialog manager turns
// Enter into IDOK, which presses the focused button, and Esc into IDCANCEL, which does nothing.
enum F1Control : int {
    kBOK = 201,
    kBCancel,
    kOp1Accept,   // Op1, index 0
    kOp1Decline,  // Op1, index 1
    kLabel2,
    kLabel1Right,   // Label1, index 0
    kLabel1Left,    // Label1, index 1
    kLabel1Bottom,  // Label1, index 2
    kFrame1,
    kText1,        // inside Frame1
    kLabel1Top,    // Label1, index 3
    kImage1,
};

// Makes F1, hands it to ModInstaller and shows it, modeless. Its resources (icon and
// banner) come from the given module. nullptr when the window cannot be made.
HWND ShowF1(HINSTANCE instance);

// The F1 of another installer that runs already, or nullptr.
HWND FindRunningF1();

}  // namespace tessaline
