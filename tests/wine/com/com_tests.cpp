// Kivrel3.dll as the shell and other COM clients meet it.
#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Identity.h"
#include "Interfaces.h"
#include "PageHarness.h"
#include "TestDataObject.h"
#include "TestFiles.h"

namespace tessaline {
namespace {

using testing::BuiltFile;
using testing::NewTempFolder;
using testing::PathExists;
using testing::Sheet;
using testing::StreamPath;
using testing::SystemFile;
using testing::TestDataObject;
using testing::WriteBytes;

const CLSID kPage = TESSALINE_GUID(TESSALINE_CLSID_PAGE);
const CLSID kDropFiles = TESSALINE_GUID(TESSALINE_CLSID_CLSDROPFILES);

// The shell's add-page function: keeps what it is given, or refuses.
struct AddPageLog {
    BOOL answer = TRUE;
    int calls = 0;
    std::vector<HPROPSHEETPAGE> pages;
};
BOOL CALLBACK AddPage(HPROPSHEETPAGE page, LPARAM lParam) {
    auto* log = reinterpret_cast<AddPageLog*>(lParam);
    ++log->calls;
    if (log->answer)
        log->pages.push_back(page);
    return log->answer;
}

std::wstring BstrText(BSTR text) {
    std::wstring out = text != nullptr ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    return out;
}

std::string Narrow(const std::wstring& w) { return std::string(w.begin(), w.end()); }

std::wstring SelectedFileOf(IUnknown* object) {
    _Page* page = nullptr;
    EXPECT_EQ(object->QueryInterface(IID__Page, reinterpret_cast<void**>(&page)), S_OK);
    if (page == nullptr)
        return L"?";
    BSTR text = nullptr;
    EXPECT_EQ(page->get_SelectedFile(&text), S_OK);
    page->Release();
    return BstrText(text);
}

// Late binding: the member's dispatch id by name, then a property get.
VARIANT GetProperty(IDispatch* object, const wchar_t* name, DISPID expectedId, VARIANT* argument = nullptr) {
    DISPID id = 0;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK) << Narrow(name);
    EXPECT_EQ(id, expectedId) << Narrow(name);
    DISPPARAMS params = {argument, nullptr, argument != nullptr ? 1u : 0u, 0};
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &params, &result, nullptr, nullptr),
              S_OK)
        << Narrow(name);
    return result;
}

// ---- the test build: version facts of Windows XP, emulated streams --------------------

class XpBuild : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CoInitialize(nullptr);
        module_ = LoadLibraryW(BuiltFile(L"tests\\wine\\com\\xp\\Kivrel3.dll").c_str());
        ASSERT_NE(module_, nullptr);
        testing::InitControls();
    }

    static HRESULT CanUnloadNow() {
        auto canUnload = reinterpret_cast<HRESULT(WINAPI*)()>(GetProcAddress(module_, "DllCanUnloadNow"));
        return canUnload();
    }

    // A Page as the shell makes one: class object, instance, IShellExtInit.
    static IShellExtInit* NewPage() {
        auto getClass = reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(
            GetProcAddress(module_, "DllGetClassObject"));
        IClassFactory* factory = nullptr;
        EXPECT_EQ(getClass(kPage, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
        IShellExtInit* init = nullptr;
        EXPECT_EQ(factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(&init)), S_OK);
        factory->Release();
        return init;
    }

    // vornex.dll where the product ships it: beside Kivrel3.dll.
    static std::wstring VornexBesideDll() { return BuiltFile(L"tests\\wine\\com\\xp\\vornex.dll"); }
    static void EnsureVornex() {
        if (!PathExists(VornexBesideDll())) {
            ASSERT_TRUE(CopyFileW(BuiltFile(L"vornex\\vornex.dll").c_str(), VornexBesideDll().c_str(), FALSE));
        }
    }

    // Initialize with the given items, then AddPages; answers the add-page log.
    static AddPageLog AddPagesFor(IShellExtInit* init, const std::vector<std::wstring>& items, BOOL answer = TRUE) {
        TestDataObject data(items, true);
        EXPECT_EQ(init->Initialize(nullptr, &data, nullptr), S_OK);
        EXPECT_EQ(data.refs(), 1) << "the data object is held only during the call";
        IShellPropSheetExt* ext = nullptr;
        EXPECT_EQ(init->QueryInterface(IID_IShellPropSheetExt, reinterpret_cast<void**>(&ext)), S_OK);
        AddPageLog log;
        log.answer = answer;
        EXPECT_EQ(ext->AddPages(&AddPage, reinterpret_cast<LPARAM>(&log)), S_OK);
        ext->Release();
        return log;
    }

    static HMODULE module_;
};
HMODULE XpBuild::module_ = nullptr;

// A vornex.dll in the current folder or the System folder, where the DLL search path would
// find one, is not taken: one planted there would run inside Explorer.
TEST_F(XpBuild, VornexIsTakenOnlyFromBesideTheDll) {
    DeleteFileW(VornexBesideDll().c_str());
    const std::wstring current = NewTempFolder(L"cwd");
    const std::wstring planted[] = {current + L"\\vornex.dll", SystemFile(L"vornex.dll")};
    for (const std::wstring& place : planted)
        ASSERT_TRUE(CopyFileW(BuiltFile(L"vornex\\vornex.dll").c_str(), place.c_str(), FALSE));
    wchar_t before[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, before);
    ASSERT_TRUE(SetCurrentDirectoryW(current.c_str()));

    const std::wstring file = NewTempFolder(L"com") + L"\\a.txt";
    ASSERT_TRUE(WriteBytes(file, "x"));
    IShellExtInit* init = NewPage();
    const AddPageLog log = AddPagesFor(init, {file});
    EXPECT_EQ(log.calls, 0) << "vornex.dll was loaded from the search path";
    EXPECT_EQ(init->Release(), 0u) << "the destroyed page gave its reference back";
    EXPECT_EQ(CanUnloadNow(), S_OK);

    EnsureVornex();
    init = NewPage();
    AddPageLog found = AddPagesFor(init, {file});
    EXPECT_EQ(found.calls, 1) << "vornex.dll is looked for at each AddPages";
    ASSERT_EQ(found.pages.size(), 1u);
    DestroyPropertySheetPage(found.pages[0]);
    EXPECT_EQ(init->Release(), 0u);
    EXPECT_EQ(CanUnloadNow(), S_OK);

    SetCurrentDirectoryW(before);
    for (const std::wstring& place : planted)
        DeleteFileW(place.c_str());
}

// The cached type library goes back when DllCanUnloadNow lets the DLL go, and DllMain, which
// runs under the loader lock, calls nothing of oleaut32. Wine's LoadTypeLibEx hands out the
// one cached object per file, so its reference count shows what the DLL holds.
TEST_F(XpBuild, TheTypeLibraryGoesBackOutsideTheLoaderLock) {
    const std::wstring copy = NewTempFolder(L"unload") + L"\\Kivrel3.dll";
    ASSERT_TRUE(CopyFileW(BuiltFile(L"tests\\wine\\com\\xp\\Kivrel3.dll").c_str(), copy.c_str(), FALSE));
    HMODULE module = LoadLibraryW(copy.c_str());
    ASSERT_NE(module, nullptr);
    auto canUnload = reinterpret_cast<HRESULT(WINAPI*)()>(GetProcAddress(module, "DllCanUnloadNow"));
    auto getClass = reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(
        GetProcAddress(module, "DllGetClassObject"));
    // Late binding makes the DLL load its type library.
    auto bindLate = [&] {
        IClassFactory* factory = nullptr;
        ASSERT_EQ(getClass(kDropFiles, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
        IDispatch* list = nullptr;
        ASSERT_EQ(factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(&list)), S_OK);
        factory->Release();
        DISPID id = 0;
        LPOLESTR name[] = {const_cast<LPOLESTR>(L"Count")};
        EXPECT_EQ(list->GetIDsOfNames(IID_NULL, name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
        EXPECT_EQ(list->Release(), 0u);
    };
    bindLate();
    ITypeLib* library = nullptr;
    ASSERT_EQ(LoadTypeLibEx(copy.c_str(), REGKIND_NONE, &library), S_OK);
    auto references = [library] {
        library->AddRef();
        return library->Release();
    };
    const ULONG held = references();
    EXPECT_GT(held, 1u) << "ours and the DLL's";

    EXPECT_EQ(canUnload(), S_OK);
    EXPECT_EQ(references(), 1u) << "DllCanUnloadNow kept the type library";

    bindLate();
    EXPECT_EQ(references(), held);
    ASSERT_TRUE(FreeLibrary(module));
    EXPECT_EQ(references(), held) << "DllMain released the type library under the loader lock";
    library->Release();
}

TEST_F(XpBuild, AddsAWorkingStreamsPageForTheFirstSelectedItem) {
    EnsureVornex();
    const std::wstring folder = NewTempFolder(L"com");
    const std::wstring first = folder + L"\\first.txt", second = folder + L"\\second.txt";
    ASSERT_TRUE(WriteBytes(first, "1"));
    ASSERT_TRUE(WriteBytes(StreamPath(first, L"Zone.Identifier"), "[ZoneTransfer]\r\nZoneId=3"));
    ASSERT_TRUE(WriteBytes(StreamPath(first, L"notes"), "n"));
    ASSERT_TRUE(WriteBytes(second, "2"));
    ASSERT_TRUE(WriteBytes(StreamPath(second, L"other"), "o"));

    IShellExtInit* init = NewPage();
    AddPageLog log = AddPagesFor(init, {first, second});
    EXPECT_EQ(SelectedFileOf(init), first);
    ASSERT_EQ(log.pages.size(), 1u);
    EXPECT_EQ(init->Release(), 1u) << "the page keeps its object alive";
    EXPECT_EQ(CanUnloadNow(), S_FALSE);

    {
        Sheet sheet(log.pages);
        ASSERT_NE(sheet.list, nullptr);
        EXPECT_EQ(sheet.TabTitles(), std::vector<std::string>{"Streams"});
        EXPECT_EQ(sheet.Entries(), (std::vector<std::string>{"notes * 1", "Zone.Identifier * 24"}));
        EXPECT_FALSE(sheet.ViewEnabled());
        sheet.ClickEntry(1);
        sheet.PressView();
        EXPECT_EQ(sheet.PaneText(), "[ZoneTransfer]\r\nZoneId=3");
        sheet.PressDelete();
        EXPECT_FALSE(PathExists(StreamPath(first, L"Zone.Identifier")));
        EXPECT_TRUE(PathExists(StreamPath(second, L"other")));
    }
    EXPECT_EQ(CanUnloadNow(), S_OK) << "the last page and object are gone";
}

TEST_F(XpBuild, AFolderGetsThePageWithItsStreams) {
    EnsureVornex();
    const std::wstring folder = NewTempFolder(L"comdir");
    ASSERT_TRUE(WriteBytes(StreamPath(folder, L"folder-notes"), "abc"));
    IShellExtInit* init = NewPage();
    AddPageLog log = AddPagesFor(init, {folder});
    EXPECT_EQ(SelectedFileOf(init), folder);
    init->Release();
    ASSERT_EQ(log.pages.size(), 1u);
    Sheet sheet(log.pages);
    EXPECT_EQ(sheet.Entries(), std::vector<std::string>{"folder-notes * 3"});
}

TEST_F(XpBuild, ARefusedPageIsDestroyedAndItsObjectFreed) {
    EnsureVornex();
    const std::wstring file = NewTempFolder(L"com") + L"\\r.txt";
    ASSERT_TRUE(WriteBytes(file, "r"));
    IShellExtInit* init = NewPage();
    const AddPageLog log = AddPagesFor(init, {file}, FALSE);
    EXPECT_EQ(log.calls, 1);
    EXPECT_EQ(init->Release(), 0u);
    EXPECT_EQ(CanUnloadNow(), S_OK);
}

TEST_F(XpBuild, SelectionBeforeInitializeAndReplacePage) {
    IShellExtInit* init = NewPage();
    EXPECT_EQ(SelectedFileOf(init), L"");
    IShellPropSheetExt* ext = nullptr;
    ASSERT_EQ(init->QueryInterface(IID_IShellPropSheetExt, reinterpret_cast<void**>(&ext)), S_OK);
    AddPageLog log;
    EXPECT_EQ(ext->ReplacePage(0, &AddPage, reinterpret_cast<LPARAM>(&log)), S_OK);
    EXPECT_EQ(log.calls, 0);
    ext->Release();

    TestDataObject noDrop;
    EXPECT_EQ(init->Initialize(nullptr, &noDrop, nullptr), S_OK);
    EXPECT_EQ(SelectedFileOf(init), L"");
    EXPECT_EQ(init->Initialize(nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(SelectedFileOf(init), L"");
    EXPECT_EQ(init->Release(), 0u);
}

// ---- the shipped DLL, registered as the installer does ---------------------------------

class ShippedDll : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        CoInitialize(nullptr);
        const std::wstring target = SystemFile(L"Kivrel3.dll");
        ASSERT_TRUE(CopyFileW(BuiltFile(L"page\\Kivrel3.dll").c_str(), target.c_str(), FALSE));
        ASSERT_EQ(testing::RunAndWait(SystemFile(L"regsvr32.exe"), L"regsvr32.exe /s " + target), 0u);
    }
};

TEST_F(ShippedDll, ExportsTheFourEntriesByOrdinalAndName) {
    HMODULE module = LoadLibraryW(SystemFile(L"Kivrel3.dll").c_str());
    ASSERT_NE(module, nullptr);
    const char* names[] = {"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer", "DllUnregisterServer"};
    for (int ordinal = 1; ordinal <= 4; ++ordinal) {
        SCOPED_TRACE(names[ordinal - 1]);
        FARPROC byName = GetProcAddress(module, names[ordinal - 1]);
        EXPECT_NE(byName, nullptr);
        EXPECT_EQ(GetProcAddress(module, MAKEINTRESOURCEA(ordinal)), byName);
    }
    auto getClass = reinterpret_cast<HRESULT(WINAPI*)(REFCLSID, REFIID, void**)>(
        GetProcAddress(module, "DllGetClassObject"));
    const CLSID unknown = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};
    void* factory = reinterpret_cast<void*>(1);
    EXPECT_EQ(getClass(unknown, IID_IClassFactory, &factory), CLASS_E_CLASSNOTAVAILABLE);
    EXPECT_EQ(factory, nullptr);
    FreeLibrary(module);
}

TEST_F(ShippedDll, PageIsInertBecauseWineCountsAsVistaOrLater) {
    // Wine's kernel32 exports GetLocaleInfoEx whatever version it reports: exactly what the
    // version test takes for Vista or later.
    IShellExtInit* init = nullptr;
    ASSERT_EQ(CoCreateInstance(kPage, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit, reinterpret_cast<void**>(&init)),
              S_OK);
    const std::wstring file = NewTempFolder(L"inert") + L"\\f.txt";
    ASSERT_TRUE(WriteBytes(file, "f"));
    TestDataObject data({file}, true);
    EXPECT_EQ(init->Initialize(nullptr, &data, nullptr), S_OK);
    IShellPropSheetExt* ext = nullptr;
    ASSERT_EQ(init->QueryInterface(IID_IShellPropSheetExt, reinterpret_cast<void**>(&ext)), S_OK);
    AddPageLog log;
    EXPECT_EQ(ext->AddPages(&AddPage, reinterpret_cast<LPARAM>(&log)), S_OK);
    EXPECT_EQ(log.calls, 0);
    EXPECT_EQ(ext->ReplacePage(0, &AddPage, 0), S_OK);
    EXPECT_EQ(SelectedFileOf(init), L"");

    IDispatch* dispatch = nullptr;
    ASSERT_EQ(init->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)), S_OK);
    VARIANT selected = GetProperty(dispatch, L"SelectedFile", TESSALINE_DISPID_PAGE_SELECTEDFILE);
    EXPECT_EQ(selected.vt, VT_BSTR);
    EXPECT_EQ(BstrText(selected.bstrVal), L"");
    dispatch->Release();
    ext->Release();
    EXPECT_EQ(init->Release(), 0u);
}

TEST_F(ShippedDll, clsDropFilesThroughItsDualInterface) {
    _clsDropFiles* list = nullptr;
    ASSERT_EQ(CoCreateInstance(kDropFiles, nullptr, CLSCTX_INPROC_SERVER, IID__clsDropFiles,
                               reinterpret_cast<void**>(&list)),
              S_OK);
    TestDataObject data({L"C:\\one.txt", L"C:\\two.txt", L"C:\\folder"}, false);
    IDataObject* pointer = &data;
    EXPECT_EQ(list->GetDropFiles(&pointer), S_OK);
    EXPECT_EQ(pointer, &data) << "the argument is passed by reference but not changed";
    short count = 0;
    EXPECT_EQ(list->get_Count(&count), S_OK);
    EXPECT_EQ(count, 3);
    const struct { short index; const wchar_t* name; } files[] = {
        {0, L"C:\\one.txt"}, {1, L"C:\\two.txt"}, {2, L"C:\\folder"}, {3, L""}, {-1, L""}};
    for (const auto& f : files) {
        short index = f.index;
        BSTR name = nullptr;
        EXPECT_EQ(list->get_Files(&index, &name), S_OK);
        EXPECT_EQ(BstrText(name), f.name) << "index " << f.index;
        EXPECT_EQ(index, f.index);
    }

    // The same members late-bound.
    VARIANT v = GetProperty(list, L"Count", TESSALINE_DISPID_CLSDROPFILES_COUNT);
    EXPECT_EQ(v.vt, VT_I2);
    EXPECT_EQ(v.iVal, 3);
    short index = 1;
    VARIANT argument;
    argument.vt = VT_I2 | VT_BYREF;
    argument.piVal = &index;
    v = GetProperty(list, L"Files", TESSALINE_DISPID_CLSDROPFILES_FILES, &argument);
    EXPECT_EQ(v.vt, VT_BSTR);
    EXPECT_EQ(BstrText(v.bstrVal), L"C:\\two.txt");
    v = GetProperty(list, L"SelectedFile", TESSALINE_DISPID_CLSDROPFILES_SELECTEDFILE);
    EXPECT_EQ(BstrText(v.bstrVal), L"C:\\one.txt");

    DISPID id = 0;
    LPOLESTR name[] = {const_cast<LPOLESTR>(L"GetDropFiles")};
    EXPECT_EQ(list->GetIDsOfNames(IID_NULL, name, 1, LOCALE_USER_DEFAULT, &id), S_OK);
    EXPECT_EQ(id, TESSALINE_DISPID_CLSDROPFILES_GETDROPFILES);
    TestDataObject other({L"C:\\late.txt"}, true);
    IUnknown* otherPointer = &other;
    VARIANT byRef;
    byRef.vt = VT_UNKNOWN | VT_BYREF;
    byRef.ppunkVal = &otherPointer;
    DISPPARAMS params = {&byRef, nullptr, 1, 0};
    EXPECT_EQ(list->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr), S_OK);
    EXPECT_EQ(list->get_Count(&count), S_OK);
    EXPECT_EQ(count, 1);

    EXPECT_EQ(list->Release(), 0u);
}

}  // namespace
}  // namespace tessaline
