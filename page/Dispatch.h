// IDispatch of the dual interfaces, answered from the type library in our resources.
#pragma once

#include <windows.h>
#include <oaidl.h>

#include "Boundary.h"
#include "Registration.h"

namespace tessaline {

template <class Interface, const IID& iid>
class DispatchImpl : public Interface {
public:
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
        const HRESULT hr = ComBoundary([&] { return DualTypeInfo(iid, info); });
        if (SUCCEEDED(hr))
            (*info)->AddRef();  // the caller's own reference
        return hr;
    }

    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        ITypeInfo* info = nullptr;
        const HRESULT hr = ComBoundary([&] { return DualTypeInfo(iid, &info); });
        return FAILED(hr) ? hr : DispGetIDsOfNames(info, names, count, ids);
    }

    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* exception, UINT* argError) override {
        ITypeInfo* info = nullptr;
        const HRESULT hr = ComBoundary([&] { return DualTypeInfo(iid, &info); });
        return FAILED(hr) ? hr
                          : info->Invoke(static_cast<Interface*>(this), id, flags, params, result, exception, argError);
    }
};

}  // namespace tessaline
