// Writes Kivrel3's type libraries into the current folder: Tessaline3.tlb and
// ShellTypes.tlb, the small library it imports the shell's interfaces from.
//
// Runs under Wine at build time. widl cannot write these: it embeds every interface a
// coclass implements instead of referring to the imported library, and it crashes on
// the platform's IDataObject. Here every flag, dispatch id and parameter form is set
// explicitly through ICreateTypeLib2.
#include <windows.h>
#include <oleauto.h>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <string>
#include <string_view>
#include <vector>

#include "Identity.h"

namespace {

const GUID kLibTessaline3 = TESSALINE_GUID(TESSALINE_LIBID_TESSALINE3);
const GUID kLibShellTypes = TESSALINE_GUID(TESSALINE_LIBID_SHELLTYPES);
const GUID kLibStdOle = {0x00020430, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

const GUID kIidPage = TESSALINE_GUID(TESSALINE_IID_PAGE);
const GUID kIidDropFiles = TESSALINE_GUID(TESSALINE_IID_CLSDROPFILES);
const GUID kClsidPage = TESSALINE_GUID(TESSALINE_CLSID_PAGE);
const GUID kClsidDropFiles = TESSALINE_GUID(TESSALINE_CLSID_CLSDROPFILES);

const GUID kIidDataObject = {0x0000010E, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const GUID kIidShellExtInit = {0x000214E8, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};
const GUID kIidShellPropSheetExt = {0x000214E9, 0x0000, 0x0000, {0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46}};

// hidden, dual, non-extensible, OLE-automation, dispatchable
const WORD kDualFlags = TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE |
                        TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE;
static_assert(kDualFlags == 0x11D0, "type flags of the dual interfaces");

const USHORT kIn = PARAMFLAG_FIN;
const USHORT kOut = PARAMFLAG_FOUT;
const USHORT kRetval = PARAMFLAG_FOUT | PARAMFLAG_FRETVAL;

void Check(HRESULT hr, const char* what) {
    if (FAILED(hr)) {
        std::fprintf(stderr, "make_typelibs: %s failed with 0x%08lX\n", what, static_cast<unsigned long>(hr));
        std::exit(1);
    }
}

// Type descriptions point at each other; the deque keeps them where they are.
std::deque<TYPEDESC> g_types;

TYPEDESC Base(VARTYPE vt) {
    TYPEDESC t{};
    t.vt = vt;
    return t;
}
TYPEDESC Ptr(TYPEDESC to) {
    g_types.push_back(to);
    TYPEDESC t{};
    t.vt = VT_PTR;
    t.lptdesc = &g_types.back();
    return t;
}
TYPEDESC User(HREFTYPE ref) {
    TYPEDESC t{};
    t.vt = VT_USERDEFINED;
    t.hreftype = ref;
    return t;
}

struct Param {
    const wchar_t* name;  // null for the unnamed return value
    TYPEDESC type;
    USHORT flags;
};

struct Method {
    const wchar_t* name;
    MEMBERID id;
    INVOKEKIND kind;
    std::vector<Param> params;
};

// A dual interface's members in the order and with the dispatch ids Identity.h gives
// them; the parameters come from paramsOf(name).
#define TESSALINE_METHOD(kind, name, dispid, cxxParams) {L## #name, dispid, INVOKE_##kind, {}},
template <class ParamsOf>
std::vector<Method> WithParams(std::vector<Method> methods, ParamsOf paramsOf) {
    for (Method& m : methods)
        m.params = paramsOf(std::wstring_view(m.name));
    return methods;
}

[[noreturn]] void NoParams(std::wstring_view name) {
    std::fprintf(stderr, "make_typelibs: no parameters for %ls\n", std::wstring(name).c_str());
    std::exit(1);
}

template <class T>
T* Query(IUnknown* from, REFIID iid, const char* what) {
    void* out = nullptr;
    Check(from->QueryInterface(iid, &out), what);
    return static_cast<T*>(out);
}

ITypeInfo* AsTypeInfo(ICreateTypeInfo* info) {
    return Query<ITypeInfo>(info, IID_ITypeInfo, "QueryInterface(ITypeInfo)");
}

HREFTYPE RefTo(ICreateTypeInfo* from, ITypeInfo* to) {
    HREFTYPE ref = 0;
    Check(from->AddRefTypeInfo(to, &ref), "AddRefTypeInfo");
    return ref;
}

ICreateTypeLib2* NewLibrary(const wchar_t* file, const wchar_t* name, const GUID& id, WORD major, WORD minor,
                            LCID lcid) {
    ICreateTypeLib2* lib = nullptr;
    Check(CreateTypeLib2(SYS_WIN32, file, &lib), "CreateTypeLib2");
    Check(lib->SetName(const_cast<LPOLESTR>(name)), "SetName");
    Check(lib->SetGuid(id), "SetGuid");
    Check(lib->SetVersion(major, minor), "SetVersion");
    Check(lib->SetLcid(lcid), "SetLcid");
    Check(lib->SetLibFlags(0), "SetLibFlags");
    return lib;
}

// Types of our own carry version 1.0; the platform's have none.
ICreateTypeInfo* NewType(ICreateTypeLib2* lib, const wchar_t* name, TYPEKIND kind, const GUID& id, bool ours) {
    ICreateTypeInfo* info = nullptr;
    Check(lib->CreateTypeInfo(const_cast<LPOLESTR>(name), kind, &info), "CreateTypeInfo");
    Check(info->SetGuid(id), "SetGuid");
    if (ours)
        Check(info->SetVersion(1, 0), "SetVersion");
    return info;
}

// Flags go last: Wine's writer adds TYPEFLAG_FDISPATCHABLE to a coclass as soon as it
// implements a dual interface.
void Finish(ICreateTypeInfo* info, WORD flags) {
    Check(info->SetTypeFlags(flags), "SetTypeFlags");
    Check(info->LayOut(), "LayOut");
}

void AddMethods(ICreateTypeInfo* info, const std::vector<Method>& methods) {
    for (UINT i = 0; i < methods.size(); ++i) {
        const Method& m = methods[i];
        std::vector<ELEMDESC> params(m.params.size());
        std::vector<LPOLESTR> names{const_cast<LPOLESTR>(m.name)};
        for (size_t p = 0; p < m.params.size(); ++p) {
            params[p].tdesc = m.params[p].type;
            params[p].paramdesc.wParamFlags = m.params[p].flags;
            if (m.params[p].name != nullptr)
                names.push_back(const_cast<LPOLESTR>(m.params[p].name));
        }
        FUNCDESC f{};
        f.memid = m.id;
        f.funckind = FUNC_PUREVIRTUAL;
        f.invkind = m.kind;
        f.callconv = CC_STDCALL;
        f.cParams = static_cast<SHORT>(params.size());
        f.lprgelemdescParam = params.empty() ? nullptr : params.data();
        f.elemdescFunc.tdesc.vt = VT_HRESULT;
        Check(info->AddFuncDesc(i, &f), "AddFuncDesc");
        Check(info->SetFuncAndParamNames(i, names.data(), static_cast<UINT>(names.size())),
              "SetFuncAndParamNames");
    }
}

// A plain vtable interface deriving straight from IUnknown.
ICreateTypeInfo* NewShellInterface(ICreateTypeLib2* lib, const wchar_t* name, const GUID& id, ITypeInfo* unknown) {
    ICreateTypeInfo* info = NewType(lib, name, TKIND_INTERFACE, id, false);
    Check(info->AddImplType(0, RefTo(info, unknown)), "AddImplType(IUnknown)");
    return info;
}

// Member ids as MIDL numbers them one level below IUnknown.
MEMBERID ShellMember(int index) { return static_cast<MEMBERID>(0x60010000 + index); }

}  // namespace

int main() {
    Check(CoInitialize(nullptr), "CoInitialize");

    ITypeLib* stdole = nullptr;
    Check(LoadRegTypeLib(kLibStdOle, 2, 0, 0, &stdole), "LoadRegTypeLib(stdole2)");
    ITypeInfo* unknown = nullptr;
    ITypeInfo* dispatch = nullptr;
    Check(stdole->GetTypeInfoOfGuid(IID_IUnknown, &unknown), "GetTypeInfoOfGuid(IUnknown)");
    Check(stdole->GetTypeInfoOfGuid(IID_IDispatch, &dispatch), "GetTypeInfoOfGuid(IDispatch)");

    // The shell's interfaces with their platform identifiers. Plain vtable interfaces:
    // registering this library must not write Interface keys for the system's own
    // interfaces, which oleautomation or dual would.
    ICreateTypeLib2* shell = NewLibrary(L"ShellTypes.tlb", L"TessalineShell", kLibShellTypes, 1, 0, 0);

    ICreateTypeInfo* dataObject = NewShellInterface(shell, L"IDataObject", kIidDataObject, unknown);
    {
        // Format requests and storage media stay opaque: Wine's writer cannot size records.
        const TYPEDESC fmt = Ptr(Base(VT_VOID));
        const TYPEDESC med = Ptr(Base(VT_VOID));
        const TYPEDESC unk = Ptr(User(RefTo(dataObject, unknown)));
        const TYPEDESC dword = Base(VT_UI4);
        AddMethods(dataObject,
                   {{L"GetData", ShellMember(0), INVOKE_FUNC, {{L"pformatetcIn", fmt, kIn}, {L"pmedium", med, kOut}}},
                    {L"GetDataHere", ShellMember(1), INVOKE_FUNC,
                     {{L"pformatetc", fmt, kIn}, {L"pmedium", med, kIn | kOut}}},
                    {L"QueryGetData", ShellMember(2), INVOKE_FUNC, {{L"pformatetc", fmt, kIn}}},
                    {L"GetCanonicalFormatEtc", ShellMember(3), INVOKE_FUNC,
                     {{L"pformatectIn", fmt, kIn}, {L"pformatetcOut", fmt, kOut}}},
                    {L"SetData", ShellMember(4), INVOKE_FUNC,
                     {{L"pformatetc", fmt, kIn}, {L"pmedium", med, kIn}, {L"fRelease", Base(VT_I4), kIn}}},
                    {L"EnumFormatEtc", ShellMember(5), INVOKE_FUNC,
                     {{L"dwDirection", dword, kIn}, {L"ppenumFormatEtc", Ptr(unk), kOut}}},
                    {L"DAdvise", ShellMember(6), INVOKE_FUNC,
                     {{L"pformatetc", fmt, kIn},
                      {L"advf", dword, kIn},
                      {L"pAdvSink", unk, kIn},
                      {L"pdwConnection", Ptr(dword), kOut}}},
                    {L"DUnadvise", ShellMember(7), INVOKE_FUNC, {{L"dwConnection", dword, kIn}}},
                    {L"EnumDAdvise", ShellMember(8), INVOKE_FUNC, {{L"ppenumAdvise", Ptr(unk), kOut}}}});
    }
    Finish(dataObject, 0);

    // Item lists, key handles and page callbacks are pointer-sized; their types mean
    // nothing to a client of this library.
    const TYPEDESC handle = Ptr(Base(VT_VOID));
    ICreateTypeInfo* extInit = NewShellInterface(shell, L"IShellExtInit", kIidShellExtInit, unknown);
    AddMethods(extInit, {{L"Initialize", ShellMember(0), INVOKE_FUNC,
                          {{L"pidlFolder", handle, kIn},
                           {L"pdtobj", Ptr(User(RefTo(extInit, AsTypeInfo(dataObject)))), kIn},
                           {L"hkeyProgID", handle, kIn}}}});
    Finish(extInit, 0);
    ICreateTypeInfo* propSheetExt = NewShellInterface(shell, L"IShellPropSheetExt", kIidShellPropSheetExt, unknown);
    AddMethods(propSheetExt,
               {{L"AddPages", ShellMember(0), INVOKE_FUNC,
                 {{L"pfnAddPage", handle, kIn}, {L"lParam", Base(VT_I4), kIn}}},
                {L"ReplacePage", ShellMember(1), INVOKE_FUNC,
                 {{L"uPageID", Base(VT_UINT), kIn}, {L"pfnReplaceWith", handle, kIn}, {L"lParam", Base(VT_I4), kIn}}}});
    Finish(propSheetExt, 0);
    Check(shell->SaveAllChanges(), "SaveAllChanges(ShellTypes)");

    // Tessaline3: four type descriptions in this order.
    ICreateTypeLib2* lib = NewLibrary(L"Tessaline3.tlb", L"Tessaline3", kLibTessaline3, TESSALINE_TESSALINE3_MAJOR,
                                      TESSALINE_TESSALINE3_MINOR, TESSALINE_TESSALINE3_LCID);
    const TYPEDESC text = Ptr(Base(VT_BSTR));

    ICreateTypeInfo* page = NewType(lib, L"_Page", TKIND_INTERFACE, kIidPage, true);
    Check(page->AddImplType(0, RefTo(page, dispatch)), "AddImplType(IDispatch)");
    const auto pageParams = [&](std::wstring_view name) -> std::vector<Param> {
        if (name != L"SelectedFile")
            NoParams(name);
        return {{nullptr, text, kRetval}};
    };
    AddMethods(page, WithParams({TESSALINE_PAGE_MEMBERS(TESSALINE_METHOD)}, pageParams));
    Finish(page, kDualFlags);

    ICreateTypeInfo* pageClass = NewType(lib, L"Page", TKIND_COCLASS, kClsidPage, true);
    Check(pageClass->AddImplType(0, RefTo(pageClass, AsTypeInfo(page))), "AddImplType(_Page)");
    Check(pageClass->SetImplTypeFlags(0, IMPLTYPEFLAG_FDEFAULT), "SetImplTypeFlags");
    Check(pageClass->AddImplType(1, RefTo(pageClass, AsTypeInfo(extInit))), "AddImplType(IShellExtInit)");
    Check(pageClass->AddImplType(2, RefTo(pageClass, AsTypeInfo(propSheetExt))), "AddImplType(IShellPropSheetExt)");
    Finish(pageClass, TYPEFLAG_FCANCREATE);

    ICreateTypeInfo* dropFiles = NewType(lib, L"_clsDropFiles", TKIND_INTERFACE, kIidDropFiles, true);
    Check(dropFiles->AddImplType(0, RefTo(dropFiles, dispatch)), "AddImplType(IDispatch)");
    const TYPEDESC dataObjectRef = Ptr(Ptr(User(RefTo(dropFiles, AsTypeInfo(dataObject)))));
    const TYPEDESC shortRef = Ptr(Base(VT_I2));
    const auto dropFilesParams = [&](std::wstring_view name) -> std::vector<Param> {
        if (name == L"GetDropFiles")
            return {{L"pDataObj", dataObjectRef, kIn | kOut}};
        if (name == L"Count")
            return {{nullptr, shortRef, kRetval}};
        if (name == L"Files")
            return {{L"nIndex", shortRef, kIn | kOut}, {nullptr, text, kRetval}};
        if (name != L"SelectedFile")
            NoParams(name);
        return {{nullptr, text, kRetval}};
    };
    AddMethods(dropFiles, WithParams({TESSALINE_CLSDROPFILES_MEMBERS(TESSALINE_METHOD)}, dropFilesParams));
    Finish(dropFiles, kDualFlags);

    ICreateTypeInfo* dropFilesClass = NewType(lib, L"clsDropFiles", TKIND_COCLASS, kClsidDropFiles, true);
    Check(dropFilesClass->AddImplType(0, RefTo(dropFilesClass, AsTypeInfo(dropFiles))), "AddImplType(_clsDropFiles)");
    Check(dropFilesClass->SetImplTypeFlags(0, IMPLTYPEFLAG_FDEFAULT), "SetImplTypeFlags");
    Finish(dropFilesClass, TYPEFLAG_FCANCREATE);

    Check(lib->SaveAllChanges(), "SaveAllChanges(Tessaline3)");
    return 0;  // a build step: the process ends here, nothing to release for
}
