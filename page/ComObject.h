// IUnknown written once for the COM classes of the server: the interface table, the
// reference count and the module lock that DllCanUnloadNow reads.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <type_traits>

#include "Server.h"

namespace tessaline {

// Whether an interface answers to riid: a dual interface of ours (DispatchImpl, with kIid)
// to its own id and to IDispatch's, any other to its declared id.
template <class Interface, class = void>
struct InterfaceIds {
    static bool Match(REFIID riid) { return riid == __uuidof(Interface); }
};
template <class Interface>
struct InterfaceIds<Interface, std::void_t<decltype(Interface::kIid)>> {
    static bool Match(REFIID riid) { return riid == Interface::kIid || riid == __uuidof(IDispatch); }
};

// Derived implements First and Rest; IUnknown is First's.
template <class Derived, class First, class... Rest>
class ComObject : public First, public Rest... {
public:
    ComObject() { LockModule(); }
    virtual ~ComObject() { UnlockModule(); }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr)
            return E_POINTER;
        *ppv = riid == __uuidof(IUnknown) ? static_cast<First*>(this) : Find<First, Rest...>(riid);
        if (*ppv == nullptr)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG refs = InterlockedDecrement(&refs_);
        if (refs == 0)
            delete static_cast<Derived*>(this);
        return refs;
    }

private:
    template <class Interface, class... More>
    void* Find(REFIID riid) {
        if (InterfaceIds<Interface>::Match(riid))
            return static_cast<Interface*>(this);
        if constexpr (sizeof...(More) > 0)
            return Find<More...>(riid);
        return nullptr;
    }

    LONG refs_ = 0;
};

}  // namespace tessaline
