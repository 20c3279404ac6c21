// Registration of the server's classes and type libraries.
#include "Registration.h"

#include <oleauto.h>

#include <string>

#include "Identity.h"
#include "Server.h"
#include "Win32Util.h"

namespace tessaline {
namespace {

// What registration writes, read by both directions. Each class gets
// HKCR\CLSID\{...}\InprocServer32 = the DLL's path, ThreadingModel = Apartment.
const char* const kClassKeys[] = {
    "CLSID\\" TESSALINE_CLSID_PAGE_TEXT,
    "CLSID\\" TESSALINE_CLSID_CLSDROPFILES_TEXT,
};
const char kThreadingModel[] = "Apartment";

// The type libraries, as LoadTypeLib names our resources: resource 2 (the shell's
// interfaces) first, so that Tessaline3's references resolve once it is registered.
const wchar_t* const kTypeLibSuffixes[] = {L"\\2", L""};

// The first failure decides the answer; later steps still run.
void Note(HRESULT& result, HRESULT step) {
    if (SUCCEEDED(result) && FAILED(step))
        result = step;
}

HRESULT FromWin32(LONG error) { return error == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(error); }

HRESULT SetText(HKEY key, const char* name, const std::string& value) {
    return FromWin32(RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                                    static_cast<DWORD>(value.size() + 1)));
}

HRESULT RegisterClassKey(const char* classKey, const std::string& path) {
    const std::string name = std::string(classKey) + "\\InprocServer32";
    UniqueKey key;
    const LONG rc = RegCreateKeyExA(HKEY_CLASSES_ROOT, name.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                    KEY_SET_VALUE, nullptr, key.put(), nullptr);
    if (rc != ERROR_SUCCESS)
        return FromWin32(rc);
    HRESULT hr = SetText(key.get(), nullptr, path);
    Note(hr, SetText(key.get(), "ThreadingModel", kThreadingModel));
    return hr;
}

HRESULT DeleteKey(const std::string& name) {
    const LONG rc = RegDeleteKeyA(HKEY_CLASSES_ROOT, name.c_str());
    return rc == ERROR_FILE_NOT_FOUND ? S_OK : FromWin32(rc);
}

HRESULT UnregisterClassKey(const char* classKey) {
    HRESULT hr = DeleteKey(std::string(classKey) + "\\InprocServer32");
    Note(hr, DeleteKey(classKey));
    return hr;
}

HRESULT RegisterLibrary(const std::wstring& path) {
    ComPtr<ITypeLib> lib;
    const HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, lib.put());
    return FAILED(hr) ? hr : RegisterTypeLib(lib.get(), const_cast<OLECHAR*>(path.c_str()), nullptr);
}

// The oleaut32 of NT4 before its service packs lacks UnRegisterTypeLib; importing it
// would keep the whole DLL from loading there.
using UnRegisterTypeLibFn = HRESULT(WINAPI*)(REFGUID, WORD, WORD, LCID, SYSKIND);

UnRegisterTypeLibFn FindUnRegisterTypeLib() {
    HMODULE oleaut = GetModuleHandleA("oleaut32.dll");
    if (oleaut == nullptr)
        return nullptr;
    return reinterpret_cast<UnRegisterTypeLibFn>(reinterpret_cast<void*>(GetProcAddress(oleaut, "UnRegisterTypeLib")));
}

// Identified by the attributes in our own resource, so it removes what RegisterLibrary
// wrote; a library that is not registered is left as it is.
HRESULT UnregisterLibrary(const std::wstring& path) {
    const UnRegisterTypeLibFn unregister = FindUnRegisterTypeLib();
    if (unregister == nullptr)
        return HRESULT_FROM_WIN32(ERROR_PROC_NOT_FOUND);
    ComPtr<ITypeLib> lib;
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, lib.put());
    if (FAILED(hr))
        return hr;
    TLIBATTR* attr = nullptr;
    hr = lib->GetLibAttr(&attr);
    if (FAILED(hr))
        return hr;
    const TLIBATTR identity = *attr;
    lib->ReleaseTLibAttr(attr);
    UniqueBstr registered;
    if (FAILED(QueryPathOfRegTypeLib(identity.guid, identity.wMajorVerNum, identity.wMinorVerNum, identity.lcid,
                                     registered.put())))
        return hr;
    return unregister(identity.guid, identity.wMajorVerNum, identity.wMinorVerNum, identity.lcid, identity.syskind);
}

}  // namespace

HRESULT RegisterServer(HMODULE module, bool install) {
    std::string path;
    HRESULT hr = ModulePath(module, path);
    if (FAILED(hr))
        return hr;
    const std::wstring widePath = FromAnsi(path.c_str());

    if (install) {
        for (const wchar_t* suffix : kTypeLibSuffixes)
            Note(hr, RegisterLibrary(widePath + suffix));
        for (const char* classKey : kClassKeys)
            Note(hr, RegisterClassKey(classKey, path));
    } else {
        for (const char* classKey : kClassKeys)
            Note(hr, UnregisterClassKey(classKey));
        for (size_t i = sizeof kTypeLibSuffixes / sizeof kTypeLibSuffixes[0]; i-- > 0;)
            Note(hr, UnregisterLibrary(widePath + kTypeLibSuffixes[i]));
    }
    return hr;
}

}  // namespace tessaline
