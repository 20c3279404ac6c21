// What a user does with Tessaline, for the product cycle and the demo: install it through
// the installer's window, and open the shell's own Properties dialog of an item.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "PageHarness.h"

namespace tessaline::testing {

// Puts the XP-facts build of the product into %TEMP%\kvz31, as the distribution package
// unpacks it, and installs through kivsetup's window with the terms accepted. "" when the
// installer ended with "Tessaline installation complete.", otherwise what it did instead.
std::string InstallTheProduct();

// Opens the shell's own Properties dialog of `item` as Explorer does (the item's context
// menu in its parent folder, verb "properties"); the shell adds the pages of every handler
// registered for the item. `steps` is called with the dialog every 50 ms until it answers
// true; then the dialog is cancelled. "" when all went so, otherwise what went wrong.
std::string WithShellProperties(const std::wstring& item, std::function<bool(Sheet&)> steps);

}  // namespace tessaline::testing
