#include "backend/win32/win32_calculator_window.h"

#include "backend/win32/accessible_proxy.h"
#include "backend/win32/composite_window.h"
#include "backend/win32/floating_point.h"
#include "backend/win32/host_entry.h"
#include "backend/win32/on_demand_imports.h"
#include "backend/win32/point_font.h"
#include "backend/win32/screen_units.h"
#include "backend/win32/win32_text_box.h"
#include "backend/win32/window_owners.h"
#include "calculator/calculator_layout.h"
#include "common/described_error.h"
#include "win32com/module.h"
#include "win32com/text_conversion.h"

namespace quillomet::win32 {
namespace {

namespace layout = calculator_layout;

COLORREF Rgb(OleColor color) {
    return static_cast<COLORREF>(color & 0x00FFFFFF);
}

void RegisterClassOnce() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = DefWindowProcW; // replaced per window
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.lpszClassName = Win32CalculatorWindow::ClassName;
    RegisterOwnClass(wc);
}

} // namespace

Win32CalculatorWindow::Win32CalculatorWindow(CalculatorWindowEvents& events, int placementDpi)
    : m_Events(events), m_PlacementDpi(placementDpi) {
    RegisterClassOnce();
    constexpr DWORD style = WS_POPUP | WS_DLGFRAME | WS_CLIPCHILDREN;
    constexpr DWORD extended = WS_EX_TOOLWINDOW | WS_EX_CONTROLPARENT;
    // The frame's size around the client area at the window's resolution.
    const auto frameSize = [this] {
        RECT frame{0, 0, Pixels(layout::ClientWidth), Pixels(layout::ClientHeight)};
        AdjustWindowRectEx(&frame, style, FALSE, extended);
        return SIZE{frame.right - frame.left, frame.bottom - frame.top};
    };
    m_Dpi = ScreenDpi();
    const SIZE size = frameSize();
    m_Window = CreateWindowExW(extended, ClassName, L"", style, 0, 0, size.cx, size.cy, nullptr,
                               nullptr, com::ModuleInstance(), nullptr);
    if (!m_Window)
        throw DescribedError("the calculator window could not be created");
    SetWindowLongPtrW(m_Window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(m_Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
    try {
        m_Background.reset(CreateSolidBrush(Rgb(layout::BackColor)));
        m_ReadoutBackground.reset(CreateSolidBrush(Rgb(layout::ReadoutBackColor)));
        const int createdAt = m_Dpi;
        CreateChildren();
        // A window whose own resolution is not the screen's takes the
        // frame of its own.
        if (m_Dpi != createdAt) {
            const SIZE own = frameSize();
            SetWindowPos(m_Window, nullptr, 0, 0, own.cx, own.cy,
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        }
    } catch (...) {
        // No destructor runs for a half-made window: it must not outlive
        // this object with a pointer to it.
        SetWindowLongPtrW(m_Window, GWLP_USERDATA, 0);
        DestroyWindow(m_Window);
        throw;
    }
}

Win32CalculatorWindow::~Win32CalculatorWindow() {
    SetWindowLongPtrW(m_Window, GWLP_USERDATA, 0);
    for (const auto& [button, id] : m_Buttons)
        on_demand::RemoveWindowSubclass(button, &ChildProc, 1);
    on_demand::RemoveWindowSubclass(m_Readout, &ChildProc, 1);
    KillTimer(m_Window, 1);
    DestroyWindow(m_Window); // before the brushes and fonts it draws with go
}

// Created in tab order, so the tab order is the layout table's; placed and
// lettered by Scale.
void Win32CalculatorWindow::CreateChildren() {
    for (const layout::ControlPlacement& entry : layout::Controls) {
        const std::wstring caption = Utf8ToWide(entry.caption);
        const bool label = entry.kind == layout::Kind::Label;
        const DWORD style =
            WS_CHILD | WS_VISIBLE |
            (label ? (SS_RIGHT | SS_CENTERIMAGE | WS_BORDER) : (BS_PUSHBUTTON | WS_TABSTOP));
        HWND child = CreateWindowExW(0, label ? L"STATIC" : L"BUTTON", caption.c_str(), style, 0, 0,
                                     0, 0, m_Window, nullptr, nullptr, nullptr);
        m_Children.push_back(child);
        on_demand::SetWindowSubclass(child, &ChildProc, 1, reinterpret_cast<DWORD_PTR>(this));
        if (label)
            m_Readout = child;
        else
            m_Buttons.emplace_back(child, *entry.button);
    }
    Scale(WindowDpi(m_Window));
}

// The layout is in twips and points: at another resolution the same sizes
// in more pixels, and fonts made for it.
void Win32CalculatorWindow::Scale(int dpi) {
    m_Dpi = dpi;
    std::vector<com::unique_hfont> fonts;
    const auto fontFor = [&](const layout::CaptionFont& font) {
        fonts.push_back(
            PointFont(Utf8ToWide(font.name).c_str(), font.points, font.bold, false, dpi));
        return fonts.back().get();
    };
    HFONT formFont = fontFor(layout::WindowFont);
    for (std::size_t i = 0; i < m_Children.size(); ++i) {
        const layout::ControlPlacement& entry = layout::Controls[i];
        MoveWindow(m_Children[i], Pixels(entry.left), Pixels(entry.top), Pixels(entry.width),
                   Pixels(entry.height), TRUE);
        HFONT font = entry.font ? fontFor(*entry.font) : formFont;
        SendMessageW(m_Children[i], WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
    }
    m_Fonts.swap(fonts); // the old ones go now, out of use
}

void Win32CalculatorWindow::SetReadout(std::string_view text) {
    SetWindowTextW(m_Readout, Utf8ToWide(text).c_str());
}

void Win32CalculatorWindow::Move(std::int32_t leftTwips, std::int32_t topTwips) {
    SetWindowPos(m_Window, nullptr, TwipsToPixels(leftTwips, m_PlacementDpi),
                 TwipsToPixels(topTwips, m_PlacementDpi), 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Shown and activated; the keys go to the window itself until a button is
// clicked, so that no key presses a button by accident.
void Win32CalculatorWindow::Show() {
    ShowWindow(m_Window, SW_SHOW);
    SetForegroundWindow(m_Window);
    SetActiveWindow(m_Window);
    SetFocus(m_Window);
}

void Win32CalculatorWindow::Drag() {
    ReleaseCapture();
    SendMessageW(m_Window, WM_NCLBUTTONDOWN, HTCAPTION, 0);
}

// "OK" with the exclamation mark: the style the message names is no
// standard button set.
void Win32CalculatorWindow::ShowMessage(std::string_view text, std::string_view title) {
    MessageBoxW(m_Window, Utf8ToWide(text).c_str(), Utf8ToWide(title).c_str(),
                MB_OK | MB_ICONEXCLAMATION);
}

void Win32CalculatorWindow::StartTimer(std::int32_t milliseconds) {
    SetTimer(m_Window, 1, static_cast<UINT>(milliseconds), nullptr);
}

bool Win32CalculatorWindow::Inside(HWND window) const {
    return window && (window == m_Window || IsChild(m_Window, window));
}

LRESULT CALLBACK Win32CalculatorWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                                   LPARAM lParam) noexcept {
    auto* self = reinterpret_cast<Win32CalculatorWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    // The handler may close the calculator and so destroy `self`.
    return EnterFromWindow("calculator window",
                           [&] { return self->HandleMessage(message, wParam, lParam); });
}

LRESULT Win32CalculatorWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    const HWND window = m_Window;
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) == BN_CLICKED)
            for (const auto& [button, id] : m_Buttons)
                if (button == reinterpret_cast<HWND>(lParam)) {
                    m_Events.OnButton(id);
                    return 0;
                }
        break;
    case WM_KEYDOWN:
        // Tab and Shift+Tab move among the buttons, as in a dialog; the
        // window has no dialog manager to do it.
        if (wParam == VK_TAB) {
            const HWND focus = GetFocus();
            const HWND from = IsChild(window, focus) ? focus : nullptr;
            if (HWND next = GetNextDlgTabItem(window, from, GetKeyState(VK_SHIFT) < 0))
                SetFocus(next);
            return 0;
        }
        m_Events.OnKeyDown(static_cast<std::int16_t>(wParam), ShiftState());
        return 0;
    case WM_KEYUP:
        m_Events.OnKeyUp(static_cast<std::int16_t>(wParam), ShiftState());
        return 0;
    // Alt combinations: the map sees them with Alt in the shift state. Only
    // F4 is kept from the system, whose Alt+F4 would destroy the window
    // behind the calculator's back; the others go on (the Alt key itself
    // and its menus).
    case WM_SYSKEYDOWN:
        m_Events.OnKeyDown(static_cast<std::int16_t>(wParam), ShiftState(message, lParam));
        if (wParam == VK_F4)
            return 0;
        break;
    case WM_SYSKEYUP:
        m_Events.OnKeyUp(static_cast<std::int16_t>(wParam), ShiftState(message, lParam));
        break;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE)
            m_Events.OnDeactivate();
        else
            m_Events.OnActivate();
        return 0;
    case WM_KILLFOCUS:
        if (!Inside(reinterpret_cast<HWND>(wParam)))
            m_Events.OnLostFocus();
        return 0;
    case WM_TIMER:
        m_Events.OnTimer();
        return 0;
    // Moved to a screen of another resolution (the system proposes the
    // window's new place): the same layout in that screen's pixels.
    case WM_DPICHANGED: {
        const auto* suggested = reinterpret_cast<const RECT*>(lParam);
        if (suggested)
            SetWindowPos(window, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        Scale(HIWORD(wParam));
        return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        m_Events.OnDragStart();
        return 0;
    case WM_ERASEBKGND: {
        RECT r{};
        GetClientRect(window, &r);
        FillRect(reinterpret_cast<HDC>(wParam), &r, m_Background.get());
        return 1;
    }
    case WM_CTLCOLORSTATIC:
        if (reinterpret_cast<HWND>(lParam) == m_Readout) {
            SetBkColor(reinterpret_cast<HDC>(wParam), Rgb(layout::ReadoutBackColor));
            SetTextColor(reinterpret_cast<HDC>(wParam), Rgb(layout::ReadoutForeColor));
            return reinterpret_cast<LRESULT>(m_ReadoutBackground.get());
        }
        break;
    case WM_CTLCOLORBTN:
        return reinterpret_cast<LRESULT>(m_Background.get());
    // The window has no caption: a screen reader hears its name from here,
    // and the readout as its value.
    case WM_GETOBJECT:
        if (const LRESULT object =
                AnswerNamed(window, wParam, lParam,
                            {Utf8ToWide(layout::SpokenWindowName), 0,
                             m_Readout ? WindowText(m_Readout) : std::wstring()}))
            return object;
        break;
    default:
        break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

// Key preview: a key pressed while a button has the focus reaches the
// calculator first. The readout lets mouse presses through to the window
// beneath it, which drags.
LRESULT CALLBACK Win32CalculatorWindow::ChildProc(HWND child, UINT message, WPARAM wParam,
                                                  LPARAM lParam, UINT_PTR,
                                                  DWORD_PTR data) noexcept {
    auto* self = reinterpret_cast<Win32CalculatorWindow*>(data);
    return EnterFromWindow("calculator button", [&]() -> LRESULT {
        if (message == WM_NCHITTEST && child == self->m_Readout)
            return HTTRANSPARENT;
        // Each key named by its meaning rather than by its caption.
        if (message == WM_GETOBJECT)
            for (const auto& [button, id] : self->m_Buttons)
                if (button == child)
                    if (const LRESULT object = AnswerNamed(
                            child, wParam, lParam,
                            {Utf8ToWide(layout::SpokenName(id)), ROLE_SYSTEM_PUSHBUTTON, {}}))
                        return object;
        // Space presses the key that has the focus, as on any button.
        if ((message == WM_KEYDOWN || message == WM_KEYUP) && wParam == VK_SPACE)
            return on_demand::DefSubclassProc(child, message, wParam, lParam);
        if (message == WM_KEYDOWN || message == WM_KEYUP || message == WM_SYSKEYDOWN ||
            message == WM_SYSKEYUP) {
            return SendMessageW(GetParent(child), message, wParam, lParam);
        }
        if (message == WM_KILLFOCUS && !self->Inside(reinterpret_cast<HWND>(wParam))) {
            const LRESULT result = on_demand::DefSubclassProc(child, message, wParam, lParam);
            self->m_Events.OnLostFocus();
            return result;
        }
        return on_demand::DefSubclassProc(child, message, wParam, lParam);
    });
}

} // namespace quillomet::win32
