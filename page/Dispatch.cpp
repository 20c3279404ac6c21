// The type information behind IDispatch of the dual interfaces, from this DLL's own type
// library. Loaded once and kept for the DLL's whole life: a late-bound call on one thread
// may be using it while another thread's DllCanUnloadNow lets the DLL go, and DllMain may
// call nothing of OLE Automation (loader lock). Handed out counted.
#include "Dispatch.h"

#include <oleauto.h>

#include <string>

#include "Interfaces.h"
#include "Server.h"

namespace tessaline {
namespace {

ITypeLib* volatile g_ownLibrary = nullptr;

// The dual interfaces whose type information is kept, one slot each.
const IID* const kDualInterfaces[] = {&IID__Page, &IID__clsDropFiles};
ITypeInfo* volatile g_dualInfos[sizeof kDualInterfaces / sizeof kDualInterfaces[0]] = {};

// Keeps the first of several values stored at once by different threads; a later one is
// given back.
template <class T>
T* KeepFirst(T* volatile& slot, T* candidate) {
    void* earlier = InterlockedCompareExchangePointer(reinterpret_cast<void* volatile*>(&slot), candidate, nullptr);
    if (earlier == nullptr)
        return candidate;
    candidate->Release();
    return static_cast<T*>(earlier);
}

HRESULT OwnTypeLib(ITypeLib** library) {
    *library = g_ownLibrary;
    if (*library != nullptr)
        return S_OK;
    std::string path;
    HRESULT hr = ModulePath(g_module, path);
    if (FAILED(hr))
        return hr;
    ITypeLib* loaded = nullptr;
    hr = LoadTypeLibEx(FromAnsi(path.c_str()).c_str(), REGKIND_NONE, &loaded);
    if (FAILED(hr))
        return hr;
    *library = KeepFirst(g_ownLibrary, loaded);
    return S_OK;
}

// The vtable half of a dual interface, counted: ITypeInfo::Invoke must call through the
// vtable, not back into IDispatch::Invoke. A plain dispatch interface answers for itself.
ITypeInfo* VtableHalf(ITypeInfo* dispatchHalf) {
    HREFTYPE vtableHalf = 0;
    ITypeInfo* info = nullptr;
    if (SUCCEEDED(dispatchHalf->GetRefTypeOfImplType(static_cast<UINT>(-1), &vtableHalf)) &&
        SUCCEEDED(dispatchHalf->GetRefTypeInfo(vtableHalf, &info)))
        return info;
    dispatchHalf->AddRef();
    return dispatchHalf;
}

}  // namespace

HRESULT DualTypeInfo(REFIID iid, ITypeInfo** info) {
    *info = nullptr;
    size_t slot = 0;
    while (slot < sizeof kDualInterfaces / sizeof kDualInterfaces[0] && *kDualInterfaces[slot] != iid)
        ++slot;
    if (slot == sizeof kDualInterfaces / sizeof kDualInterfaces[0])
        return E_NOINTERFACE;
    ITypeInfo* kept = g_dualInfos[slot];
    if (kept == nullptr) {
        ITypeLib* library = nullptr;
        HRESULT hr = OwnTypeLib(&library);
        if (FAILED(hr))
            return hr;
        ComPtr<ITypeInfo> found;
        hr = library->GetTypeInfoOfGuid(iid, found.put());
        if (FAILED(hr))
            return hr;
        kept = KeepFirst(g_dualInfos[slot], VtableHalf(found.get()));
    }
    kept->AddRef();
    *info = kept;
    return S_OK;
}

}  // namespace tessaline
