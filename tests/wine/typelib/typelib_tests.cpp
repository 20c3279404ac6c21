// The built Kivrel3.dll read as a file, without registering it: its type libraries, the
// interface-identifier resources and the version resource.
#include <gtest/gtest.h>
#include <oleauto.h>

#include <string>
#include <vector>

#include "TypeLibChecks.h"

namespace tessaline::testing {
namespace {

class ComInit {
public:
    ComInit() { CoInitialize(nullptr); }
    ~ComInit() { CoUninitialize(); }
};

TEST(TypeLibrary, Tessaline3ReadsBackFromTheDll) {
    ComInit com;
    Ref<ITypeLib> lib;
    const HRESULT hr = LoadTypeLibEx(Wide(DllUnderTest()).c_str(), REGKIND_NONE, lib.put());
    ASSERT_EQ(HexText(hr), "0x0") << DllUnderTest();
    // Unregistered, the references into ShellTypes lead nowhere; the registration tests
    // follow them.
    ExpectTessaline3(lib.get(), Imports::Unresolved);
}

TEST(TypeLibrary, ShellTypesReadsBackFromResource2) {
    ComInit com;
    Ref<ITypeLib> lib;
    const HRESULT hr = LoadTypeLibEx(Wide(DllUnderTest() + "\\2").c_str(), REGKIND_NONE, lib.put());
    ASSERT_EQ(HexText(hr), "0x0") << DllUnderTest() << "\\2";
    ExpectShellTypes(lib.get());
}

class DllResources : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryExA(DllUnderTest().c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module_, nullptr) << DllUnderTest() << " error " << GetLastError();
    }
    void TearDown() override {
        if (module_ != nullptr)
            FreeLibrary(module_);
    }

    // The bytes of a resource in exactly this language, or "<missing>".
    std::string Bytes(const char* type, WORD id, WORD language) const {
        HRSRC found = FindResourceExA(module_, type, MAKEINTRESOURCEA(id), language);
        if (found == nullptr)
            return "<missing>";
        const DWORD size = SizeofResource(module_, found);
        const void* data = LockResource(LoadResource(module_, found));
        return data == nullptr ? "<unreadable>" : std::string(static_cast<const char*>(data), size);
    }

    HMODULE module_ = nullptr;
};

std::string HexBytes(const std::string& bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        if (!out.empty())
            out += ' ';
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
    }
    return out;
}

const WORD kNeutral = MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL);
const WORD kEnglishUs = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);

TEST_F(DllResources, InterfaceIdentifiersAreLengthThenGuidBytes) {
    const struct {
        const char* type;
        const char* bytes;  // length 16, then Data1, Data2, Data3 little-endian, then Data4
    } rows[] = {
        {"_IID_PAGE", "10 00 00 00 A4 05 1C D8 2B 6E E0 11 8F 3A 5E 21 A7 C3 D0 94"},
        {"_IID_CLSDROPFILES", "10 00 00 00 A5 05 1C D8 2B 6E E0 11 8F 3A 5E 21 A7 C3 D0 94"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.type);
        const std::string bytes = Bytes(row.type, 1, kNeutral);
        EXPECT_EQ(bytes.size(), 20u);
        EXPECT_EQ(HexBytes(bytes), row.bytes);
    }
}

TEST_F(DllResources, TypeLibrariesAreLanguageNeutral) {
    for (WORD id : {1, 2}) {
        SCOPED_TRACE("TYPELIB " + std::to_string(id));
        const std::string bytes = Bytes("TYPELIB", id, kNeutral);
        EXPECT_EQ(bytes.substr(0, 4), "MSFT") << "the platform's type-library file format";
    }
}

TEST_F(DllResources, VersionResourceIsUsEnglish) {
    EXPECT_NE(Bytes(MAKEINTRESOURCEA(16) /* RT_VERSION */, 1, kEnglishUs), "<missing>");
}

class VersionInfo {
public:
    explicit VersionInfo(const std::string& file) {
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeA(file.c_str(), &ignored);
        data_.resize(size);
        if (size == 0 || !GetFileVersionInfoA(file.c_str(), 0, size, data_.data()))
            data_.clear();
    }
    bool loaded() const { return !data_.empty(); }

    const void* Query(const std::string& path, UINT* length) const {
        void* value = nullptr;
        *length = 0;
        if (!VerQueryValueA(data_.data(), path.c_str(), &value, length))
            return nullptr;
        return value;
    }

    // A string of block 040904B0, or "<missing>".
    std::string String(const char* name) const {
        UINT length = 0;
        const void* value = Query(std::string("\\StringFileInfo\\040904B0\\") + name, &length);
        if (value == nullptr)
            return "<missing>";
        return length == 0 ? std::string() : std::string(static_cast<const char*>(value));
    }

private:
    std::vector<char> data_;
};

TEST(VersionResource, FixedPartSaysDllVersion1_9_0_430) {
    VersionInfo info(DllUnderTest());
    ASSERT_TRUE(info.loaded()) << DllUnderTest();
    UINT length = 0;
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(info.Query("\\", &length));
    ASSERT_NE(fixed, nullptr);
    ASSERT_EQ(length, sizeof(VS_FIXEDFILEINFO));
    const struct {
        const char* name;
        DWORD value;
        DWORD expected;
    } rows[] = {
        {"dwFileVersionMS", fixed->dwFileVersionMS, 0x00010009},
        {"dwFileVersionLS", fixed->dwFileVersionLS, 0x000001AE},  // 0.430
        {"dwProductVersionMS", fixed->dwProductVersionMS, 0x00010009},
        {"dwProductVersionLS", fixed->dwProductVersionLS, 0x000001AE},
        {"dwFileFlagsMask", fixed->dwFileFlagsMask, 0},
        {"dwFileFlags", fixed->dwFileFlags, 0},
        {"dwFileOS", fixed->dwFileOS, VOS__WINDOWS32},
        {"dwFileType", fixed->dwFileType, VFT_DLL},
        {"dwFileSubtype", fixed->dwFileSubtype, 0},
    };
    for (const auto& row : rows)
        EXPECT_EQ(HexText(row.value), HexText(row.expected)) << row.name;
}

TEST(VersionResource, StringsAndTranslation) {
    VersionInfo info(DllUnderTest());
    ASSERT_TRUE(info.loaded()) << DllUnderTest();
    const struct {
        const char* name;
        const char* value;
    } rows[] = {
        {"Comments", "Tessaline v. 3"},
        {"CompanyName", "Orvando"},
        {"FileDescription", "NTFS Streams Property Page Extension"},
        {"ProductName", "Tessaline 3"},
        {"FileVersion", "1.09.0430"},
        {"ProductVersion", "1.09.0430"},
        {"InternalName", "Kivrel3"},
        {"OriginalFilename", "Kivrel3.dll"},
        {"OLESelfRegister", ""},  // present, empty: marks the DLL as self-registering
    };
    for (const auto& row : rows)
        EXPECT_EQ(info.String(row.name), row.value) << row.name;

    UINT length = 0;
    const auto* translation = static_cast<const WORD*>(info.Query("\\VarFileInfo\\Translation", &length));
    ASSERT_NE(translation, nullptr);
    ASSERT_EQ(length, 4u) << "one language and code page";
    EXPECT_EQ(HexText(translation[0]), "0x409");
    EXPECT_EQ(HexText(translation[1]), "0x4B0");
}

}  // namespace
}  // namespace tessaline::testing
