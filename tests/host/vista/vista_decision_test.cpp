#include "VistaDecision.h"

#include <gtest/gtest.h>

#include <string>

namespace tessaline {
namespace {

struct Row {
    const char* label;
    OsVersionFacts os;
    bool localeInfoEx, dllGetVersion;
    ShellVersionFacts shell;
    bool vista;
    const char* asked;  // V GetVersion, K kernel32 exports GetLocaleInfoEx, S shell32 DllGetVersion, D its call
};

// Answers a row's facts and records the questions asked, in order.
struct Platform final : VistaPlatform, Row {
    explicit Platform(const Row& row) : Row(row) {}
    std::string log;
    OsVersionFacts GetVersion() override { log += 'V'; return os; }
    bool Kernel32ExportsGetLocaleInfoEx() override { log += 'K'; return localeInfoEx; }
    bool Shell32ExportsDllGetVersion() override { log += 'S'; return dllGetVersion; }
    ShellVersionFacts CallShell32DllGetVersion() override { log += 'D'; return shell; }
};

TEST(IsVistaOrLater, DecidesFromThePlatformFactsInOrder) {
    constexpr int32_t kNt = 2, kEFail = int32_t(0x80004005);
    const Row rows[] = {
        {"NT 6", {kNt, 6}, false, true, {0, 6, 6000}, true, "V"},
        {"NT 5 with GetLocaleInfoEx", {kNt, 5}, true, true, {0, 6, 2900}, true, "VK"},
        {"9x reporting major 6", {1, 6}, false, true, {0, 4, 950}, false, "VKSD"},
        {"shell32 6.0 build 5000", {kNt, 5}, false, true, {0, 6, 5000}, false, "VKSD"},
        {"shell32 6.0 build 5001", {kNt, 5}, false, true, {0, 6, 5001}, true, "VKSD"},
        {"shell32 major 7", {kNt, 5}, false, true, {0, 7, 7600}, false, "VKSD"},
        {"shell32 without DllGetVersion: never called", {kNt, 5}, false, false, {0, 6, 6000}, false, "VKS"},
        {"DllGetVersion fails", {kNt, 5}, false, true, {kEFail, 6, 6000}, false, "VKSD"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.label);
        Platform platform(row);
        EXPECT_EQ(IsVistaOrLater(platform), row.vista);
        EXPECT_EQ(platform.log, row.asked);
    }
}

}  // namespace
}  // namespace tessaline
