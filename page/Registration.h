// Registration of the server's classes and type libraries.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace tessaline {

// Writes (install) or removes (!install) both classes' InprocServer32 entries and the
// registration of both type libraries in our resources; never the shell's handler keys.
// S_OK when every step succeeded, otherwise the first failure (later steps still run).
HRESULT RegisterServer(HMODULE module, bool install);

}  // namespace tessaline
