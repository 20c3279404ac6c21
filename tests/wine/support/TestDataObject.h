// A minimal IDataObject that serves a CF_HDROP list in global memory, ANSI or wide.
#pragma once

#include <windows.h>
#include <objidl.h>

#include <string>
#include <vector>

namespace tessaline::testing {

class TestDataObject : public IDataObject {
public:
    // wide: a DROPFILES with fWide set, as the shell of NT makes it; otherwise ANSI.
    TestDataObject(std::vector<std::wstring> files, bool wide);
    // No CF_HDROP at all.
    TestDataObject();

    LONG refs() const { return refs_; }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetData(FORMATETC* format, STGMEDIUM* medium) override;
    STDMETHODIMP GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
    STDMETHODIMP QueryGetData(FORMATETC* format) override;
    STDMETHODIMP GetCanonicalFormatEtc(FORMATETC*, FORMATETC* out) override { out->ptd = nullptr; return E_NOTIMPL; }
    STDMETHODIMP SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
    STDMETHODIMP EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
    STDMETHODIMP DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP DUnadvise(DWORD) override { return OLE_E_ADVISENOTSUPPORTED; }
    STDMETHODIMP EnumDAdvise(IEnumSTATDATA**) override { return OLE_E_ADVISENOTSUPPORTED; }

private:
    std::vector<std::wstring> files_;
    bool wide_ = true;
    bool hasDrop_ = false;
    LONG refs_ = 1;
};

}  // namespace tessaline::testing
