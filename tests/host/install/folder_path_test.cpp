// GetFolderPath's rules over a stand-in for the three platform queries.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FolderPath.h"

namespace tessaline {
namespace {

// Answers like GetWindowsDirectoryA and its kin: the length when the path fits with its
// NUL, else the size needed. Each call may see a different path (the Temp folder can
// change between calls); the last one holds after that.
class PlatformStandIn final : public FolderQuery {
public:
    std::vector<std::string> paths;  // empty: the query fails
    std::vector<std::string> calls;  // "kind size"
    bool buffersClean = true;

    uint32_t Query(FolderKind kind, char* buffer, uint32_t size) override {
        calls.push_back(std::string(kind == FolderKind::Windows ? "W" : kind == FolderKind::System ? "S" : "T") + " " +
                        std::to_string(size));
        for (uint32_t i = 0; i < size; ++i)
            buffersClean = buffersClean && buffer[i] == '\0';
        if (paths.empty())
            return 0;
        const std::string& path = paths[std::min(calls.size(), paths.size()) - 1];
        if (path.size() + 1 > size)
            return static_cast<uint32_t>(path.size() + 1);
        path.copy(buffer, path.size());
        buffer[path.size()] = '\0';
        return static_cast<uint32_t>(path.size());
    }

    // A double-byte code page in miniature: lead byte 0x95 and the byte after it are one
    // character, whatever that byte is.
    std::wstring Decode(const std::string& ansi) override {
        std::wstring out;
        for (size_t i = 0; i < ansi.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(ansi[i]);
            if (c == 0x95 && i + 1 < ansi.size())
                out += static_cast<wchar_t>(0x9500 | static_cast<unsigned char>(ansi[++i]));
            else
                out += static_cast<wchar_t>(c);
        }
        return out;
    }
};

std::string Narrow(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text)
        out += c < 0x80 ? std::string(1, static_cast<char>(c)) : "<" + std::to_string(static_cast<unsigned>(c)) + ">";
    return out;
}

TEST(GetFolderPath, Rules) {
    const std::string long300 = "C:\\" + std::string(297, 'x');
    const std::string exactly259 = "C:\\" + std::string(256, 'x');
    const std::string exactly260 = exactly259 + "y";
    const std::string long400 = "C:\\" + std::string(397, 'z');
    struct Row {
        const char* name;
        short selector;
        std::vector<std::string> paths;
        std::string expected;
        std::vector<std::string> calls;
    } const rows[] = {
        {"Windows folder", 0, {"C:\\WINDOWS"}, "C:\\WINDOWS", {"W 260"}},
        {"System folder", 1, {"C:\\WINDOWS\\system32"}, "C:\\WINDOWS\\system32", {"S 260"}},
        {"Temp folder loses its trailing backslash", 2, {"C:\\WINDOWS\\TEMP\\"}, "C:\\WINDOWS\\TEMP", {"T 260"}},
        {"a drive root comes back as the drive alone", 2, {"C:\\"}, "C:", {"T 260"}},
        {"only one trailing backslash goes", 2, {"C:\\TEMP\\\\"}, "C:\\TEMP\\", {"T 260"}},
        {"the platform query fails", 1, {}, "", {"S 260"}},
        {"selector 3 asks nothing", 3, {"C:\\X"}, "", {}},
        {"selector -1 asks nothing", -1, {"C:\\X"}, "", {}},
        {"259 characters fit the buffer", 0, {exactly259}, exactly259, {"W 260"}},
        // The platform answers the size it needs instead of the path.
        {"260 characters are fetched again whole", 0, {exactly260}, exactly260, {"W 260", "W 261"}},
        {"a long path is fetched whole", 1, {long300}, long300, {"S 260", "S 301"}},
        {"a long path with its backslash", 2, {long300 + "\\"}, long300, {"T 260", "T 302"}},
        {"a Temp folder that grows between calls", 2, {long300, long400}, long400, {"T 260", "T 301", "T 401"}},
        {"a double-byte character whose second byte is a backslash stays", 0, {"C:\\\x95\\"}, "C:\\<38236>",
         {"W 260"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        PlatformStandIn platform;
        platform.paths = row.paths;
        EXPECT_EQ(Narrow(FolderPathFrom(platform, row.selector)), row.expected);
        EXPECT_EQ(platform.calls, row.calls);
        EXPECT_TRUE(platform.buffersClean) << "every buffer is NUL-filled before the call";
    }
}

TEST(GetFolderPath, GivesUpOnAPathThatKeepsGrowing) {
    PlatformStandIn platform;
    for (int n = 300; n < 2000; n += 100)
        platform.paths.push_back("C:\\" + std::string(n, 'g'));
    EXPECT_EQ(Narrow(FolderPathFrom(platform, 2)), "");
    EXPECT_EQ(platform.calls.size(), 4u);
}

// The file-system test examines the volume the Windows folder lies on.
TEST(VolumeRootOf, TheDriveOrShareOfAFolder) {
    const struct {
        const char* name;
        std::wstring folder;
        std::wstring root;
    } rows[] = {
        {"a folder on a drive", L"D:\\WINNT", L"D:\\"},
        {"a lower-case drive", L"c:\\windows", L"c:\\"},
        {"a folder at a drive's root, without its backslash", L"C:", L"C:\\"},
        {"a folder on a share", L"\\\\server\\share\\WINDOWS", L"\\\\server\\share\\"},
        {"a share itself", L"\\\\server\\share", L"\\\\server\\share\\"},
        {"a server without a share", L"\\\\server", L""},
        {"an empty share name", L"\\\\server\\\\WINDOWS", L""},
        {"a device path", L"\\\\?\\C:\\WINDOWS", L""},
        {"no drive: the current one is not guessed", L"\\WINDOWS", L""},
        {"no folder", L"", L""},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(Narrow(VolumeRootOf(row.folder)), Narrow(row.root));
    }
}

}  // namespace
}  // namespace tessaline
