#include "F1.h"

#include <objbase.h>
#include <olectl.h>

#include <cstring>

#include "Boundary.h"
#include "InstallerResources.h"
#include "ModInstaller.h"
#include "TermsText.h"
#include "Win32Util.h"

namespace tessaline {
namespace {

const COLORREF kLightBlue = RGB(130, 192, 255);
const COLORREF kNavy = RGB(0, 0, 128);
const COLORREF kDarkBlue = RGB(0, 0, 198);
const COLORREF kWhite = RGB(255, 255, 255);

// F1's layout in twips; pixels follow from the screen's DPI, so that the layout grows with
// the fonts (96 DPI: 15 twips a pixel).
const int kClientWidth = 8445;
const int kClientHeight = 6075;

const char kWindowClass[] = "TessalineSetup";
const char kFrameClass[] = "TessalineFrame";

struct ControlLayout {
    F1Control id;
    bool inFrame;
    const char* windowClass;
    const wchar_t* text;
    DWORD style;
    DWORD exStyle;
    int left, top, width, height;  // twips; a width of 0 keeps the picture's own size
};

const wchar_t kLabel2Text[] = L"Install Tessaline property page extension for Windows NT4, 2000 and XP.";

// Relative to the client area (Text1: to Frame1). Child windows stack in the order made, the
// first on top, and the dialog manager tabs in that order: Image1 comes first so that it
// lies on the band, the rest in tab order. Only the buttons, the selected option (radio
// buttons move WS_TABSTOP with the check) and Text1 take the focus.
const ControlLayout kControls[] = {
    {kImage1, false, "Static", L"", SS_BITMAP, 0, 120, 120, 0, 0},
    {kBOK, false, "Button", L"Install", BS_OWNERDRAW | WS_TABSTOP | WS_GROUP | WS_DISABLED, 0, 5340, 5280, 1035, 375},
    {kBCancel, false, "Button", L"Cancel", BS_OWNERDRAW | WS_TABSTOP | WS_GROUP, 0, 6960, 5280, 1035, 375},
    {kOp1Accept, false, "Button", L"I accept license.", BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP, 0, 480, 5280, 4455,
     195},
    {kOp1Decline, false, "Button", L"I do not accept license.", BS_AUTORADIOBUTTON, 0, 480, 5520, 4455, 195},
    {kLabel2, false, "Static", kLabel2Text, SS_CENTER | WS_GROUP, 0, 5280, 2640, 2775, 1815},
    {kLabel1Right, false, "Static", L"", 0, 0, 8340, -60, 135, 6075},
    {kLabel1Left, false, "Static", L"", 0, 0, 0, 0, 135, 5955},
    {kLabel1Bottom, false, "Static", L"", 0, 0, 0, 5880, 8655, 315},
    {kFrame1, false, kFrameClass, L"", 0, WS_EX_CONTROLPARENT, 200, 1200, 4755, 3915},
    {kText1, true, "Edit", kTermsText, ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL | WS_VSCROLL | WS_TABSTOP | WS_GROUP,
     WS_EX_CLIENTEDGE, 240, 180, 4515, 3555},
    {kLabel1Top, false, "Static", L"", 0, 0, 60, 0, 8655, 1155},
};

// The screen's pixels per inch, across and down.
struct Dpi {
    int x = 96, y = 96;
    Dpi() {
        HDC screen = GetDC(nullptr);
        x = GetDeviceCaps(screen, LOGPIXELSX);
        y = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
    // Positions to the nearest pixel, sizes up to the next one, so that no control is smaller
    // than its twips (an option button is one line of its font high). Both are exact at 96 DPI.
    int Across(int twips) const { return MulDiv(twips, x, 1440); }
    int Down(int twips) const { return MulDiv(twips, y, 1440); }
    int Width(int twips) const { return (twips * x + 1439) / 1440; }
    int Height(int twips) const { return (twips * y + 1439) / 1440; }
};

struct Brushes {
    HBRUSH lightBlue = CreateSolidBrush(kLightBlue);
    HBRUSH darkBlue = CreateSolidBrush(kDarkBlue);
    HBRUSH white = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
};

const Brushes& ColourBrushes() {
    static const Brushes brushes;  // for the program's life, like the window classes
    return brushes;
}

// What F1 owns besides its windows. There is one F1 at a time.
struct F1Owned {
    HFONT text1Font = nullptr;
    HFONT label2Font = nullptr;
    HFONT buttonFont = nullptr;
    HBITMAP banner = nullptr;
    HWND lastFocus = nullptr;
    // From Install on. F1 keeps answering while regsvr32 is awaited, so nothing may start
    // the install again or take F1 down under it meanwhile.
    bool installing = false;
};
F1Owned g_owned;

// Sizes in hundredths of a point, so that 8.25 pt is exact (825).
HFONT MakeFont(const char* face, int hundredths, bool bold) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return CreateFontA(-MulDiv(hundredths, dpi, 7200), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                       ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS,
                       face);
}

// The banner is a GIF, which GDI cannot read; OLE's picture loader can, on every system
// the installer supports.
HBITMAP LoadBanner(HINSTANCE instance) {
    HRSRC found = FindResourceA(instance, MAKEINTRESOURCEA(IDR_BANNER), "GIF");
    const DWORD size = found ? SizeofResource(instance, found) : 0;
    const void* bytes = size ? LockResource(LoadResource(instance, found)) : nullptr;
    if (!bytes)
        return nullptr;
    UniqueHGlobal copy(GlobalAlloc(GMEM_MOVEABLE, size));
    if (!copy)
        return nullptr;
    {
        UniqueGlobalLock locked(copy.get());
        if (locked.get() == nullptr)
            return nullptr;
        std::memcpy(locked.get(), bytes, size);
    }

    const bool comStarted = SUCCEEDED(CoInitialize(nullptr));
    HBITMAP bitmap = nullptr;
    {
        ComPtr<IStream> stream;
        if (SUCCEEDED(CreateStreamOnHGlobal(copy.get(), TRUE, stream.put()))) {
            copy.release();  // the stream frees it now
            ComPtr<IPicture> picture;
            OLE_HANDLE handle = 0;
            if (SUCCEEDED(OleLoadPicture(stream.get(), static_cast<LONG>(size), FALSE, IID_IPicture,
                                         picture.put_void())) &&
                SUCCEEDED(picture->get_Handle(&handle)) && handle)
                // Our own copy, so that the picture and COM can go now.
                bitmap = static_cast<HBITMAP>(CopyImage(reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(handle)),
                                                        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        }
    }
    if (comStarted)
        CoUninitialize();
    return bitmap;
}

// The banner grows with the layout, as the band it lies on does: kept at its own size, it
// would leave a patch of its own, darker blue on the band at 120 and 144 DPI.
HBITMAP ScaledToScreen(HBITMAP banner, const Dpi& dpi) {
    BITMAP size = {};
    if (banner == nullptr || !GetObjectA(banner, sizeof size, &size) || (dpi.x == 96 && dpi.y == 96))
        return banner;
    HANDLE scaled = CopyImage(banner, IMAGE_BITMAP, MulDiv(size.bmWidth, dpi.x, 96), MulDiv(size.bmHeight, dpi.y, 96),
                              LR_CREATEDIBSECTION | LR_COPYDELETEORG);
    return scaled != nullptr ? static_cast<HBITMAP>(scaled) : banner;
}

bool MakeControls(HWND window, HINSTANCE instance) {
    const Dpi dpi;
    for (const ControlLayout& layout : kControls) {
        HWND parent = layout.inFrame ? GetDlgItem(window, kFrame1) : window;
        HWND control = CreateWindowExA(layout.exStyle, layout.windowClass, ToAnsi(layout.text).c_str(),
                                       WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | layout.style, dpi.Across(layout.left),
                                       dpi.Down(layout.top), dpi.Width(layout.width), dpi.Height(layout.height), parent,
                                       reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)), instance, nullptr);
        if (!control)
            return false;
    }
    g_owned.text1Font = MakeFont("Verdana", 900, false);
    g_owned.label2Font = MakeFont("Verdana", 1200, false);
    g_owned.buttonFont = MakeFont("Arial", 825, true);
    const struct {
        int id;
        HFONT font;
    } fonts[] = {
        {kText1, g_owned.text1Font},
        {kLabel2, g_owned.label2Font},
        {kBOK, g_owned.buttonFont},
        {kBCancel, g_owned.buttonFont},
        {kOp1Accept, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))},
        {kOp1Decline, static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT))},
    };
    for (const auto& f : fonts) {
        HWND control = GetDlgItem(window, f.id);
        if (!control)
            control = GetDlgItem(GetDlgItem(window, kFrame1), f.id);
        SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(f.font), FALSE);
    }
    g_owned.banner = ScaledToScreen(LoadBanner(instance), dpi);
    if (g_owned.banner)
        SendDlgItemMessageA(window, kImage1, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(g_owned.banner));
    CheckRadioButton(window, kOp1Accept, kOp1Decline, kOp1Decline);
    return true;
}

void FreeOwned() {
    for (HGDIOBJ object : {static_cast<HGDIOBJ>(g_owned.text1Font), static_cast<HGDIOBJ>(g_owned.label2Font),
                           static_cast<HGDIOBJ>(g_owned.buttonFont), static_cast<HGDIOBJ>(g_owned.banner)})
        if (object)
            DeleteObject(object);
    g_owned = F1Owned();
}

// Answers WM_CTLCOLORSTATIC (read-only edit, labels, options, picture) by the control.
LRESULT ControlColours(HDC dc, HWND control) {
    const Brushes& brushes = ColourBrushes();
    switch (GetDlgCtrlID(control)) {
    case kText1:
        SetTextColor(dc, kNavy);
        SetBkColor(dc, kWhite);
        return reinterpret_cast<LRESULT>(brushes.white);
    case kOp1Accept:
    case kOp1Decline:
    case kLabel2:
        SetTextColor(dc, kNavy);
        SetBkColor(dc, kLightBlue);
        return reinterpret_cast<LRESULT>(brushes.lightBlue);
    default:  // the Label1 bars, and Image1 where its picture is missing
        SetBkColor(dc, kDarkBlue);
        return reinterpret_cast<LRESULT>(brushes.darkBlue);
    }
}

// bOK and bCancel: push buttons with a white face.
void DrawWhiteButton(const DRAWITEMSTRUCT& item) {
    HDC dc = item.hDC;
    RECT face = item.rcItem;
    const bool pressed = (item.itemState & ODS_SELECTED) != 0;
    DrawEdge(dc, &face, pressed ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | BF_ADJUST);
    FillRect(dc, &face, ColourBrushes().white);
    if (pressed)
        OffsetRect(&face, 1, 1);

    char text[64] = {};
    GetWindowTextA(item.hwndItem, text, sizeof text);
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(item.hwndItem, WM_GETFONT, 0, 0)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, (item.itemState & ODS_DISABLED) ? GetSysColor(COLOR_GRAYTEXT) : RGB(0, 0, 0));
    DrawTextA(dc, text, -1, &face, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    SelectObject(dc, oldFont);

    if (item.itemState & ODS_FOCUS) {
        RECT focus = item.rcItem;
        InflateRect(&focus, -4, -4);
        DrawFocusRect(dc, &focus);
    }
}

void OnCommand(HWND window, int id, int code) {
    if (code != BN_CLICKED || g_owned.installing)
        return;
    switch (id) {
    case IDOK: {
        // Enter, as the dialog manager hands it on: the buttons are owner-drawn, so it does not
        // press them itself. Enter presses the focused one, as Space does.
        HWND focus = GetFocus();
        const int focused = GetDlgCtrlID(focus);
        if (focus != nullptr && IsChild(window, focus) && (focused == kBOK || focused == kBCancel))
            SendMessageA(focus, BM_CLICK, 0, 0);
        break;
    }
    case kOp1Accept:
    case kOp1Decline:
        EnableWindow(GetDlgItem(window, kBOK), IsDlgButtonChecked(window, kOp1Accept) == BST_CHECKED);
        break;
    case kBOK:
        // Nothing changes while the install runs: it ends the program itself, with its message.
        g_owned.installing = true;
        for (int control : {kOp1Accept, kOp1Decline, kBOK, kBCancel})
            EnableWindow(GetDlgItem(window, control), FALSE);
        SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
        RunInstall();
    case kBCancel:
        QuitInstaller();
    }
}

LRESULT F1Message(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        return MakeControls(window, reinterpret_cast<CREATESTRUCTA*>(lParam)->hInstance) ? 0 : -1;
    case WM_CTLCOLORSTATIC:
        return ControlColours(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case WM_DRAWITEM:
        DrawWhiteButton(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
        return TRUE;
    case WM_COMMAND:
        OnCommand(window, LOWORD(wParam), HIWORD(wParam));
        return 0;
    case WM_ACTIVATE:
        // As a dialog does: the focus leaves with the window and comes back to where it was.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = GetFocus();
            if (focus && IsChild(window, focus))
                g_owned.lastFocus = focus;
        } else if (!HIWORD(wParam)) {
            HWND focus = g_owned.lastFocus;
            if (!focus || !IsWindow(focus) || !IsWindowEnabled(focus))
                focus = GetNextDlgTabItem(window, nullptr, FALSE);
            SetFocus(focus);
            return 0;
        }
        break;
    case WM_CLOSE:
        if (g_owned.installing)
            return 0;  // the install ends the program itself, with its message
        break;
    case WM_SETCURSOR:
        if (g_owned.installing) {
            SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
            return TRUE;
        }
        break;
    case WM_NEXTDLGCTL: {
        // Tab from Text1, which a multi-line edit hands to its parent: on through F1's tab order.
        HWND next = lParam ? reinterpret_cast<HWND>(wParam) : GetNextDlgTabItem(window, GetFocus(), wParam != 0);
        if (next != nullptr)
            SetFocus(next);
        return 0;
    }
    case WM_DESTROY:
        // Closed by its close box (or taken down by QuitInstaller): the program ends.
        SetInstallerWindow(nullptr);
        PostQuitMessage(0);
        return 0;
    case WM_NCDESTROY:
        FreeOwned();  // the children, which show these, are gone by now
        break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

LRESULT CALLBACK F1Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return WindowBoundary(message == WM_CREATE ? -1 : 0, [&] { return F1Message(window, message, wParam, lParam); });
}

// Frame1 paints white and passes its child's colour questions, notifications and Tab on to
// F1. Esc in Text1 asks it to close, which a panel does not do.
LRESULT CALLBACK FrameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam) {
    return WindowBoundary(0, [&] {
        switch (message) {
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
        case WM_COMMAND:
        case WM_NEXTDLGCTL:
            return SendMessageA(GetParent(frame), message, wParam, lParam);
        case WM_CLOSE:
            return LRESULT(0);
        }
        return DefWindowProcA(frame, message, wParam, lParam);
    });
}

void RegisterClasses(HINSTANCE instance) {
    WNDCLASSA form = {};
    form.lpfnWndProc = F1Proc;
    form.hInstance = instance;
    form.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(IDI_KIVSETUP));
    form.hCursor = LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW));
    form.hbrBackground = ColourBrushes().lightBlue;
    form.lpszClassName = kWindowClass;
    RegisterClassA(&form);  // fails harmlessly when already there

    WNDCLASSA panel = {};
    panel.lpfnWndProc = FrameProc;
    panel.hInstance = instance;
    panel.hCursor = form.hCursor;
    panel.hbrBackground = ColourBrushes().white;
    panel.lpszClassName = kFrameClass;
    RegisterClassA(&panel);
}

}  // namespace

HWND ShowF1(HINSTANCE instance) {
    RegisterClasses(instance);
    // A fixed frame: the layout follows the DPI, not the frame.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    const Dpi dpi;
    RECT outer = {0, 0, dpi.Width(kClientWidth), dpi.Height(kClientHeight)};
    AdjustWindowRectEx(&outer, style, FALSE, 0);
    const int width = outer.right - outer.left;
    const int height = outer.bottom - outer.top;
    HWND window = CreateWindowExA(0, kWindowClass, "Tessaline", style, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                                  (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height, nullptr, nullptr,
                                  instance, nullptr);
    if (!window)
        return nullptr;
    SetInstallerWindow(window);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    return window;
}

HWND FindRunningF1() { return FindWindowA(kWindowClass, nullptr); }

}  // namespace tessaline
