// Starting the registration tool hidden and waiting a bounded time for its end.
#pragma once

#include <string>

#include "SetupShared.h"

namespace tessaline {

ToolRun RunHidden(const std::wstring& application, const std::wstring& commandLine, uint32_t waitMs);

}  // namespace tessaline
