// regsvr32 on Kivrel3.dll in the System folder, as the installer and the uninstaller run
// it. Changes the registry: runs in a prefix of its own.
#include <gtest/gtest.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "TypeLibChecks.h"

namespace tessaline::testing {
namespace {

const char kPageClass[] = "CLSID\\{4B7A2E9F-6C1D-11E0-8F3A-5E21A7C3D094}";
const char kDropFilesClass[] = "CLSID\\{4B7A2E9D-6C1D-11E0-8F3A-5E21A7C3D094}";
const char kPageClsid[] = "{4B7A2E9F-6C1D-11E0-8F3A-5E21A7C3D094}";
const GUID kTessaline3 = {0x4B7A2E9B, 0x6C1D, 0x11E0, {0x8F, 0x3A, 0x5E, 0x21, 0xA7, 0xC3, 0xD0, 0x94}};
const GUID kShellTypes = {0x4B7A2EA1, 0x6C1D, 0x11E0, {0x8F, 0x3A, 0x5E, 0x21, 0xA7, 0xC3, 0xD0, 0x94}};
const char* const kHandlerKeys[] = {
    "*\\shellex\\PropertySheetHandlers\\Tessaline",
    "Folder\\shellex\\PropertySheetHandlers\\Tessaline",
};
// The system's own interface keys that a careless library registration rewrites.
const char* const kSystemInterfaces[] = {
    "Interface\\{0000010E-0000-0000-C000-000000000046}",  // IDataObject
    "Interface\\{000214E8-0000-0000-C000-000000000046}",  // IShellExtInit
    "Interface\\{000214E9-0000-0000-C000-000000000046}",  // IShellPropSheetExt
};

bool KeyExists(const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, name.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// A text value, or "<missing>".
std::string Value(const std::string& keyName, const char* valueName) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CLASSES_ROOT, keyName.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return "<missing>";
    char data[1024] = {};
    DWORD size = sizeof data - 1;
    DWORD type = 0;
    const LONG rc = RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS)
        return "<missing>";
    return type == REG_SZ ? std::string(data) : "<type " + std::to_string(type) + ">";
}

// Every subkey and value below a key, one per line, for before/after comparisons.
void Snapshot(HKEY parent, const std::string& name, std::string& out) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, name.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return;
    out += "[" + name + "]\n";
    for (DWORD i = 0;; ++i) {
        char valueName[256];
        DWORD nameSize = sizeof valueName;
        BYTE data[1024];
        DWORD dataSize = sizeof data;
        DWORD type = 0;
        if (RegEnumValueA(key, i, valueName, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS)
            break;
        std::string text(reinterpret_cast<char*>(data), dataSize);
        while (!text.empty() && text.back() == '\0')
            text.pop_back();
        out += "  " + std::string(valueName) + "=" + text + "\n";
    }
    std::vector<std::string> subkeys;
    for (DWORD i = 0;; ++i) {
        char sub[256];
        DWORD size = sizeof sub;
        if (RegEnumKeyExA(key, i, sub, &size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
            break;
        subkeys.push_back(sub);
    }
    RegCloseKey(key);
    for (const std::string& sub : subkeys)
        Snapshot(parent, name + "\\" + sub, out);
}

std::string Snapshot(const char* name) {
    std::string out;
    Snapshot(HKEY_CLASSES_ROOT, name, out);
    return out.empty() ? "<absent>" : out;
}

void SetValue(const char* keyName, const char* value) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, keyName, 0, nullptr, 0, KEY_WRITE, nullptr, &key, nullptr),
              ERROR_SUCCESS)
        << keyName;
    RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value), lstrlenA(value) + 1);
    RegCloseKey(key);
}

std::string SystemFolder() {
    char dir[MAX_PATH] = {};
    GetSystemDirectoryA(dir, MAX_PATH);
    return dir;
}

// Runs "regsvr32.exe ARGS" and answers its exit code, or -1.
int Regsvr32(const std::string& args) {
    std::string command = SystemFolder() + "\\regsvr32.exe " + args;
    STARTUPINFOA si = {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return -1;
    WaitForSingleObject(pi.hProcess, 60000);
    DWORD code = static_cast<DWORD>(-1);
    GetExitCodeProcess(pi.hProcess, &code);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return static_cast<int>(code);
}

std::string RegisteredPath(REFGUID lib, WORD major, LCID lcid) {
    BSTR path = nullptr;
    if (FAILED(QueryPathOfRegTypeLib(lib, major, 0, lcid, &path)))
        return "<not registered>";
    const std::string text = Narrow(path);
    SysFreeString(path);
    return text;
}

class Registration : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        dll_ = SystemFolder() + "\\Kivrel3.dll";
        ASSERT_TRUE(CopyFileA(DllUnderTest().c_str(), dll_.c_str(), FALSE))
            << DllUnderTest() << " error " << GetLastError();
        for (const char* handler : kHandlerKeys)
            SetValue(handler, kPageClsid);
        for (const char* iface : kSystemInterfaces)
            systemBefore_.push_back(Snapshot(iface));
    }
    void TearDown() override {
        Regsvr32("/s /u " + dll_);
        CoUninitialize();
    }

    void ExpectSystemKeysUntouched() {
        for (size_t i = 0; i < systemBefore_.size(); ++i)
            EXPECT_EQ(Snapshot(kSystemInterfaces[i]), systemBefore_[i]) << kSystemInterfaces[i];
        for (const char* handler : kHandlerKeys)
            EXPECT_EQ(Value(handler, nullptr), kPageClsid) << handler;
    }

    std::string dll_;
    std::vector<std::string> systemBefore_;
};

TEST_F(Registration, WritesBothClassesAndLibrariesAndRemovesExactlyThose) {
    ASSERT_EQ(Regsvr32("/s " + dll_), 0) << "3: not loadable, 4: no DllRegisterServer, 5: it failed";

    for (const char* classKey : {kPageClass, kDropFilesClass}) {
        SCOPED_TRACE(classKey);
        const std::string server = std::string(classKey) + "\\InprocServer32";
        EXPECT_EQ(Value(server, nullptr), dll_) << "the DLL's full path";
        EXPECT_EQ(Value(server, "ThreadingModel"), "Apartment");
    }
    EXPECT_EQ(RegisteredPath(kTessaline3, 2, 0x0409), dll_);
    EXPECT_EQ(RegisteredPath(kShellTypes, 1, 0), dll_ + "\\2");
    // Written by the library registration for the dual interfaces; ours to remove again.
    EXPECT_TRUE(KeyExists("Interface\\{D81C05A4-6E2B-11E0-8F3A-5E21A7C3D094}"));
    EXPECT_TRUE(KeyExists("Interface\\{D81C05A5-6E2B-11E0-8F3A-5E21A7C3D094}"));
    ExpectSystemKeysUntouched();

    ASSERT_EQ(Regsvr32("/s /u " + dll_), 0);
    const char* const gone[] = {
        kPageClass,
        kDropFilesClass,
        "TypeLib\\{4B7A2E9B-6C1D-11E0-8F3A-5E21A7C3D094}",
        "TypeLib\\{4B7A2EA1-6C1D-11E0-8F3A-5E21A7C3D094}",
        "Interface\\{D81C05A4-6E2B-11E0-8F3A-5E21A7C3D094}",
        "Interface\\{D81C05A5-6E2B-11E0-8F3A-5E21A7C3D094}",
    };
    for (const char* key : gone)
        EXPECT_EQ(Snapshot(key), "<absent>") << key;
    ExpectSystemKeysUntouched();

    // The uninstaller may run twice; nothing left to remove is no failure.
    EXPECT_EQ(Regsvr32("/s /u " + dll_), 0);
    ExpectSystemKeysUntouched();
}

TEST_F(Registration, LibraryLoadsByIdentifierAndVersionAndFollowsItsImports) {
    ASSERT_EQ(Regsvr32("/s " + dll_), 0);
    Ref<ITypeLib> lib;
    const HRESULT hr = LoadRegTypeLib(kTessaline3, 2, 0, 0x0409, lib.put());
    ASSERT_EQ(HexText(hr), "0x0");
    ExpectTessaline3(lib.get(), Imports::Resolved);
}

}  // namespace
}  // namespace tessaline::testing
