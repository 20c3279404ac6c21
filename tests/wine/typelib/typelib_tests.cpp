// The built Kivrel3.dll: its resources read as a file, then regsvr32 on it in the System
// folder, as the installer and the uninstaller run it, with the registered type library
// read back. Registration changes the registry: it runs in a prefix of its own.
#include <gtest/gtest.h>
#include <oleauto.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "Identity.h"
#include "TestFiles.h"
#include "TestRegistry.h"

namespace tessaline::testing {
namespace {

std::string Hex(unsigned long value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%lX", value);
    return buf;
}

std::string Text(BSTR text) { return text == nullptr ? "<null>" : ToAnsi(text); }

std::string DllUnderTest() { return ToAnsi(BuiltFile(L"page\\Kivrel3.dll")); }

// ---- resources ------------------------------------------------------------------------

// "10 00 00 00 A4 05 ..."
std::string Bytes(const void* data, size_t size) {
    std::string text;
    char byte[4];
    for (size_t i = 0; i < size; ++i) {
        std::snprintf(byte, sizeof byte, i == 0 ? "%02X" : " %02X", static_cast<const unsigned char*>(data)[i]);
        text += byte;
    }
    return text;
}

TEST(Resources, InterfaceIdentifiersAreLengthThenGuidBytes) {
    UniqueLibrary dll(LoadLibraryExA(DllUnderTest().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE));
    ASSERT_TRUE(dll) << DllUnderTest();
    // A little-endian length of 16, then the identifier as it lies in memory.
    struct Record {
        DWORD length;
        GUID id;
    };
    const struct {
        const char* type;
        Record expected;
    } rows[] = {
        {"_IID_PAGE", {16, TESSALINE_GUID(TESSALINE_IID_PAGE)}},
        {"_IID_CLSDROPFILES", {16, TESSALINE_GUID(TESSALINE_IID_CLSDROPFILES)}},
    };
    static_assert(sizeof(Record) == 20, "no padding");
    for (const auto& row : rows) {
        std::string came = "<missing>";
        if (HRSRC found = FindResourceA(dll.get(), MAKEINTRESOURCEA(1), row.type))
            came = Bytes(LockResource(LoadResource(dll.get(), found)), SizeofResource(dll.get(), found));
        EXPECT_EQ(came, Bytes(&row.expected, sizeof row.expected)) << row.type;
    }
}

TEST(Resources, VersionResource) {
    const std::string dll = DllUnderTest();
    std::vector<char> data(GetFileVersionInfoSizeA(dll.c_str(), nullptr));
    ASSERT_TRUE(!data.empty() && GetFileVersionInfoA(dll.c_str(), 0, static_cast<DWORD>(data.size()), data.data()))
        << dll;
    auto query = [&](const std::string& path, UINT& length) {
        void* value = nullptr;
        length = 0;
        return VerQueryValueA(data.data(), path.c_str(), &value, &length) ? value : nullptr;
    };

    UINT length = 0;
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(query("\\", length));
    const auto* translation = static_cast<const WORD*>(query("\\VarFileInfo\\Translation", length));
    ASSERT_TRUE(fixed != nullptr && translation != nullptr && length == 4) << "one language and code page";
    char came[200];
    std::snprintf(came, sizeof came, "%u.%u.%u.%u / %u.%u.%u.%u mask %lX flags %lX os %lX type %lX sub %lX, %04X %04X",
                  HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS), HIWORD(fixed->dwFileVersionLS),
                  LOWORD(fixed->dwFileVersionLS), HIWORD(fixed->dwProductVersionMS),
                  LOWORD(fixed->dwProductVersionMS), HIWORD(fixed->dwProductVersionLS),
                  LOWORD(fixed->dwProductVersionLS), fixed->dwFileFlagsMask, fixed->dwFileFlags, fixed->dwFileOS,
                  fixed->dwFileType, fixed->dwFileSubtype, translation[0], translation[1]);
    EXPECT_EQ(std::string(came), "1.9.0.430 / 1.9.0.430 mask 0 flags 0 os 4 type 2 sub 0, 0409 04B0")
        << "file / product version, VOS__WINDOWS32, VFT_DLL, translation";

    const struct {
        const char* name;
        const char* value;
    } strings[] = {
        {"Comments", "Tessaline v. 3"},
        {"CompanyName", "Orvando"},
        {"FileDescription", "NTFS Streams Property Page Extension"},
        {"ProductName", "Tessaline 3"},
        {"FileVersion", "1.09.0430"},
        {"ProductVersion", "1.09.0430"},
        {"InternalName", "Kivrel3"},
        {"OriginalFilename", "Kivrel3.dll"},
        {"OLESelfRegister", ""},  // present and empty
    };
    for (const auto& row : strings) {
        const std::string path = std::string("\\StringFileInfo\\040904B0\\") + row.name;
        const auto* value = static_cast<const char*>(query(path, length));
        EXPECT_EQ(value == nullptr ? "<missing>" : length == 0 ? "" : std::string(value), row.value)
            << row.name;
    }
}

// ---- the type library, as one line per fact ---------------------------------------------

std::string GuidText(REFGUID guid) {
    wchar_t text[40] = {};
    StringFromGUID2(guid, text, 40);
    return ToAnsi(text);
}

// "IDispatch {00020400-0000-0000-C000-000000000046}"
std::string Title(ITypeInfo* info, const TYPEATTR* attr) {
    BSTR name = nullptr;
    info->GetDocumentation(MEMBERID_NIL, &name, nullptr, nullptr, nullptr);
    const std::string text = Text(name) + " " + GuidText(attr->guid);
    SysFreeString(name);
    return text;
}

std::string Reference(ITypeInfo* from, HREFTYPE ref) {
    ITypeInfo* to = nullptr;
    TYPEATTR* attr = nullptr;
    if (FAILED(from->GetRefTypeInfo(ref, &to)))
        return "<unresolved>";
    to->GetTypeAttr(&attr);
    const std::string text = Title(to, attr);
    to->ReleaseTypeAttr(attr);
    to->Release();
    return text;
}

std::string TypeText(ITypeInfo* owner, const TYPEDESC& t) {
    switch (t.vt) {
    case VT_PTR: return TypeText(owner, *t.lptdesc) + "*";
    case VT_USERDEFINED: return Reference(owner, t.hreftype);
    case VT_HRESULT: return "HRESULT";
    case VT_BSTR: return "BSTR";
    case VT_I2: return "short";
    default: return "vt" + std::to_string(t.vt);
    }
}

// "[in,out] ", other flags in hexadecimal.
std::string ParamFlags(USHORT flags) {
    std::string text;
    for (const auto& [flag, name] : {std::pair<USHORT, const char*>{PARAMFLAG_FIN, "in"},
                                     {PARAMFLAG_FOUT, "out"}, {PARAMFLAG_FRETVAL, "retval"}})
        if (flags & flag) {
            text += (text.empty() ? "" : ",") + std::string(name);
            flags &= ~flag;
        }
    if (flags != 0)
        text += (text.empty() ? "" : ",") + Hex(flags);
    return text.empty() ? "" : "[" + text + "] ";
}

// "propget Files 0x68030005: [in,out] short* nIndex, [out,retval] BSTR*"
std::string Member(ITypeInfo* info, const FUNCDESC* f) {
    BSTR names[16] = {};
    UINT count = 0;
    info->GetNames(f->memid, names, 16, &count);
    const char* kind = f->invkind == INVOKE_FUNC ? "func" : f->invkind == INVOKE_PROPERTYGET ? "propget" : "propput";
    std::string text = kind + (" " + Text(names[0])) + " " + Hex(f->memid) + ":";
    for (SHORT p = 0; p < f->cParams; ++p) {
        const ELEMDESC& e = f->lprgelemdescParam[p];
        text += (p == 0 ? " " : ", ") + ParamFlags(e.paramdesc.wParamFlags) + TypeText(info, e.tdesc);
        if (static_cast<UINT>(p) + 1 < count)
            text += " " + Text(names[p + 1]);
    }
    for (BSTR name : names)
        SysFreeString(name);
    // Anything but a plain stdcall method answering HRESULT shows.
    if (f->elemdescFunc.tdesc.vt != VT_HRESULT || f->callconv != CC_STDCALL || f->wFuncFlags != 0)
        text += " returns " + TypeText(info, f->elemdescFunc.tdesc) + " callconv " + std::to_string(f->callconv) +
                " funcflags " + Hex(f->wFuncFlags);
    return text;
}

// Kind, name, identifier, version and flags, then an indented line per implemented
// interface and per member.
std::string Describe(ITypeInfo* info) {
    static const char* const kKinds[] = {"enum",     "record",  "module", "interface",
                                         "dispatch", "coclass", "alias",  "union"};
    TYPEATTR* attr = nullptr;
    info->GetTypeAttr(&attr);
    std::string kind = kKinds[attr->typekind];
    // A dual's vtable half holds the members as declared and the type flags as stored;
    // Wine's dispinterface view drops TYPEFLAG_FOLEAUTOMATION.
    HREFTYPE halfRef = 0;
    ITypeInfo* half = nullptr;
    if (attr->typekind == TKIND_DISPATCH && SUCCEEDED(info->GetRefTypeOfImplType(static_cast<UINT>(-1), &halfRef)) &&
        SUCCEEDED(info->GetRefTypeInfo(halfRef, &half))) {
        info->ReleaseTypeAttr(attr);
        info = half;
        info->GetTypeAttr(&attr);
        kind += "+" + std::string(kKinds[attr->typekind]);
    }
    std::string text = kind + " " + Title(info, attr) + " " + std::to_string(attr->wMajorVerNum) + "." +
                       std::to_string(attr->wMinorVerNum) + " flags " + Hex(attr->wTypeFlags) + "\n";
    for (UINT i = 0; i < attr->cImplTypes; ++i) {
        HREFTYPE ref = 0;
        INT flags = 0;
        info->GetRefTypeOfImplType(i, &ref);
        info->GetImplTypeFlags(i, &flags);
        text += "  implements " + Reference(info, ref) +
                (flags == IMPLTYPEFLAG_FDEFAULT ? " default" : flags == 0 ? "" : " flags " + Hex(flags)) + "\n";
    }
    for (UINT i = 0; i < attr->cFuncs; ++i) {
        FUNCDESC* f = nullptr;
        info->GetFuncDesc(i, &f);
        text += "  " + Member(info, f) + "\n";
        info->ReleaseFuncDesc(f);
    }
    info->ReleaseTypeAttr(attr);
    if (half != nullptr)
        half->Release();
    return text;
}

std::string Describe(ITypeLib* lib) {
    TLIBATTR* attr = nullptr;
    BSTR name = nullptr;
    lib->GetLibAttr(&attr);
    lib->GetDocumentation(-1, &name, nullptr, nullptr, nullptr);
    // The loader marks every library it reads from a file with FHASDISKIMAGE.
    std::string text = Text(name) + " " + GuidText(attr->guid) + " " + std::to_string(attr->wMajorVerNum) + "." +
                       std::to_string(attr->wMinorVerNum) + " lcid " + Hex(attr->lcid) + " flags " +
                       Hex(attr->wLibFlags & ~LIBFLAG_FHASDISKIMAGE) + "\n";
    lib->ReleaseTLibAttr(attr);
    SysFreeString(name);
    for (UINT i = 0; i < lib->GetTypeInfoCount(); ++i) {
        ITypeInfo* info = nullptr;
        lib->GetTypeInfo(i, &info);
        text += Describe(info);
        info->Release();
    }
    return text;
}

// The parameters each member is expected to have, by its name.
const std::map<std::string, std::string> kParameters = {
    {"SelectedFile", "[out,retval] BSTR*"},
    {"GetDropFiles", "[in,out] IDataObject {0000010E-0000-0000-C000-000000000046}** pDataObj"},
    {"Count", "[out,retval] short*"},
    {"Files", "[in,out] short* nIndex, [out,retval] BSTR*"},
};

// The members in the vtable order and with the dispatch ids of Identity.h.
struct ExpectedMember {
    INVOKEKIND kind;
    const char* name;
    MEMBERID id;
};
#define TESSALINE_EXPECTED_MEMBER(kind, name, dispid, cxxParams) {INVOKE_##kind, #name, dispid},
const std::vector<ExpectedMember> kPageMembers = {TESSALINE_PAGE_MEMBERS(TESSALINE_EXPECTED_MEMBER)};
const std::vector<ExpectedMember> kDropFilesMembers = {TESSALINE_CLSDROPFILES_MEMBERS(TESSALINE_EXPECTED_MEMBER)};

// "  propget Count 0x68030006: [out,retval] short*", one line per member.
std::string MemberLines(const std::vector<ExpectedMember>& members) {
    std::string text;
    for (const ExpectedMember& m : members)
        text += std::string("  ") + (m.kind == INVOKE_FUNC ? "func " : "propget ") + m.name + " " +
                Hex(static_cast<unsigned long>(m.id)) + ": " + kParameters.at(m.name) + "\n";
    return text;
}

// One row per type description, in the library's order. Members follow IDispatch's; the
// shell's interfaces resolve through ShellTypes to the platform's identifiers.
const std::string kTessaline3 =
    "Tessaline3 " TESSALINE_LIBID_TESSALINE3_TEXT " 2.0 lcid 0x409 flags 0x0\n"

    "dispatch+interface _Page " TESSALINE_IID_PAGE_TEXT " 1.0 flags 0x11D0\n"
    "  implements IDispatch {00020400-0000-0000-C000-000000000046}\n" +
    MemberLines(kPageMembers) +

    "coclass Page " TESSALINE_CLSID_PAGE_TEXT " 1.0 flags 0x2\n"
    "  implements _Page " TESSALINE_IID_PAGE_TEXT " default\n"
    "  implements IShellExtInit {000214E8-0000-0000-C000-000000000046}\n"
    "  implements IShellPropSheetExt {000214E9-0000-0000-C000-000000000046}\n"

    "dispatch+interface _clsDropFiles " TESSALINE_IID_CLSDROPFILES_TEXT " 1.0 flags 0x11D0\n"
    "  implements IDispatch {00020400-0000-0000-C000-000000000046}\n" +
    MemberLines(kDropFilesMembers) +

    "coclass clsDropFiles " TESSALINE_CLSID_CLSDROPFILES_TEXT " 1.0 flags 0x2\n"
    "  implements _clsDropFiles " TESSALINE_IID_CLSDROPFILES_TEXT " default\n";

// ---- registration -------------------------------------------------------------------------

const GUID kLibTessaline3 = TESSALINE_GUID(TESSALINE_LIBID_TESSALINE3);
const char kPageClsid[] = TESSALINE_CLSID_PAGE_TEXT;
const char* const kClasses[] = {"CLSID\\" TESSALINE_CLSID_PAGE_TEXT, "CLSID\\" TESSALINE_CLSID_CLSDROPFILES_TEXT};
const char* const kHandlerKeys[] = {"*\\shellex\\PropertySheetHandlers\\Tessaline",
                                    "Folder\\shellex\\PropertySheetHandlers\\Tessaline"};
// IDataObject, IShellExtInit, IShellPropSheetExt: a careless library registration rewrites them.
const char* const kSystemInterfaces[] = {"Interface\\{0000010E-0000-0000-C000-000000000046}",
                                         "Interface\\{000214E8-0000-0000-C000-000000000046}",
                                         "Interface\\{000214E9-0000-0000-C000-000000000046}"};

std::string Value(const std::string& key, const char* name) {
    const RegText value = ReadRegText(HKEY_CLASSES_ROOT, key, name);
    return value.status != ERROR_SUCCESS ? "<missing>" : value.text();
}

// Every value and subkey below a key, for before/after comparisons.
std::string Snapshot(const std::string& name) {
    UniqueKey key;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, name.c_str(), 0, KEY_READ, key.put()) != ERROR_SUCCESS)
        return "";
    std::string text = "[" + name + "]\n";
    char item[256];
    BYTE data[1024];
    for (DWORD i = 0, n = sizeof item, size = sizeof data;
         RegEnumValueA(key.get(), i, item, &n, nullptr, nullptr, data, &size) == ERROR_SUCCESS;
         ++i, n = sizeof item, size = sizeof data)
        text += std::string(item) + "=" + std::string(reinterpret_cast<char*>(data), size) + "\n";
    for (DWORD i = 0, n = sizeof item; RegEnumKeyExA(key.get(), i, item, &n, nullptr, nullptr, nullptr, nullptr) ==
                                       ERROR_SUCCESS;
         ++i, n = sizeof item)
        text += Snapshot(name + "\\" + item);
    return text;
}

TEST(Registration, WritesBothClassesAndTheLibraryAndRemovesExactlyThose) {
    const std::wstring wideDll = testing::SystemFile(L"Kivrel3.dll");
    const std::string dll = ToAnsi(wideDll);
    ASSERT_TRUE(CopyFileW(BuiltFile(L"page\\Kivrel3.dll").c_str(), wideDll.c_str(), FALSE)) << GetLastError();
    auto regsvr32 = [&](const wchar_t* args) {
        return static_cast<int>(RunAndWait(testing::SystemFile(L"regsvr32.exe"),
                                           L"regsvr32.exe " + std::wstring(args) + L" " + wideDll));
    };
    for (const char* handler : kHandlerKeys) {
        UniqueKey key;
        ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, handler, 0, nullptr, 0, KEY_WRITE, nullptr, key.put(), nullptr),
                  ERROR_SUCCESS);
        RegSetValueExA(key.get(), nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(kPageClsid), sizeof kPageClsid);
    }
    std::vector<std::string> systemBefore;
    for (const char* iface : kSystemInterfaces)
        systemBefore.push_back(Snapshot(iface));
    auto expectOthersUntouched = [&](const char* after) {
        for (size_t i = 0; i < systemBefore.size(); ++i)
            EXPECT_EQ(Snapshot(kSystemInterfaces[i]), systemBefore[i]) << after;
        for (const char* handler : kHandlerKeys)
            EXPECT_EQ(Value(handler, ""), kPageClsid) << handler << " " << after;
    };

    ASSERT_EQ(regsvr32(L"/s"), 0) << "3: not loadable, 4: no DllRegisterServer, 5: it failed";
    for (const char* classKey : kClasses) {
        EXPECT_EQ(Value(std::string(classKey) + "\\InprocServer32", ""), dll) << classKey;
        EXPECT_EQ(Value(std::string(classKey) + "\\InprocServer32", "ThreadingModel"), "Apartment") << classKey;
    }
    EXPECT_EQ(Value("TypeLib\\" TESSALINE_LIBID_TESSALINE3_TEXT "\\2.0\\409\\win32", ""), dll);
    ITypeLib* lib = nullptr;
    ASSERT_EQ(Hex(LoadRegTypeLib(kLibTessaline3, 2, 0, 0x0409, &lib)), "0x0");
    EXPECT_EQ(Describe(lib), kTessaline3);
    lib->Release();
    expectOthersUntouched("after /s");

    ASSERT_EQ(regsvr32(L"/s /u"), 0);
    for (const char* key : {kClasses[0], kClasses[1], "TypeLib\\" TESSALINE_LIBID_TESSALINE3_TEXT,
                            "TypeLib\\" TESSALINE_LIBID_SHELLTYPES_TEXT, "Interface\\" TESSALINE_IID_PAGE_TEXT,
                            "Interface\\" TESSALINE_IID_CLSDROPFILES_TEXT})
        EXPECT_EQ(Snapshot(key), "") << key;
    expectOthersUntouched("after /s /u");
    // The uninstaller may run twice; nothing left to remove is no failure.
    EXPECT_EQ(regsvr32(L"/s /u"), 0);
}

}  // namespace
}  // namespace tessaline::testing
