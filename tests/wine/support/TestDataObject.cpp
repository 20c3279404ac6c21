#include "TestDataObject.h"

#include <shlobj.h>

#include <cstring>

#include "Win32Util.h"

namespace tessaline::testing {

TestDataObject::TestDataObject(std::vector<std::wstring> files, bool wide)
    : files_(std::move(files)), wide_(wide), hasDrop_(true) {}

TestDataObject::TestDataObject() = default;

STDMETHODIMP TestDataObject::QueryInterface(REFIID riid, void** ppv) {
    if (riid == IID_IUnknown || riid == IID_IDataObject) {
        *ppv = static_cast<IDataObject*>(this);
        AddRef();
        return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
}

STDMETHODIMP_(ULONG) TestDataObject::AddRef() { return InterlockedIncrement(&refs_); }
STDMETHODIMP_(ULONG) TestDataObject::Release() { return InterlockedDecrement(&refs_); }  // lives on the stack

STDMETHODIMP TestDataObject::QueryGetData(FORMATETC* format) {
    return hasDrop_ && format->cfFormat == CF_HDROP && (format->tymed & TYMED_HGLOBAL) ? S_OK : DV_E_FORMATETC;
}

STDMETHODIMP TestDataObject::GetData(FORMATETC* format, STGMEDIUM* medium) {
    if (QueryGetData(format) != S_OK)
        return DV_E_FORMATETC;
    // DROPFILES header, then each name zero-terminated, then one more zero.
    std::vector<char> names;
    for (const auto& f : files_) {
        if (wide_) {
            const char* p = reinterpret_cast<const char*>(f.c_str());
            names.insert(names.end(), p, p + (f.size() + 1) * sizeof(wchar_t));
        } else {
            std::string a = ToAnsi(f);
            names.insert(names.end(), a.c_str(), a.c_str() + a.size() + 1);
        }
    }
    names.insert(names.end(), wide_ ? sizeof(wchar_t) : 1, '\0');
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size());
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = wide_;
    std::memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), names.size());
    GlobalUnlock(memory);
    medium->tymed = TYMED_HGLOBAL;
    medium->hGlobal = memory;
    medium->pUnkForRelease = nullptr;
    return S_OK;
}

}  // namespace tessaline::testing
