// F1 in this process, as the start-up shows it: layout, texts, states, fonts, colours, tab
// order and the options' hold on Install; and the resources of the shipped programs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "F1.h"
#include "InstallChecks.h"
#include "TermsText.h"
#include "TestFiles.h"
#include "Win32Util.h"

namespace tessaline {
namespace {

using testing::TextOf;

const COLORREF kLightBlue = RGB(130, 192, 255);
const COLORREF kNavy = RGB(0, 0, 128);
const COLORREF kDarkBlue = RGB(0, 0, 198);
const COLORREF kWhite = RGB(255, 255, 255);

std::string Rgb(COLORREF colour) {
    return "RGB(" + std::to_string(GetRValue(colour)) + ", " + std::to_string(GetGValue(colour)) + ", " +
           std::to_string(GetBValue(colour)) + ")";
}

void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

class F1Window : public ::testing::Test {
protected:
    void SetUp() override {
        window = ShowF1(GetModuleHandleA(nullptr));
        ASSERT_NE(window, nullptr);
        Pump();
    }
    void TearDown() override {
        if (IsWindow(window))
            DestroyWindow(window);
        Pump();
    }
    HWND Control(int id) const {
        HWND control = GetDlgItem(window, id);
        return control ? control : GetDlgItem(GetDlgItem(window, kFrame1), id);
    }
    bool Checked(int id) const { return SendMessageA(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

    HWND window = nullptr;
};

TEST_F(F1Window, IsAFixedCentredWindowWithA563By405ClientArea) {
    EXPECT_EQ(TextOf(window), "Tessaline");
    RECT client, outer;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 563);
    EXPECT_EQ(client.bottom, 405);
    GetWindowRect(window, &outer);
    EXPECT_LE(std::abs(outer.left + outer.right - GetSystemMetrics(SM_CXSCREEN)), 1) << outer.left << ", " << outer.right;
    EXPECT_LE(std::abs(outer.top + outer.bottom - GetSystemMetrics(SM_CYSCREEN)), 1) << outer.top << ", " << outer.bottom;
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0) << "not resizable";
    EXPECT_NE(GetClassLongA(window, GCL_HICON), 0u) << "the program's icon";
}

TEST_F(F1Window, EveryControlOpensInPlaceWithItsTextAndState) {
    const struct {
        int id;
        const char* name;
        const char* windowClass;  // nullptr: the panel's own class
        const wchar_t* text;      // nullptr: a picture
        LONG left, top, width, height;  // Text1's relative to Frame1
        bool enabled;
    } rows[] = {
        {kFrame1, "Frame1", nullptr, L"", 13, 80, 317, 261, true},
        {kText1, "Text1", "Edit", kTermsText, 16, 12, 301, 237, true},
        {kOp1Accept, "Op1(0)", "Button", L"I accept license.", 32, 352, 297, 13, true},
        {kOp1Decline, "Op1(1)", "Button", L"I do not accept license.", 32, 368, 297, 13, true},
        {kBOK, "bOK", "Button", L"Install", 356, 352, 69, 25, false},
        {kBCancel, "bCancel", "Button", L"Cancel", 464, 352, 69, 25, true},
        {kLabel2, "Label2", "Static", L"Install Tessaline property page extension for Windows NT4, 2000 and XP.", 352,
         176, 185, 121, true},
        {kLabel1Right, "Label1(0)", "Static", L"", 556, -4, 9, 405, true},
        {kLabel1Left, "Label1(1)", "Static", L"", 0, 0, 9, 397, true},
        {kLabel1Bottom, "Label1(2)", "Static", L"", 0, 392, 577, 21, true},
        {kLabel1Top, "Label1(3)", "Static", L"", 4, 0, 577, 77, true},
        {kImage1, "Image1", "Static", nullptr, 8, 8, 542, 60, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        HWND control = Control(row.id);
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(IsWindowVisible(control));
        EXPECT_EQ(IsWindowEnabled(control) != FALSE, row.enabled) << "enabled";
        if (row.windowClass) {
            EXPECT_STRCASEEQ(testing::ClassOf(control).c_str(), row.windowClass);
        }
        if (row.text) {
            EXPECT_EQ(TextOf(control), ToAnsi(row.text));
        }
        RECT r;
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ((std::vector<LONG>{r.left, r.top, r.right - r.left, r.bottom - r.top}),
                  (std::vector<LONG>{row.left, row.top, row.width, row.height}))
            << "left, top, width, height";
    }
    EXPECT_EQ(GetParent(Control(kText1)), Control(kFrame1));

    // The terms cannot be typed over.
    SendMessageA(Control(kText1), WM_CHAR, 'x', 0);
    EXPECT_EQ(TextOf(Control(kText1)), ToAnsi(kTermsText));

    HBITMAP banner = reinterpret_cast<HBITMAP>(SendMessageA(Control(kImage1), STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP picture = {};
    ASSERT_TRUE(banner && GetObjectA(banner, sizeof picture, &picture)) << "Image1 shows the banner";
    EXPECT_EQ(picture.bmWidth, 542);
    EXPECT_EQ(picture.bmHeight, 60);
}

// The terms are wrapped by hand for Text1's width in Verdana 9 pt: no line may wrap again.
// Wine has no Verdana; the face it takes instead (DejaVu Sans) has nearly its widths.
TEST_F(F1Window, TermsFitText1AsWrapped) {
    HWND text1 = Control(kText1);
    const std::string text = TextOf(text1);
    const int lines = static_cast<int>(SendMessageA(text1, EM_GETLINECOUNT, 0, 0));
    for (int line = 1; line < lines; ++line) {
        const int start = static_cast<int>(SendMessageA(text1, EM_LINEINDEX, line, 0));
        if (start < 2 || text.compare(start - 2, 2, "\r\n") != 0) {
            const size_t from = text.rfind("\r\n", start);
            const size_t begin = from == std::string::npos ? 0 : from + 2;
            ADD_FAILURE() << "wraps again: \"" << text.substr(begin, text.find("\r\n", begin) - begin) << "\"";
        }
    }
}

TEST_F(F1Window, TermsAndLabel2UseVerdanaAndTheButtonsBoldArial) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    const struct {
        int id;
        const char* expected;  // face, height in pixels at 96 dpi, weight
    } rows[] = {
        {kText1, "Verdana 12 400"},   // 9 pt
        {kLabel2, "Verdana 16 400"},  // 12 pt
        {kBOK, "Arial 11 700"},       // 8.25 pt bold; bCancel shares it
    };
    for (const auto& row : rows) {
        LOGFONTA font = {};
        GetObjectA(reinterpret_cast<HFONT>(SendMessageA(Control(row.id), WM_GETFONT, 0, 0)), sizeof font, &font);
        EXPECT_EQ(std::string(font.lfFaceName) + " " + std::to_string(-MulDiv(font.lfHeight, 96, dpi)) + " " +
                      std::to_string(font.lfWeight),
                  row.expected);
    }
}

// Two ways F1's colours show: what F1 (through Frame1 for Text1) answers a control asking
// for its colours, and the painted window read back from its own surface.
TEST_F(F1Window, PaintsNavyTextOnLightBlueAndWhiteBetweenDarkBlueBars) {
    const struct {
        int id;
        COLORREF text, back;
    } asked[] = {{kText1, kNavy, kWhite}, {kOp1Accept, kNavy, kLightBlue}, {kLabel1Top, CLR_INVALID, kDarkBlue}};
    for (const auto& row : asked) {
        SCOPED_TRACE(row.id);
        HWND control = Control(row.id);
        HDC dc = CreateCompatibleDC(nullptr);
        auto brush = reinterpret_cast<HGDIOBJ>(SendMessageA(GetParent(control), WM_CTLCOLORSTATIC,
                                                            reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(control)));
        LOGBRUSH fill = {};
        ASSERT_TRUE(brush && GetObjectA(brush, sizeof fill, &fill)) << "a brush";
        EXPECT_EQ(Rgb(fill.lbColor), Rgb(row.back)) << "brush";
        if (row.text != CLR_INVALID) {
            EXPECT_EQ(Rgb(GetTextColor(dc)), Rgb(row.text)) << "text";
        }
        DeleteDC(dc);
    }

    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
    const struct {
        const char* what;
        int x, y;  // client coordinates
        COLORREF colour;
    } painted[] = {
        {"the window's background", 340, 150, kLightBlue},
        {"Label1(3), the band below the banner", 300, 72, kDarkBlue},
        {"bOK's face, drawn by F1", 361, 357, kWhite},
    };
    HDC dc = GetDCEx(window, nullptr, DCX_CACHE);  // without DCX_CLIPCHILDREN: the children's pixels too
    for (const auto& row : painted)
        EXPECT_EQ(Rgb(GetPixel(dc, row.x, row.y)), Rgb(row.colour)) << row.what << " at " << row.x << ", " << row.y;
    ReleaseDC(window, dc);
}

std::vector<int> TabWalk(HWND window, HWND from) {
    std::vector<int> ids;
    for (HWND at = from; at && (ids.empty() || at != from) && ids.size() < 20; at = GetNextDlgTabItem(window, at, FALSE))
        ids.push_back(GetDlgCtrlID(at));
    return ids;
}

// Only the buttons, the selected option and Text1 take the focus; a disabled Install is passed by.
TEST_F(F1Window, TabGoesFromTheButtonsToTheSelectedOptionAndTheTerms) {
    // Tests run side by side on one display may take the activation; only an active F1 has a focus.
    if (GetForegroundWindow() == window) {
        EXPECT_EQ(GetFocus(), Control(kBCancel)) << "the first control that takes the focus";
    }
    EXPECT_EQ(TabWalk(window, Control(kBCancel)), (std::vector<int>{kBCancel, kOp1Decline, kText1}));
    SendMessageA(Control(kOp1Accept), BM_CLICK, 0, 0);
    EXPECT_EQ(TabWalk(window, Control(kBOK)), (std::vector<int>{kBOK, kBCancel, kOp1Accept, kText1}));
}

TEST_F(F1Window, InstallIsEnabledExactlyWhileTheTermsAreAccepted) {
    // BM_CLICK presses and releases the mouse button over the option, as a user's click does.
    const struct {
        const char* what;
        int click;  // 0: none
        bool accepted;
    } steps[] = {{"at start", 0, false},          {"I accept", kOp1Accept, true},
                 {"I accept again", kOp1Accept, true}, {"I do not accept", kOp1Decline, false},
                 {"I do not accept again", kOp1Decline, false}, {"I accept once more", kOp1Accept, true}};
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        if (step.click)
            SendMessageA(Control(step.click), BM_CLICK, 0, 0);
        Pump();
        EXPECT_EQ(Checked(kOp1Accept), step.accepted);
        EXPECT_EQ(Checked(kOp1Decline), !step.accepted);
        EXPECT_EQ(IsWindowEnabled(Control(kBOK)) != FALSE, step.accepted) << "Install";
    }
}

TEST(KivsetupFile, CarriesOne32By32IconOf256Colours) {
    HMODULE module = LoadLibraryExW(testing::BuiltFile(L"installer\\kivsetup.exe").c_str(), nullptr,
                                    LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(module, nullptr);
    HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(1), reinterpret_cast<LPCSTR>(RT_GROUP_ICON));
    ASSERT_TRUE(found && SizeofResource(module, found) == 6 + 14) << "one image";
    const auto* entry = static_cast<const BYTE*>(LockResource(LoadResource(module, found))) + 6;
    EXPECT_EQ(std::to_string(entry[0]) + "x" + std::to_string(entry[1]) + ", " + std::to_string(entry[6]) + " bits",
              "32x32, 8 bits");
    FreeLibrary(module);
}

TEST(ShippedPrograms, CarryTheirVersionRecords) {
    const struct {
        const wchar_t* file;
        const char* describedAs;  // the name under which it describes itself
        const char* description;
        const char* internalName;
    } rows[] = {
        {L"installer\\kivsetup.exe", "FileDescription", "Tessaline Installer 3", "kivsetup"},
        {L"uninstaller\\kivremove.exe", "Comments", "Tessaline Uninstaller 3", "kivremove"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.internalName);
        const testing::VersionRecord record = testing::ReadVersionRecord(testing::BuiltFile(row.file));
        EXPECT_EQ(record.fixed, "file 1.9.0.501, product 1.9.0.501");
        EXPECT_EQ(record.translation, "0409 04B0");
        EXPECT_EQ(record.strings, (std::map<std::string, std::string>{
                                      {row.describedAs, row.description},
                                      {"CompanyName", "Orvando"},
                                      {"FileVersion", "1.09.0501"},
                                      {"InternalName", row.internalName},
                                      {"OriginalFilename", std::string(row.internalName) + ".exe"},
                                      {"ProductVersion", "1.09.0501"},
                                  }));
    }
}

}  // namespace
}  // namespace tessaline
