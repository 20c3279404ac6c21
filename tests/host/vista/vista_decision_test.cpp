#include "VistaDecision.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaline {
namespace {

// Reports fixed facts and records which questions were asked, in order.
class FakePlatform : public VistaPlatform {
public:
    OsVersionFacts os;
    bool localeInfoEx = false;
    bool dllGetVersion = true;
    ShellVersionFacts shell{0, 5, 3790};
    std::string asked;

    OsVersionFacts GetVersion() override { asked += "V"; return os; }
    bool Kernel32ExportsGetLocaleInfoEx() override { asked += "K"; return localeInfoEx; }
    bool Shell32ExportsDllGetVersion() override { asked += "S"; return dllGetVersion; }
    ShellVersionFacts CallShell32DllGetVersion() override { asked += "D"; return shell; }
};

constexpr int32_t kNt = 2;
constexpr int32_t kWindows = 1;
constexpr int32_t kEFail = static_cast<int32_t>(0x80004005);

TEST(IsVistaOrLater, DecidesFromThePlatformFactsInOrder) {
    struct Row {
        const char* label;
        OsVersionFacts os;
        bool localeInfoEx;
        bool dllGetVersion;
        ShellVersionFacts shell;
        bool expected;
        const char* asked;  // V version, K kernel32 export, S shell32 export, D DllGetVersion call
    };
    const Row rows[] = {
        {"NT 6", {kNt, 6}, false, true, {0, 6, 6000}, true, "V"},
        {"NT 5 with GetLocaleInfoEx", {kNt, 5}, true, true, {0, 6, 2900}, true, "VK"},
        {"9x reporting major 6 is not NT", {kWindows, 6}, false, true, {0, 4, 950}, false, "VKSD"},
        {"XP: shell32 6.0.2900", {kNt, 5}, false, true, {0, 6, 2900}, false, "VKSD"},
        {"shell32 6.0 build 5000", {kNt, 5}, false, true, {0, 6, 5000}, false, "VKSD"},
        {"shell32 6.0 build 5001", {kNt, 5}, false, true, {0, 6, 5001}, true, "VKSD"},
        {"shell32 major 7", {kNt, 5}, false, true, {0, 7, 7600}, false, "VKSD"},
        {"shell32 without DllGetVersion: not called", {kNt, 5}, false, false, {0, 6, 6000}, false, "VKS"},
        {"DllGetVersion fails", {kNt, 5}, false, true, {kEFail, 6, 6000}, false, "VKSD"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        FakePlatform platform;
        platform.os = row.os;
        platform.localeInfoEx = row.localeInfoEx;
        platform.dllGetVersion = row.dllGetVersion;
        platform.shell = row.shell;
        EXPECT_EQ(IsVistaOrLater(platform), row.expected);
        EXPECT_EQ(platform.asked, row.asked);
    }
}

}  // namespace
}  // namespace tessaline
