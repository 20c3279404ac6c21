// The in-process server: class factories, object counting and the four exports.
#include <windows.h>

#include <new>

#include "Boundary.h"
#include "Page.h"
#include "Registration.h"
#include "Server.h"
#include "clsDropFiles.h"

namespace tessaline {
namespace {

LONG g_liveObjects = 0;
LONG g_serverLocks = 0;

// One factory type for both classes; the factories are static and not counted, as the
// platform expects of a server's class objects.
class ClassFactory : public IClassFactory {
public:
    using Create = HRESULT (*)(REFIID, void**);
    explicit constexpr ClassFactory(Create create) : create_(create) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr)
            return E_POINTER;
        if (riid == __uuidof(IUnknown) || riid == __uuidof(IClassFactory)) {
            *ppv = static_cast<IClassFactory*>(this);
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return 2; }
    STDMETHODIMP_(ULONG) Release() override { return 1; }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override {
        if (ppv == nullptr)
            return E_POINTER;
        *ppv = nullptr;
        if (outer != nullptr)
            return CLASS_E_NOAGGREGATION;
        return ComBoundary([&] { return create_(riid, ppv); });
    }

    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock)
            InterlockedIncrement(&g_serverLocks);
        else
            InterlockedDecrement(&g_serverLocks);
        return S_OK;
    }

private:
    Create create_;
};

// Creates the object and hands out the asked interface; the object dies if that fails.
template <class T>
HRESULT CreateAndQuery(REFIID riid, void** ppv) {
    T* object = new (std::nothrow) T;
    if (object == nullptr)
        return E_OUTOFMEMORY;
    object->AddRef();
    const HRESULT hr = object->QueryInterface(riid, ppv);
    object->Release();
    return hr;
}

ClassFactory g_pageFactory(&CreateAndQuery<Page>);
ClassFactory g_dropFilesFactory(&CreateAndQuery<clsDropFiles>);

}  // namespace

HINSTANCE g_module = nullptr;

void LockModule() { InterlockedIncrement(&g_liveObjects); }
void UnlockModule() { InterlockedDecrement(&g_liveObjects); }

HRESULT ModulePath(HMODULE module, std::string& path) {
    char buffer[MAX_PATH];
    const DWORD n = GetModuleFileNameA(module, buffer, MAX_PATH);
    if (n == 0)
        return HRESULT_FROM_WIN32(GetLastError());
    if (n >= MAX_PATH)
        return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
    path.assign(buffer, n);
    return S_OK;
}

}  // namespace tessaline

using namespace tessaline;

// ---- exports --------------------------------------------------------------------------

STDAPI DllCanUnloadNow() { return g_liveObjects != 0 || g_serverLocks != 0 ? S_FALSE : S_OK; }

STDAPI DllGetClassObject(REFCLSID rclsid, REFIID riid, void** ppv) {
    if (ppv == nullptr)
        return E_POINTER;
    *ppv = nullptr;
    ClassFactory* factory = nullptr;
    if (rclsid == CLSID_Page)
        factory = &g_pageFactory;
    else if (rclsid == CLSID_clsDropFiles)
        factory = &g_dropFilesFactory;
    else
        return CLASS_E_CLASSNOTAVAILABLE;
    return factory->QueryInterface(riid, ppv);
}

STDAPI DllRegisterServer() {
    return ComBoundary([] { return RegisterServer(g_module, true); });
}

STDAPI DllUnregisterServer() {
    return ComBoundary([] { return RegisterServer(g_module, false); });
}
