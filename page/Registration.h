// Registration of the server's classes and type libraries, and the type information
// that answers IDispatch for the dual interfaces.
#pragma once

#include <windows.h>
#include <oaidl.h>

namespace tessaline {

// Writes (install) or removes (!install) both classes' InprocServer32 entries and the
// registration of both type libraries in our resources; never the shell's handler keys.
// S_OK when every step succeeded, otherwise the first failure (later steps still run).
HRESULT RegisterServer(HMODULE module, bool install);

// The type information behind IDispatch of _Page or _clsDropFiles, from this module's own
// type library: looked up once per interface and kept. Borrowed: not released by the caller.
HRESULT DualTypeInfo(REFIID iid, ITypeInfo** info);

// Gives back the library and the type information DualTypeInfo keeps; DllCanUnloadNow calls
// it before it lets the DLL go (never DllMain: no other DLL is called under the loader lock).
void ReleaseOwnTypeLib();

}  // namespace tessaline
