#include "backend/win32/win32_about_window.h"

#include "about/maker.h"
#include "backend/win32/composite_window.h"
#include "backend/win32/floating_point.h"
#include "backend/win32/glyph_drawing.h"
#include "backend/win32/host_entry.h"
#include "backend/win32/point_font.h"
#include "backend/win32/screen_units.h"
#include "backend/win32/window_owners.h"
#include "common/calculator_glyph.h"
#include "common/described_error.h"
#include "common/scope_exit.h"
#include "win32com/module.h"
#include "win32com/text_conversion.h"

#include <commctrl.h>

#include <string>
#include <vector>

namespace quillomet::win32 {
namespace {

enum Id { Ok = IDOK, SysInfo = 100, Email, Web };

// Positions in twips, as the dialog is laid out.
struct Place {
    int left, top, width, height;
};
constexpr int ClientWidth = 6045, ClientHeight = 4350;

// The dialog's three letterings, all MS Sans Serif.
enum class Lettering { Normal, Title, Link };

struct Dialog {
    AboutWindowEvents* events = nullptr;
    AboutClose closed = AboutClose::CloseBox;
    bool done = false;
    HWND email = nullptr, web = nullptr;
    // Each child with its place and lettering, to lay out again at another
    // resolution.
    struct Placed {
        HWND window;
        Place at;
        Lettering lettering;
    };
    std::vector<Placed> children;
    int dpi = 96;
    // Kept until the window that draws with them is gone, in Lettering's order.
    std::vector<com::unique_hfont> fonts;
};

HWND Child(Dialog& dialog, HWND parent, const wchar_t* kind, const std::string& text, DWORD style,
           Place at, int id, Lettering lettering = Lettering::Normal) {
    HWND child = CreateWindowExW(
        0, kind, Utf8ToWide(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
    dialog.children.push_back({child, at, lettering});
    return child;
}

// The children placed and lettered for `dpi` pixels per inch; the fonts of
// the old resolution go after the children left them.
void Scale(Dialog& dialog, int dpi) {
    dialog.dpi = dpi;
    std::vector<com::unique_hfont> fonts;
    fonts.push_back(PointFont(L"MS Sans Serif", 8.25, false, false, dpi));
    fonts.push_back(PointFont(L"MS Sans Serif", 13.5, true, false, dpi));
    fonts.push_back(PointFont(L"MS Sans Serif", 8.25, false, true, dpi));
    const auto pixels = [dpi](int twips) { return TwipsToPixels(twips, dpi); };
    for (const Dialog::Placed& child : dialog.children) {
        MoveWindow(child.window, pixels(child.at.left), pixels(child.at.top),
                   pixels(child.at.width), pixels(child.at.height), TRUE);
        SendMessageW(
            child.window, WM_SETFONT,
            reinterpret_cast<WPARAM>(fonts[static_cast<std::size_t>(child.lettering)].get()), TRUE);
    }
    dialog.fonts.swap(fonts);
}

void AddTip(HWND tips, HWND dialog, HWND tool, const wchar_t* text) {
    TOOLINFOW info{};
    info.cbSize = sizeof info;
    info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    info.hwnd = dialog;
    info.uId = reinterpret_cast<UINT_PTR>(tool);
    info.lpszText = const_cast<LPWSTR>(text);
    SendMessageW(tips, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
}

LRESULT CALLBACK AboutProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
    auto* dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    return EnterFromWindow("about dialog", [&]() -> LRESULT {
        switch (message) {
        case WM_COMMAND:
            if (!dialog)
                break;
            switch (LOWORD(wParam)) {
            case Ok:
            case IDCANCEL: // Enter and Esc press OK
                dialog->closed = AboutClose::Ok;
                dialog->done = true;
                return 0;
            case SysInfo:
                dialog->events->OnSysInfo();
                return 0;
            case Email:
                if (HIWORD(wParam) == STN_CLICKED)
                    dialog->events->OnEmail();
                return 0;
            case Web:
                if (HIWORD(wParam) == STN_CLICKED)
                    dialog->events->OnWeb();
                return 0;
            default:
                break;
            }
            break;
        case WM_CLOSE: // the close box keeps the dialog for the next showing
            if (dialog) {
                dialog->closed = AboutClose::CloseBox;
                dialog->done = true;
            }
            return 0;
        // The icon: the calculator glyph at its design size in the screen's
        // pixels, centred on white.
        case WM_DRAWITEM: {
            const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
            if (!item || item->CtlType != ODT_STATIC)
                break;
            const COLORREF saved = SetBkColor(item->hDC, RGB(255, 255, 255));
            ExtTextOutW(item->hDC, 0, 0, ETO_OPAQUE, &item->rcItem, nullptr, 0, nullptr);
            SetBkColor(item->hDC, saved);
            const int size = MulDiv(calculator_glyph::Grid, dialog ? dialog->dpi : 96, 96);
            const int left = (item->rcItem.left + item->rcItem.right - size) / 2;
            const int top = (item->rcItem.top + item->rcItem.bottom - size) / 2;
            DrawGlyph(item->hDC, {left, top, left + size, top + size}, Glyph::Calculator);
            return TRUE;
        }
        // Moved to a screen of another resolution: the system proposes the
        // dialog's new place, and the same layout follows in its pixels.
        case WM_DPICHANGED:
            if (const auto* suggested = reinterpret_cast<const RECT*>(lParam))
                SetWindowPos(window, nullptr, suggested->left, suggested->top,
                             suggested->right - suggested->left, suggested->bottom - suggested->top,
                             SWP_NOZORDER | SWP_NOACTIVATE);
            if (dialog)
                Scale(*dialog, HIWORD(wParam));
            return 0;
        case WM_SETCURSOR:
            if (dialog && (reinterpret_cast<HWND>(wParam) == dialog->email ||
                           reinterpret_cast<HWND>(wParam) == dialog->web)) {
                SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_HAND)));
                return TRUE;
            }
            break;
        case WM_CTLCOLORSTATIC:
            if (dialog && (reinterpret_cast<HWND>(lParam) == dialog->email ||
                           reinterpret_cast<HWND>(lParam) == dialog->web)) {
                SetTextColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_HIGHLIGHT));
                SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
                return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
            }
            SetBkMode(reinterpret_cast<HDC>(wParam), TRANSPARENT);
            return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
        default:
            break;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    });
}

BOOL CALLBACK DisableOthers(HWND window, LPARAM list) {
    if (IsWindowVisible(window) && IsWindowEnabled(window)) {
        EnableWindow(window, FALSE);
        reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
    }
    return TRUE;
}

} // namespace

AboutClose Win32AboutWindow::ShowModal(const AboutTexts& texts, AboutWindowEvents& events) {
    const com::ServerLock serverLock;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = AboutProc;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    wc.lpszClassName = ClassName;
    RegisterOwnClass(wc);
    Dialog dialog;
    dialog.events = &events;
    constexpr DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_DLGFRAME;
    // The frame around the client area at `dpi`, centred on the screen:
    // left, top, width, height.
    const auto centredFrame = [](int dpi) {
        RECT frame{0, 0, TwipsToPixels(ClientWidth, dpi), TwipsToPixels(ClientHeight, dpi)};
        AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME);
        const int width = frame.right - frame.left, height = frame.bottom - frame.top;
        return RECT{(GetSystemMetrics(SM_CXSCREEN) - width) / 2,
                    (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height};
    };
    const int screenDpi = ScreenDpi();
    const RECT frame = centredFrame(screenDpi);
    HWND window = CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, ClassName,
                                  Utf8ToWide(texts.caption).c_str(), style, frame.left, frame.top,
                                  frame.right, frame.bottom, nullptr, nullptr,
                                  com::ModuleInstance(), nullptr);
    if (!window)
        throw DescribedError("the about dialog could not be created");

    // No owner; the thread's other windows wait while it is up. Whatever
    // ends the dialog, even a failure while building it, gives them back.
    // The fonts go with the dialog, after the window.
    std::vector<HWND> disabled;
    const scope_exit cleanup([&] {
        m_Window = nullptr;
        for (HWND other : disabled)
            EnableWindow(other, TRUE);
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        DestroyWindow(window);
    });
    m_Window = window;
    // The dialog, not yet visible, is passed over.
    EnumThreadWindows(GetCurrentThreadId(), &DisableOthers, reinterpret_cast<LPARAM>(&disabled));
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&dialog));

    HWND ok = Child(dialog, window, L"BUTTON", "OK", BS_DEFPUSHBUTTON | WS_TABSTOP,
                    {4579, 3086, 1260, 345}, Ok);
    Child(dialog, window, L"STATIC", "", SS_OWNERDRAW, {240, 240, 540, 540}, 0);
    Child(dialog, window, L"BUTTON", "&System Info...", BS_PUSHBUTTON | WS_TABSTOP,
          {4579, 3521, 1245, 345}, SysInfo);
    Child(dialog, window, L"STATIC", texts.description, SS_LEFT, {1050, 1125, 4473, 1605}, 0);
    Child(dialog, window, L"STATIC", texts.disclaimer, SS_CENTER, {255, 3043, 3870, 391}, 0);
    Child(dialog, window, L"STATIC", texts.title, SS_LEFT, {1050, 240, 4473, 480}, 0,
          Lettering::Title);
    Child(dialog, window, L"STATIC", texts.version, SS_LEFT, {1050, 780, 4473, 225}, 0);
    dialog.email = Child(dialog, window, L"STATIC", texts.email, SS_CENTER | SS_NOTIFY,
                         {607, 3477, 3195, 255}, Email, Lettering::Link);
    // One-line labels: a wider substitute font clips them rather than
    // wrapping their end out of sight.
    Child(dialog, window, L"STATIC", texts.webLabel, SS_LEFTNOWORDWRAP, {527, 3868, 703, 217}, 0);
    dialog.web = Child(dialog, window, L"STATIC", texts.web, SS_LEFTNOWORDWRAP | SS_NOTIFY,
                       {1278, 3868, 2556, 217}, Web, Lettering::Link);
    // The etched separator across the dialog.
    Child(dialog, window, L"STATIC", "", SS_ETCHEDHORZ, {90, 2880, 5851, 30}, 0);
    Scale(dialog, WindowDpi(window));
    // A window whose own resolution is not the screen's takes the frame of
    // its own, centred again.
    if (dialog.dpi != screenDpi) {
        const RECT own = centredFrame(dialog.dpi);
        SetWindowPos(window, nullptr, own.left, own.top, own.right, own.bottom,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }

    HWND tips = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                                0, 0, 0, 0, window, nullptr, nullptr, nullptr);
    const std::wstring emailTip = L" Send an e-mail to " + Utf8ToWide(maker::Name) + L" ";
    const std::wstring webTip = L" Visit the " + Utf8ToWide(maker::Name) + L" web site ";
    AddTip(tips, window, dialog.email, emailTip.c_str());
    AddTip(tips, window, dialog.web, webTip.c_str());

    ShowWindow(window, SW_SHOW);
    SetForegroundWindow(window);
    SetFocus(ok);
    MSG message{};
    BOOL got = 0;
    while (!dialog.done && (got = GetMessageW(&message, nullptr, 0, 0)) > 0) {
        if (!IsDialogMessageW(window, &message)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
    }
    if (!dialog.done && got == 0) // a quit request ends the dialog; pass it on
        PostQuitMessage(static_cast<int>(message.wParam));
    return dialog.closed;
}

void Win32AboutWindow::Raise() {
    if (m_Window)
        SetForegroundWindow(m_Window);
}

} // namespace quillomet::win32
