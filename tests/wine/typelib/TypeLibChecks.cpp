#include "TypeLibChecks.h"

#include <gtest/gtest.h>
#include <oleauto.h>

#include <cstdio>
#include <vector>

namespace tessaline::testing {
namespace {

const char kTessaline3[] = "{4B7A2E9B-6C1D-11E0-8F3A-5E21A7C3D094}";
const char kShellTypes[] = "{4B7A2EA1-6C1D-11E0-8F3A-5E21A7C3D094}";
// Library identifier and version, as LibraryOf describes the library holding a type.
const char kInTessaline3[] = "{4B7A2E9B-6C1D-11E0-8F3A-5E21A7C3D094} 2.0";
const char kInShellTypes[] = "{4B7A2EA1-6C1D-11E0-8F3A-5E21A7C3D094} 1.0";
const char kInStdOle[] = "{00020430-0000-0000-C000-000000000046} 2.0";
const char kIDispatch[] = "{00020400-0000-0000-C000-000000000046}";

// hidden, dual, non-extensible, OLE-automation, dispatchable
const WORD kDual = 0x11D0;

struct TypeRow {
    const char* name;
    TYPEKIND kind;
    const char* guid;
    WORD flags;
};
const TypeRow kTypes[] = {
    {"_Page", TKIND_DISPATCH, "{D81C05A4-6E2B-11E0-8F3A-5E21A7C3D094}", kDual},
    {"Page", TKIND_COCLASS, "{4B7A2E9F-6C1D-11E0-8F3A-5E21A7C3D094}", TYPEFLAG_FCANCREATE},
    {"_clsDropFiles", TKIND_DISPATCH, "{D81C05A5-6E2B-11E0-8F3A-5E21A7C3D094}", kDual},
    {"clsDropFiles", TKIND_COCLASS, "{4B7A2E9D-6C1D-11E0-8F3A-5E21A7C3D094}", TYPEFLAG_FCANCREATE},
};

struct ImplRow {
    const char* coclass;
    const char* name;
    const char* iid;
    int flags;
    const char* library;  // where the reference leads
};
const ImplRow kImpls[] = {
    {"Page", "_Page", "{D81C05A4-6E2B-11E0-8F3A-5E21A7C3D094}", IMPLTYPEFLAG_FDEFAULT, kInTessaline3},
    {"Page", "IShellExtInit", "{000214E8-0000-0000-C000-000000000046}", 0, kInShellTypes},
    {"Page", "IShellPropSheetExt", "{000214E9-0000-0000-C000-000000000046}", 0, kInShellTypes},
    {"clsDropFiles", "_clsDropFiles", "{D81C05A5-6E2B-11E0-8F3A-5E21A7C3D094}", IMPLTYPEFLAG_FDEFAULT, kInTessaline3},
};

// Members in vtable order, after the seven of IDispatch.
struct MemberRow {
    const char* iface;
    const char* name;
    MEMBERID id;
    INVOKEKIND kind;
    const char* signature;
};
const MemberRow kMembers[] = {
    {"_Page", "SelectedFile", 0x68030001, INVOKE_PROPERTYGET, "HRESULT SelectedFile([out,retval] BSTR*)"},
    {"_clsDropFiles", "GetDropFiles", 0x60030007, INVOKE_FUNC,
     "HRESULT GetDropFiles([in,out] IDataObject** pDataObj)"},
    {"_clsDropFiles", "Count", 0x68030006, INVOKE_PROPERTYGET, "HRESULT Count([out,retval] short*)"},
    {"_clsDropFiles", "Files", 0x68030005, INVOKE_PROPERTYGET,
     "HRESULT Files([in,out] short* nIndex, [out,retval] BSTR*)"},
    {"_clsDropFiles", "SelectedFile", 0x68030004, INVOKE_PROPERTYGET, "HRESULT SelectedFile([out,retval] BSTR*)"},
};

struct ShellRow {
    const char* name;
    const char* iid;
    int functions;
};
const ShellRow kShellInterfaces[] = {
    {"IDataObject", "{0000010E-0000-0000-C000-000000000046}", 9},
    {"IShellExtInit", "{000214E8-0000-0000-C000-000000000046}", 1},
    {"IShellPropSheetExt", "{000214E9-0000-0000-C000-000000000046}", 2},
};

class Bstr {
public:
    Bstr() = default;
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(b_); }
    BSTR* put() {
        SysFreeString(b_);
        b_ = nullptr;
        return &b_;
    }
    bool null() const { return b_ == nullptr; }
    std::string text() const { return b_ == nullptr ? "<null>" : Narrow(b_); }

private:
    BSTR b_ = nullptr;
};

struct Documentation {
    std::string name;
    bool hasDoc = false;
    bool hasHelpFile = false;
    DWORD helpContext = 0;
};

template <class T>
Documentation Document(T* owner, INT index) {
    Bstr name, doc, file;
    Documentation d;
    if (SUCCEEDED(owner->GetDocumentation(index, name.put(), doc.put(), &d.helpContext, file.put()))) {
        d.name = name.text();
        d.hasDoc = !doc.null();
        d.hasHelpFile = !file.null();
    }
    return d;
}

std::string NameOf(ITypeInfo* info) { return Document(info, MEMBERID_NIL).name; }

std::string LibraryOf(ITypeInfo* info) {
    Ref<ITypeLib> lib;
    UINT index = 0;
    if (FAILED(info->GetContainingTypeLib(lib.put(), &index)))
        return "<none>";
    TLIBATTR* attr = nullptr;
    if (FAILED(lib->GetLibAttr(&attr)))
        return "<none>";
    std::string text = GuidText(attr->guid) + " " + std::to_string(attr->wMajorVerNum) + "." +
                       std::to_string(attr->wMinorVerNum);
    lib->ReleaseTLibAttr(attr);
    return text;
}

class Attr {
public:
    explicit Attr(ITypeInfo* info) : info_(info) {
        if (FAILED(info->GetTypeAttr(&attr_)))
            attr_ = nullptr;
    }
    Attr(const Attr&) = delete;
    Attr& operator=(const Attr&) = delete;
    ~Attr() {
        if (attr_ != nullptr)
            info_->ReleaseTypeAttr(attr_);
    }
    const TYPEATTR* operator->() const { return attr_; }
    explicit operator bool() const { return attr_ != nullptr; }

private:
    ITypeInfo* info_;
    TYPEATTR* attr_ = nullptr;
};

std::string TypeText(ITypeInfo* owner, const TYPEDESC& t) {
    switch (t.vt) {
    case VT_PTR:
        return TypeText(owner, *t.lptdesc) + "*";
    case VT_USERDEFINED: {
        Ref<ITypeInfo> ref;
        if (FAILED(owner->GetRefTypeInfo(t.hreftype, ref.put())))
            return "<unresolved>";
        return NameOf(ref.get());
    }
    case VT_HRESULT: return "HRESULT";
    case VT_BSTR: return "BSTR";
    case VT_I2: return "short";
    case VT_I4: return "long";
    case VT_VOID: return "void";
    default: return "vt" + std::to_string(t.vt);
    }
}

std::string ParamFlagsText(USHORT flags) {
    static const struct {
        USHORT flag;
        const char* name;
    } kNames[] = {{PARAMFLAG_FIN, "in"},         {PARAMFLAG_FOUT, "out"},     {PARAMFLAG_FLCID, "lcid"},
                  {PARAMFLAG_FRETVAL, "retval"}, {PARAMFLAG_FOPT, "optional"}, {PARAMFLAG_FHASDEFAULT, "default"},
                  {PARAMFLAG_FHASCUSTDATA, "custdata"}};
    std::string text;
    for (const auto& n : kNames) {
        if (flags & n.flag) {
            text += text.empty() ? "[" : ",";
            text += n.name;
            flags &= ~n.flag;
        }
    }
    if (flags != 0)
        text += (text.empty() ? "[" : ",") + HexText(flags);
    return text.empty() ? "" : text + "] ";
}

// "HRESULT Files([in,out] short* nIndex, [out,retval] BSTR*)"
std::string Signature(ITypeInfo* info, const FUNCDESC* f) {
    std::vector<BSTR> names(f->cParams + 1, nullptr);
    UINT count = 0;
    info->GetNames(f->memid, names.data(), static_cast<UINT>(names.size()), &count);
    std::string text = TypeText(info, f->elemdescFunc.tdesc) + " " + (count > 0 ? Narrow(names[0]) : "?") + "(";
    for (SHORT p = 0; p < f->cParams; ++p) {
        const ELEMDESC& e = f->lprgelemdescParam[p];
        if (p > 0)
            text += ", ";
        text += ParamFlagsText(e.paramdesc.wParamFlags) + TypeText(info, e.tdesc);
        if (static_cast<UINT>(p + 1) < count)
            text += " " + Narrow(names[p + 1]);
    }
    for (BSTR b : names)
        SysFreeString(b);
    return text + ")";
}

std::string Expected(const char* signature, Imports imports) {
    std::string text = signature;
    if (imports == Imports::Unresolved) {
        const std::string imported = "IDataObject";
        for (size_t at; (at = text.find(imported)) != std::string::npos;)
            text.replace(at, imported.size(), "<unresolved>");
    }
    return text;
}

bool FindType(ITypeLib* lib, const char* name, ITypeInfo** info) {
    for (UINT i = 0; i < lib->GetTypeInfoCount(); ++i) {
        Ref<ITypeInfo> candidate;
        if (SUCCEEDED(lib->GetTypeInfo(i, candidate.put())) && NameOf(candidate.get()) == name)
            return SUCCEEDED(lib->GetTypeInfo(i, info));
    }
    return false;
}

// The vtable half of a dual interface.
bool InterfaceHalf(ITypeInfo* dispatch, ITypeInfo** half) {
    HREFTYPE ref = 0;
    return SUCCEEDED(dispatch->GetRefTypeOfImplType(static_cast<UINT>(-1), &ref)) &&
           SUCCEEDED(dispatch->GetRefTypeInfo(ref, half));
}

void ExpectLibrary(ITypeLib* lib, const char* guid, WORD major, WORD minor, LCID lcid, const char* name) {
    TLIBATTR* attr = nullptr;
    ASSERT_EQ(lib->GetLibAttr(&attr), S_OK);
    EXPECT_EQ(GuidText(attr->guid), guid);
    EXPECT_EQ(attr->wMajorVerNum, major);
    EXPECT_EQ(attr->wMinorVerNum, minor);
    EXPECT_EQ(HexText(attr->lcid), HexText(lcid));
    EXPECT_EQ(attr->syskind, SYS_WIN32);
    // The loader itself adds FHASDISKIMAGE to a library read from a file.
    EXPECT_EQ(HexText(attr->wLibFlags & ~LIBFLAG_FHASDISKIMAGE), "0x0") << "no library flags of its own";
    lib->ReleaseTLibAttr(attr);

    const Documentation d = Document(lib, -1);
    EXPECT_EQ(d.name, name);
    EXPECT_FALSE(d.hasDoc) << "no help string";
    EXPECT_FALSE(d.hasHelpFile) << "no help file";
    EXPECT_EQ(d.helpContext, 0u);
}

void ExpectTypes(ITypeLib* lib) {
    ASSERT_EQ(lib->GetTypeInfoCount(), 4u);
    for (UINT i = 0; i < 4; ++i) {
        const TypeRow& row = kTypes[i];
        SCOPED_TRACE(std::string("type ") + std::to_string(i) + " " + row.name);
        Ref<ITypeInfo> info;
        ASSERT_EQ(lib->GetTypeInfo(i, info.put()), S_OK);
        const Documentation d = Document(info.get(), MEMBERID_NIL);
        EXPECT_EQ(d.name, row.name);
        EXPECT_FALSE(d.hasDoc);
        EXPECT_EQ(d.helpContext, 0u);
        Attr attr(info.get());
        ASSERT_TRUE(attr);
        EXPECT_EQ(attr->typekind, row.kind);
        EXPECT_EQ(GuidText(attr->guid), row.guid);
        EXPECT_EQ(attr->wMajorVerNum, 1);
        EXPECT_EQ(attr->wMinorVerNum, 0);
        if (row.kind != TKIND_DISPATCH) {
            EXPECT_EQ(HexText(attr->wTypeFlags), HexText(row.flags));
            continue;
        }
        // Wine's GetTypeAttr drops TYPEFLAG_FOLEAUTOMATION from a dispinterface even when
        // the file holds it; the vtable half of the dual shows the stored flags.
        EXPECT_EQ(HexText(attr->wTypeFlags | TYPEFLAG_FOLEAUTOMATION), HexText(row.flags));
        Ref<ITypeInfo> half;
        ASSERT_TRUE(InterfaceHalf(info.get(), half.put())) << "no vtable half";
        Attr halfAttr(half.get());
        ASSERT_TRUE(halfAttr);
        EXPECT_EQ(halfAttr->typekind, TKIND_INTERFACE);
        EXPECT_EQ(GuidText(halfAttr->guid), row.guid);
        EXPECT_EQ(HexText(halfAttr->wTypeFlags), HexText(row.flags));

        // Both halves derive from the OLE Automation library's IDispatch.
        for (ITypeInfo* side : {info.get(), half.get()}) {
            HREFTYPE ref = 0;
            Ref<ITypeInfo> base;
            ASSERT_EQ(side->GetRefTypeOfImplType(0, &ref), S_OK);
            ASSERT_EQ(side->GetRefTypeInfo(ref, base.put()), S_OK);
            Attr baseAttr(base.get());
            EXPECT_EQ(NameOf(base.get()), "IDispatch");
            EXPECT_EQ(GuidText(baseAttr->guid), kIDispatch);
            EXPECT_EQ(LibraryOf(base.get()), kInStdOle);
        }
    }
}

void ExpectImplementedInterfaces(ITypeLib* lib, Imports imports) {
    for (const char* coclass : {"Page", "clsDropFiles"}) {
        SCOPED_TRACE(coclass);
        std::vector<const ImplRow*> rows;
        for (const ImplRow& row : kImpls)
            if (std::string(row.coclass) == coclass)
                rows.push_back(&row);
        Ref<ITypeInfo> info;
        ASSERT_TRUE(FindType(lib, coclass, info.put()));
        Attr attr(info.get());
        ASSERT_EQ(attr->cImplTypes, static_cast<WORD>(rows.size()));
        for (UINT i = 0; i < rows.size(); ++i) {
            const ImplRow& row = *rows[i];
            SCOPED_TRACE(std::string("implemented interface ") + std::to_string(i) + " " + row.name);
            INT flags = -1;
            EXPECT_EQ(info->GetImplTypeFlags(i, &flags), S_OK);
            EXPECT_EQ(flags, row.flags);
            HREFTYPE ref = 0;
            ASSERT_EQ(info->GetRefTypeOfImplType(i, &ref), S_OK);
            Ref<ITypeInfo> impl;
            const HRESULT hr = info->GetRefTypeInfo(ref, impl.put());
            if (imports == Imports::Unresolved && row.library != std::string(kInTessaline3)) {
                EXPECT_NE(hr, S_OK) << "resolved without the imported library registered";
                continue;
            }
            ASSERT_EQ(hr, S_OK);
            Attr implAttr(impl.get());
            EXPECT_EQ(NameOf(impl.get()), row.name);
            EXPECT_EQ(GuidText(implAttr->guid), row.iid);
            EXPECT_EQ(LibraryOf(impl.get()), row.library);
        }
    }
}

void ExpectMembers(ITypeLib* lib, Imports imports) {
    for (const char* iface : {"_Page", "_clsDropFiles"}) {
        SCOPED_TRACE(iface);
        std::vector<const MemberRow*> rows;
        for (const MemberRow& row : kMembers)
            if (std::string(row.iface) == iface)
                rows.push_back(&row);
        Ref<ITypeInfo> dispatch, half;
        ASSERT_TRUE(FindType(lib, iface, dispatch.put()));
        ASSERT_TRUE(InterfaceHalf(dispatch.get(), half.put()));
        Attr attr(half.get());
        ASSERT_EQ(attr->cFuncs, static_cast<WORD>(rows.size()));
        EXPECT_EQ(attr->cbSizeVft, 4 * (7 + rows.size()));
        for (UINT i = 0; i < rows.size(); ++i) {
            const MemberRow& row = *rows[i];
            SCOPED_TRACE(std::string("member ") + std::to_string(i) + " " + row.name);
            FUNCDESC* f = nullptr;
            ASSERT_EQ(half->GetFuncDesc(i, &f), S_OK);
            EXPECT_EQ(HexText(f->memid), HexText(row.id));
            EXPECT_EQ(f->invkind, row.kind);
            EXPECT_EQ(f->funckind, FUNC_PUREVIRTUAL);
            EXPECT_EQ(f->callconv, CC_STDCALL);
            EXPECT_EQ(f->oVft, static_cast<SHORT>(4 * (7 + i))) << "vtable slot";
            EXPECT_EQ(f->cParamsOpt, 0);
            EXPECT_EQ(f->wFuncFlags, 0);
            EXPECT_EQ(Signature(half.get(), f), Expected(row.signature, imports));
            const MEMBERID id = f->memid;
            half->ReleaseFuncDesc(f);
            const Documentation d = Document(half.get(), id);
            EXPECT_FALSE(d.hasDoc) << "no help string";
            EXPECT_EQ(d.helpContext, 0u);

            // Late binding finds the member by name through the dispatch half.
            std::wstring name = Wide(row.name);
            LPOLESTR names[] = {&name[0]};
            MEMBERID found = MEMBERID_NIL;
            EXPECT_EQ(dispatch->GetIDsOfNames(names, 1, &found), S_OK);
            EXPECT_EQ(HexText(found), HexText(row.id));
        }
    }
}

// GetDropFiles takes the platform's IDataObject, by way of ShellTypes.
void ExpectImportedDataObject(ITypeLib* lib) {
    Ref<ITypeInfo> dispatch, half;
    ASSERT_TRUE(FindType(lib, "_clsDropFiles", dispatch.put()));
    ASSERT_TRUE(InterfaceHalf(dispatch.get(), half.put()));
    FUNCDESC* f = nullptr;
    ASSERT_EQ(half->GetFuncDesc(0, &f), S_OK);
    const TYPEDESC* t = f->cParams == 1 ? &f->lprgelemdescParam[0].tdesc : nullptr;
    for (int level = 0; level < 2 && t != nullptr; ++level)
        t = t->vt == VT_PTR ? t->lptdesc : nullptr;
    Ref<ITypeInfo> data;
    const bool resolved = t != nullptr && t->vt == VT_USERDEFINED &&
                          SUCCEEDED(half->GetRefTypeInfo(t->hreftype, data.put()));
    half->ReleaseFuncDesc(f);
    ASSERT_TRUE(resolved) << "pDataObj is not a resolvable IDataObject**";
    Attr attr(data.get());
    EXPECT_EQ(NameOf(data.get()), "IDataObject");
    EXPECT_EQ(GuidText(attr->guid), "{0000010E-0000-0000-C000-000000000046}");
    EXPECT_EQ(LibraryOf(data.get()), kInShellTypes);
}

}  // namespace

std::string Narrow(const wchar_t* text) {
    std::string out;
    for (; text != nullptr && *text != 0; ++text) {
        if (*text < 0x80) {
            out += static_cast<char>(*text);
        } else {
            char buf[12];
            std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(*text));
            out += buf;
        }
    }
    return out;
}

std::string GuidText(REFGUID guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return Narrow(text);
}

std::string HexText(unsigned long value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%lX", value);
    return buf;
}

std::wstring Wide(const std::string& ansi) {
    std::wstring out(ansi.size(), L'\0');
    const int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &out[0],
                                      static_cast<int>(out.size()));
    out.resize(n > 0 ? n : 0);
    return out;
}

std::string DllUnderTest() {
    // This program is tests\wine\typelib\ in the Windows build tree; the DLL is page\.
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    std::string dir = self;
    for (int up = 0; up < 4; ++up)
        dir.erase(dir.find_last_of('\\'));
    return dir + "\\page\\Kivrel3.dll";
}

void ExpectTessaline3(ITypeLib* lib, Imports imports) {
    ASSERT_NE(lib, nullptr);
    {
        SCOPED_TRACE("library attributes");
        ExpectLibrary(lib, kTessaline3, 2, 0, 0x0409, "Tessaline3");
    }
    {
        SCOPED_TRACE("type descriptions");
        ExpectTypes(lib);
    }
    {
        SCOPED_TRACE("implemented interfaces");
        ExpectImplementedInterfaces(lib, imports);
    }
    {
        SCOPED_TRACE("members");
        ExpectMembers(lib, imports);
    }
    if (imports == Imports::Resolved) {
        SCOPED_TRACE("imported IDataObject");
        ExpectImportedDataObject(lib);
    }
}

void ExpectShellTypes(ITypeLib* lib) {
    ASSERT_NE(lib, nullptr);
    ExpectLibrary(lib, kShellTypes, 1, 0, 0, "TessalineShell");
    ASSERT_EQ(lib->GetTypeInfoCount(), 3u);
    for (UINT i = 0; i < 3; ++i) {
        const ShellRow& row = kShellInterfaces[i];
        SCOPED_TRACE(row.name);
        Ref<ITypeInfo> info;
        ASSERT_EQ(lib->GetTypeInfo(i, info.put()), S_OK);
        Attr attr(info.get());
        EXPECT_EQ(NameOf(info.get()), row.name);
        EXPECT_EQ(attr->typekind, TKIND_INTERFACE);
        EXPECT_EQ(GuidText(attr->guid), row.iid);
        // Registering an oleautomation or dual interface rewrites its Interface key: these
        // are the system's own.
        EXPECT_EQ(HexText(attr->wTypeFlags), "0x0");
        EXPECT_EQ(attr->cFuncs, row.functions);
        EXPECT_EQ(attr->cbSizeVft, 4 * (3 + row.functions));
        HREFTYPE ref = 0;
        Ref<ITypeInfo> base;
        ASSERT_EQ(info->GetRefTypeOfImplType(0, &ref), S_OK);
        ASSERT_EQ(info->GetRefTypeInfo(ref, base.put()), S_OK);
        EXPECT_EQ(NameOf(base.get()), "IUnknown");
        EXPECT_EQ(LibraryOf(base.get()), kInStdOle);
    }
}

}  // namespace tessaline::testing
