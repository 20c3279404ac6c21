// IDispatch of the dual interfaces, answered from the type library in our resources.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "Boundary.h"
#include "Win32Util.h"

namespace tessaline {

// The type information behind IDispatch of _Page or _clsDropFiles, counted: the caller
// releases it.
HRESULT DualTypeInfo(REFIID iid, ITypeInfo** info);

template <class Interface, const IID& iid>
class DispatchImpl : public Interface {
public:
    static constexpr const IID& kIid = iid;

    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (count == nullptr)
            return E_POINTER;
        *count = 1;
        return S_OK;
    }

    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (info == nullptr)
            return E_POINTER;
        *info = nullptr;
        if (index != 0)
            return DISP_E_BADINDEX;
        return ComBoundary([&] { return DualTypeInfo(iid, info); });
    }

    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        ComPtr<ITypeInfo> info;
        const HRESULT hr = ComBoundary([&] { return DualTypeInfo(iid, info.put()); });
        return FAILED(hr) ? hr : DispGetIDsOfNames(info.get(), names, count, ids);
    }

    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argError) override {
        ComPtr<ITypeInfo> info;
        const HRESULT hr = ComBoundary([&] { return DualTypeInfo(iid, info.put()); });
        return FAILED(hr) ? hr
                          : info->Invoke(static_cast<Interface*>(this), id, flags, params, result, exception, argError);
    }
};

}  // namespace tessaline
