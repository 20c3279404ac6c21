// F1 in this process, as the start-up shows it: layout, texts, fonts, colours, pixels,
// tab order and the options' hold on Install; and the resources of the shipped kivsetup.exe.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "F1.h"
#include "TermsText.h"
#include "TestFiles.h"
#include "Win32Util.h"

namespace tessaline {
namespace {

const COLORREF kLightBlue = RGB(130, 192, 255);
const COLORREF kNavy = RGB(0, 0, 128);
const COLORREF kDarkBlue = RGB(0, 0, 198);
const COLORREF kWhite = RGB(255, 255, 255);

std::string Hex(COLORREF colour) {
    char text[32];
    wsprintfA(text, "RGB(%d, %d, %d)", GetRValue(colour), GetGValue(colour), GetBValue(colour));
    return text;
}

void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

std::string TextOf(HWND window) {
    std::string text(GetWindowTextLengthA(window) + 1, '\0');
    text.resize(GetWindowTextA(window, &text[0], static_cast<int>(text.size())));
    return text;
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
    // Left, top, width, height relative to the parent's client area.
    static RECT Placement(HWND control) {
        RECT r;
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
        return {r.left, r.top, r.right - r.left, r.bottom - r.top};
    }
    bool Checked(int id) const { return SendMessageA(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

    HWND window = nullptr;
};

TEST_F(F1Window, IsAFixedCentredWindowOfTheGivenClientSize) {
    EXPECT_EQ(TextOf(window), "Tessaline");
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 563);
    EXPECT_EQ(client.bottom, 405);

    RECT outer;
    GetWindowRect(window, &outer);
    const int dx = (outer.left + outer.right) - GetSystemMetrics(SM_CXSCREEN);
    const int dy = (outer.top + outer.bottom) - GetSystemMetrics(SM_CYSCREEN);
    EXPECT_LE(std::abs(dx), 1) << "left " << outer.left << ", right " << outer.right;
    EXPECT_LE(std::abs(dy), 1) << "top " << outer.top << ", bottom " << outer.bottom;

    const LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(style & (WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX), WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX), 0) << "not resizable";

    LOGBRUSH background = {};
    GetObjectA(reinterpret_cast<HGDIOBJ>(GetClassLongA(window, GCL_HBRBACKGROUND)), sizeof background, &background);
    EXPECT_EQ(Hex(background.lbColor), Hex(kLightBlue));

    ICONINFO icon = {};
    ASSERT_TRUE(GetIconInfo(reinterpret_cast<HICON>(GetClassLongA(window, GCL_HICON)), &icon)) << "the program's icon";
    BITMAP mask = {};
    GetObjectA(icon.hbmMask, sizeof mask, &mask);
    EXPECT_EQ(mask.bmWidth, 32);
    DeleteObject(icon.hbmMask);
    DeleteObject(icon.hbmColor);
}

TEST_F(F1Window, ControlsStandWhereTheLayoutPutsThem) {
    const wchar_t* const kAny = nullptr;
    struct {
        int id;
        const char* name;
        const char* windowClass;  // nullptr: the panel's own class
        const wchar_t* text;
        LONG left, top, width, height;  // Text1's relative to Frame1
    } const rows[] = {
        {kFrame1, "Frame1", nullptr, L"", 13, 80, 317, 261},
        {kText1, "Text1", "Edit", kTermsText, 16, 12, 301, 237},
        {kOp1Accept, "Op1(0)", "Button", L"I accept license.", 32, 352, 297, 13},
        {kOp1Decline, "Op1(1)", "Button", L"I do not accept license.", 32, 368, 297, 13},
        {kBOK, "bOK", "Button", L"Install", 356, 352, 69, 25},
        {kBCancel, "bCancel", "Button", L"Cancel", 464, 352, 69, 25},
        {kLabel2, "Label2", "Static", L"Install Tessaline property page extension for Windows NT4, 2000 and XP.", 352,
         176, 185, 121},
        {kLabel1Right, "Label1(0)", "Static", L"", 556, -4, 9, 405},
        {kLabel1Left, "Label1(1)", "Static", L"", 0, 0, 9, 397},
        {kLabel1Bottom, "Label1(2)", "Static", L"", 0, 392, 577, 21},
        {kLabel1Top, "Label1(3)", "Static", L"", 4, 0, 577, 77},
        {kImage1, "Image1", "Static", kAny, 8, 8, 542, 60},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        HWND control = Control(row.id);
        ASSERT_NE(control, nullptr);
        EXPECT_TRUE(IsWindowVisible(control));
        EXPECT_EQ(GetParent(control), row.id == kText1 ? GetDlgItem(window, kFrame1) : window);
        if (row.windowClass) {
            char name[64] = {};
            GetClassNameA(control, name, sizeof name);
            EXPECT_STRCASEEQ(name, row.windowClass);
        }
        if (row.text) {
            EXPECT_EQ(TextOf(control), ToAnsi(row.text));
        }
        const RECT at = Placement(control);
        EXPECT_EQ(at.left, row.left);
        EXPECT_EQ(at.top, row.top);
        EXPECT_EQ(at.right, row.width);
        EXPECT_EQ(at.bottom, row.height);
    }
}

TEST_F(F1Window, ControlsAreOfTheirKindAndStartAsTheDesignSays) {
    auto style = [&](int id) { return GetWindowLongA(Control(id), GWL_STYLE); };
    for (int id : {kOp1Accept, kOp1Decline})
        EXPECT_EQ(style(id) & BS_TYPEMASK, BS_AUTORADIOBUTTON) << id;
    for (int id : {kBOK, kBCancel}) {
        const LONG type = style(id) & BS_TYPEMASK;
        EXPECT_TRUE(type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON || type == BS_OWNERDRAW) << id << ": " << type;
    }
    EXPECT_EQ(style(kText1) & (ES_MULTILINE | ES_READONLY | WS_VSCROLL), ES_MULTILINE | ES_READONLY | WS_VSCROLL);
    EXPECT_EQ(style(kLabel2) & SS_TYPEMASK, SS_CENTER);

    EXPECT_FALSE(IsWindowEnabled(Control(kBOK))) << "Install, before the terms are accepted";
    EXPECT_TRUE(IsWindowEnabled(Control(kBCancel)));
    EXPECT_FALSE(Checked(kOp1Accept));
    EXPECT_TRUE(Checked(kOp1Decline));
    // Tests run side by side on one display may take the activation; only an active F1 has a focus.
    if (GetForegroundWindow() == window) {
        EXPECT_EQ(GetFocus(), Control(kBCancel)) << "the first control that takes the focus";
    }

    // The terms cannot be typed over.
    const std::string before = TextOf(Control(kText1));
    SendMessageA(Control(kText1), WM_CHAR, 'x', 0);
    EXPECT_EQ(TextOf(Control(kText1)), before);

    HBITMAP banner = reinterpret_cast<HBITMAP>(SendMessageA(Control(kImage1), STM_GETIMAGE, IMAGE_BITMAP, 0));
    BITMAP picture = {};
    ASSERT_TRUE(banner && GetObjectA(banner, sizeof picture, &picture)) << "Image1 shows the banner";
    EXPECT_EQ(picture.bmWidth, 542);
    EXPECT_EQ(picture.bmHeight, 60);
}

// The terms are wrapped by hand for Text1's width in Verdana 9 pt: no line may wrap again.
// Wine has no Verdana; the face it takes instead (DejaVu Sans, from Verdana's own
// forerunner) has nearly its widths.
TEST_F(F1Window, TermsFitText1AsWrapped) {
    HWND text1 = Control(kText1);
    const std::string text = TextOf(text1);
    const int lines = static_cast<int>(SendMessageA(text1, EM_GETLINECOUNT, 0, 0));
    for (int line = 1; line < lines; ++line) {
        const int start = static_cast<int>(SendMessageA(text1, EM_LINEINDEX, line, 0));
        const bool hard = start >= 2 && text.compare(start - 2, 2, "\r\n") == 0;
        if (!hard) {
            const size_t from = text.rfind("\r\n", start);
            const size_t begin = from == std::string::npos ? 0 : from + 2;
            ADD_FAILURE() << "wraps again: \"" << text.substr(begin, text.find("\r\n", begin) - begin) << "\"";
        }
    }
}

TEST_F(F1Window, FontsAreTheDesignsOnes) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    struct {
        int id;
        const char* name;
        const char* face;
        int hundredthsOfPoint;
        bool bold;
    } const rows[] = {
        {kText1, "Text1", "Verdana", 900, false},
        {kLabel2, "Label2", "Verdana", 1200, false},
        {kBOK, "bOK", "Arial", 825, true},
        {kBCancel, "bCancel", "Arial", 825, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LOGFONTA font = {};
        ASSERT_TRUE(GetObjectA(reinterpret_cast<HFONT>(SendMessageA(Control(row.id), WM_GETFONT, 0, 0)), sizeof font,
                               &font));
        EXPECT_STREQ(font.lfFaceName, row.face);
        EXPECT_EQ(font.lfHeight, -MulDiv(row.hundredthsOfPoint, dpi, 7200)) << "at " << dpi << " dpi";
        EXPECT_EQ(font.lfWeight, row.bold ? FW_BOLD : FW_NORMAL);
        EXPECT_FALSE(font.lfItalic);
    }
    // The options keep the window's default font.
    for (int id : {kOp1Accept, kOp1Decline})
        EXPECT_EQ(reinterpret_cast<HGDIOBJ>(SendMessageA(Control(id), WM_GETFONT, 0, 0)),
                  GetStockObject(DEFAULT_GUI_FONT))
            << id;
}

// What F1 (through Frame1 for Text1) answers when a control asks for its colours.
TEST_F(F1Window, ControlsAskingForColoursGetTheDesignsOnes) {
    const COLORREF kUnset = RGB(255, 0, 255);
    struct {
        int id;
        const char* name;
        COLORREF text;  // kUnset: the control has no text
        COLORREF back;
    } const rows[] = {
        {kText1, "Text1", kNavy, kWhite},
        {kOp1Accept, "Op1(0)", kNavy, kLightBlue},
        {kOp1Decline, "Op1(1)", kNavy, kLightBlue},
        {kLabel2, "Label2", kNavy, kLightBlue},
        {kLabel1Right, "Label1(0)", kUnset, kDarkBlue},
        {kLabel1Left, "Label1(1)", kUnset, kDarkBlue},
        {kLabel1Bottom, "Label1(2)", kUnset, kDarkBlue},
        {kLabel1Top, "Label1(3)", kUnset, kDarkBlue},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        HWND control = Control(row.id);
        HDC dc = CreateCompatibleDC(nullptr);
        SetTextColor(dc, kUnset);
        SetBkColor(dc, kUnset);
        auto brush = reinterpret_cast<HGDIOBJ>(SendMessageA(GetParent(control), WM_CTLCOLORSTATIC,
                                                            reinterpret_cast<WPARAM>(dc),
                                                            reinterpret_cast<LPARAM>(control)));
        LOGBRUSH fill = {};
        ASSERT_TRUE(brush && GetObjectA(brush, sizeof fill, &fill)) << "a brush";
        EXPECT_EQ(Hex(fill.lbColor), Hex(row.back)) << "brush";
        EXPECT_EQ(Hex(GetBkColor(dc)), Hex(row.back)) << "text background";
        if (row.text != kUnset) {
            EXPECT_EQ(Hex(GetTextColor(dc)), Hex(row.text)) << "text";
        }
        DeleteDC(dc);
    }
}

// The painted window, read back from its own surface (so no other window on the display
// can come between).
TEST_F(F1Window, PaintsTheDesignsColours) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    Pump();
    const COLORREF kBannerBlue = RGB(0, 0, 150);  // art/make-art.sh
    struct {
        const char* what;
        int x, y;  // client coordinates
        COLORREF colour;
        int tolerance;  // per channel, for the banner's reduced palette
    } const rows[] = {
        {"the window's background", 340, 150, kLightBlue, 0},
        {"Label2 below its text", 444, 292, kLightBlue, 0},
        {"Label1(0), the right bar", 560, 200, kDarkBlue, 0},
        {"Label1(1), the left bar", 4, 200, kDarkBlue, 0},
        {"Label1(2), the bottom bar", 300, 400, kDarkBlue, 0},
        {"Label1(3), the band below the banner", 300, 72, kDarkBlue, 0},
        {"Frame1 left of Text1", 20, 200, kWhite, 0},
        {"Frame1 below Text1", 100, 335, kWhite, 0},
        {"bOK's face", 361, 357, kWhite, 0},
        {"bCancel's face", 469, 357, kWhite, 0},
        {"Image1's dark blue", 538, 38, kBannerBlue, 12},
        {"Image1's light stripe at its left end", 10, 16, kLightBlue, 24},
        {"Image1 over the left bar", 8, 30, kLightBlue, 24},
    };
    HDC dc = GetDCEx(window, nullptr, DCX_CACHE);  // without DCX_CLIPCHILDREN: the children's pixels too
    for (const auto& row : rows) {
        SCOPED_TRACE(row.what);
        const COLORREF got = GetPixel(dc, row.x, row.y);
        ASSERT_NE(got, CLR_INVALID) << "at " << row.x << ", " << row.y;
        const bool matches = std::abs(GetRValue(got) - GetRValue(row.colour)) <= row.tolerance &&
                          std::abs(GetGValue(got) - GetGValue(row.colour)) <= row.tolerance &&
                          std::abs(GetBValue(got) - GetBValue(row.colour)) <= row.tolerance;
        EXPECT_TRUE(matches) << "at " << row.x << ", " << row.y << ": expected " << Hex(row.colour) << ", got "
                          << Hex(got);
    }
    ReleaseDC(window, dc);
}

std::vector<int> ChildIds(HWND parent) {
    std::vector<int> ids;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        ids.push_back(GetDlgCtrlID(child));
    return ids;
}

std::vector<int> TabWalk(HWND window, HWND from) {
    std::vector<int> ids;
    HWND at = from;
    do {
        ids.push_back(GetDlgCtrlID(at));
        at = GetNextDlgTabItem(window, at, FALSE);
    } while (at && at != from && ids.size() < 20);
    return ids;
}

TEST_F(F1Window, TabOrderIsTheDesignsAndOnlyButtonsOptionsAndTextTakeTheFocus) {
    // Image1 lies on top of the band; after it the controls come in tab order.
    EXPECT_EQ(ChildIds(window), (std::vector<int>{kImage1, kBOK, kBCancel, kOp1Accept, kOp1Decline, kLabel2,
                                                  kLabel1Right, kLabel1Left, kLabel1Bottom, kFrame1, kLabel1Top}));
    EXPECT_EQ(ChildIds(Control(kFrame1)), std::vector<int>{kText1});
    // Of the two options the selected one is the tab stop: radio buttons move it with the check.
    for (int id : {kImage1, kBOK, kBCancel, kOp1Accept, kOp1Decline, kLabel2, kLabel1Right, kLabel1Left,
                   kLabel1Bottom, kFrame1, kText1, kLabel1Top}) {
        const bool stop = (GetWindowLongA(Control(id), GWL_STYLE) & WS_TABSTOP) != 0;
        EXPECT_EQ(stop, id == kBOK || id == kBCancel || id == kOp1Decline || id == kText1) << id;
    }
    // Install is disabled, so the tab key passes it by until the terms are accepted.
    EXPECT_EQ(TabWalk(window, Control(kBCancel)), (std::vector<int>{kBCancel, kOp1Decline, kText1}));
    SendMessageA(Control(kOp1Accept), BM_CLICK, 0, 0);
    EXPECT_EQ(TabWalk(window, Control(kBOK)), (std::vector<int>{kBOK, kBCancel, kOp1Accept, kText1}));
}

TEST_F(F1Window, InstallIsEnabledExactlyWhileTheTermsAreAccepted) {
    struct {
        const char* what;
        int click;   // 0: none
        bool mouse;  // a press and release of the left button instead of BM_CLICK
        bool accepted;
    } const steps[] = {
        {"at start", 0, false, false},
        {"I accept", kOp1Accept, false, true},
        {"I accept again", kOp1Accept, true, true},
        {"I do not accept", kOp1Decline, true, false},
        {"I do not accept again", kOp1Decline, false, false},
        {"I accept once more", kOp1Accept, true, true},
        {"I accept yet again", kOp1Accept, false, true},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        if (step.click && step.mouse) {
            SendMessageA(Control(step.click), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(4, 4));
            SendMessageA(Control(step.click), WM_LBUTTONUP, 0, MAKELPARAM(4, 4));
        } else if (step.click) {
            SendMessageA(Control(step.click), BM_CLICK, 0, 0);
        }
        Pump();
        EXPECT_EQ(Checked(kOp1Accept), step.accepted);
        EXPECT_EQ(Checked(kOp1Decline), !step.accepted);
        EXPECT_EQ(IsWindowEnabled(Control(kBOK)) != FALSE, step.accepted) << "Install";
    }
}

// The resources of the shipped program, read from its file.
class KivsetupFile : public ::testing::Test {
protected:
    void SetUp() override {
        path = ToAnsi(testing::BuiltFile(L"installer\\kivsetup.exe"));
        module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr) << path;
    }
    void TearDown() override {
        if (module)
            FreeLibrary(module);
    }
    std::string Resource(LPCSTR type, LPCSTR name) const {
        HRSRC found = FindResourceA(module, name, type);
        if (!found)
            return std::string();
        const char* bytes = static_cast<const char*>(LockResource(LoadResource(module, found)));
        return std::string(bytes, SizeofResource(module, found));
    }
    std::string path;
    HMODULE module = nullptr;
};

TEST_F(KivsetupFile, CarriesA32By32IconOf256Colours) {
    const std::string group = Resource(RT_GROUP_ICON, MAKEINTRESOURCEA(1));
    ASSERT_EQ(group.size(), 6u + 14u) << "one image";
    const auto* entry = reinterpret_cast<const unsigned char*>(group.data() + 6);
    EXPECT_EQ(entry[0], 32) << "width";
    EXPECT_EQ(entry[1], 32) << "height";
    EXPECT_EQ(entry[2], 0) << "256 colours";
    WORD bits = 0;
    WORD id = 0;
    std::memcpy(&bits, entry + 6, 2);
    std::memcpy(&id, entry + 12, 2);
    EXPECT_EQ(bits, 8);

    const std::string image = Resource(RT_ICON, MAKEINTRESOURCEA(id));
    ASSERT_GE(image.size(), sizeof(BITMAPINFOHEADER));
    BITMAPINFOHEADER header;
    std::memcpy(&header, image.data(), sizeof header);
    EXPECT_EQ(header.biWidth, 32);
    EXPECT_EQ(header.biHeight, 64) << "the picture and its mask";
    EXPECT_EQ(header.biBitCount, 8);
}

TEST_F(KivsetupFile, CarriesTheBannerAsA542By60Gif) {
    const std::string gif = Resource("GIF", MAKEINTRESOURCEA(1));
    ASSERT_GE(gif.size(), 10u);
    EXPECT_TRUE(gif.compare(0, 6, "GIF89a") == 0 || gif.compare(0, 6, "GIF87a") == 0) << gif.substr(0, 6);
    const auto* bytes = reinterpret_cast<const unsigned char*>(gif.data());
    EXPECT_EQ(bytes[6] | bytes[7] << 8, 542);
    EXPECT_EQ(bytes[8] | bytes[9] << 8, 60);
}

TEST_F(KivsetupFile, CarriesItsVersionRecord) {
    DWORD ignored = 0;
    std::vector<char> info(GetFileVersionInfoSizeA(path.c_str(), &ignored));
    ASSERT_FALSE(info.empty()) << path;
    ASSERT_TRUE(GetFileVersionInfoA(path.c_str(), 0, static_cast<DWORD>(info.size()), info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT size = 0;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &size));
    EXPECT_EQ(fixed->dwFileVersionMS, 0x00010009u);
    EXPECT_EQ(fixed->dwFileVersionLS, 501u);
    EXPECT_EQ(fixed->dwProductVersionMS, 0x00010009u);
    EXPECT_EQ(fixed->dwProductVersionLS, 501u);

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation), &size));
    ASSERT_EQ(size, 4u);
    EXPECT_EQ(translation[0], 0x0409);
    EXPECT_EQ(translation[1], 0x04B0);

    struct {
        const char* name;
        const char* value;  // nullptr: not in the record
    } const strings[] = {
        {"FileDescription", "Tessaline Installer 3"}, {"CompanyName", "Orvando"},
        {"FileVersion", "1.09.0501"},                 {"ProductVersion", "1.09.0501"},
        {"InternalName", "kivsetup"},                 {"OriginalFilename", "kivsetup.exe"},
        {"Comments", nullptr},                        {"ProductName", nullptr},
    };
    for (const auto& row : strings) {
        SCOPED_TRACE(row.name);
        char* value = nullptr;
        const std::string query = std::string("\\StringFileInfo\\040904B0\\") + row.name;
        const bool found = VerQueryValueA(info.data(), query.c_str(), reinterpret_cast<void**>(&value), &size) && value;
        EXPECT_EQ(found, row.value != nullptr);
        if (found && row.value) {
            EXPECT_STREQ(value, row.value);
        }
    }
}

}  // namespace
}  // namespace tessaline
