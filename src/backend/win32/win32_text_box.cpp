#include "backend/win32/win32_text_box.h"

#include "backend/win32/gdi_objects.h"
#include "backend/win32/win32_font.h"
#include "server/text_conversion.h"

#include <commctrl.h>
#include <olectl.h>

#include <algorithm>
#include <stdexcept>

namespace quillomet::win32 {
namespace {

constexpr UINT_PTR SubclassId = 1;

int ScreenDpi(int index) {
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, index);
    ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

COLORREF ColorOf(OleColor color) {
    COLORREF rgb = 0;
    if (FAILED(OleTranslateColor(color, nullptr, &rgb)))
        rgb = GetSysColor(COLOR_WINDOW);
    return rgb;
}

} // namespace

int TwipsToPixelsX(std::int32_t twips) {
    return MulDiv(twips, ScreenDpi(LOGPIXELSX), 1440);
}
int TwipsToPixelsY(std::int32_t twips) {
    return MulDiv(twips, ScreenDpi(LOGPIXELSY), 1440);
}
float PixelsToTwipsX(int pixels) {
    return static_cast<float>(pixels) * 1440.0f / static_cast<float>(ScreenDpi(LOGPIXELSX));
}
float PixelsToTwipsY(int pixels) {
    return static_cast<float>(pixels) * 1440.0f / static_cast<float>(ScreenDpi(LOGPIXELSY));
}

std::int16_t ShiftState() {
    std::int16_t state = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        state |= 1;
    if (GetKeyState(VK_CONTROL) < 0)
        state |= 2;
    if (GetKeyState(VK_MENU) < 0)
        state |= 4;
    return state;
}

Win32TextBox::Win32TextBox(CompositeWindow& parent, TextBoxEvents& events, const Geometry& geometry,
                           const FocusBoundary& boundary)
    : m_Parent(parent), m_Events(events), m_Boundary(boundary), m_Geometry(geometry) {
    m_Edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                             WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | ES_LEFT, 0, 0,
                             10, 10, parent.Handle(), nullptr, nullptr, nullptr);
    if (!m_Edit)
        throw std::runtime_error("the text box window could not be created");
    SetWindowSubclass(m_Edit, &SubclassProc, SubclassId, reinterpret_cast<DWORD_PTR>(this));
    m_Parent.OnCommand(m_Edit, [this](WORD code) {
        if (code == EN_CHANGE) {
            ApplyAlignment();
            m_Events.OnChange();
        }
    });
    m_Parent.OnControlColor(m_Edit, [this](HDC dc) { return on_control_color(dc); });
    ApplyGeometry();
}

Win32TextBox::~Win32TextBox() {
    m_FontWatcher.reset();
    RemoveWindowSubclass(m_Edit, &SubclassProc, SubclassId);
    m_Parent.Forget(m_Edit);
    DestroyWindow(m_Edit);
    if (m_BackBrush)
        GdiObjects::Delete(m_BackBrush);
}

std::string Win32TextBox::Text() const {
    const int length = GetWindowTextLengthW(m_Edit);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(m_Edit, text.data(), length + 1);
    text.resize(static_cast<std::size_t>(std::max(copied, 0)));
    return WideToUtf8(text);
}

void Win32TextBox::SetText(std::string_view text) {
    const std::wstring wide = Utf8ToWide(text);
    // EN_CHANGE, and with it the change detection, arrives before this returns.
    SetWindowTextW(m_Edit, wide.c_str());
}

std::int32_t Win32TextBox::SelStart() const {
    DWORD start = 0, end = 0;
    SendMessageW(m_Edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return static_cast<std::int32_t>(start);
}

void Win32TextBox::SetSelStart(std::int32_t start) {
    SendMessageW(m_Edit, EM_SETSEL, static_cast<WPARAM>(start), start);
}

std::int32_t Win32TextBox::SelLength() const {
    DWORD start = 0, end = 0;
    SendMessageW(m_Edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return static_cast<std::int32_t>(end - start);
}

void Win32TextBox::SetSelLength(std::int32_t length) {
    const std::int32_t start = SelStart();
    SendMessageW(m_Edit, EM_SETSEL, static_cast<WPARAM>(start), start + length);
}

void Win32TextBox::SetAlignment(Alignment alignment) {
    m_Alignment = alignment;
    ApplyAlignment();
}

void Win32TextBox::Realize() {
    if (m_FontDeferred)
        ApplyFont();
    if (!m_Deferred)
        return;
    m_Deferred = false;
    ApplyGeometry();
    ApplyAlignment();
}

void Win32TextBox::ApplyAlignment() {
    if (!m_Parent.Live()) {
        m_Deferred = true;
        return;
    }
    int margin = 1;
    if (m_Alignment == Alignment::Right) {
        RECT client{};
        GetClientRect(m_Edit, &client);
        const std::wstring text = Utf8ToWide(Text());
        if (!text.empty()) {
            HDC dc = GetDC(m_Edit);
            HGDIOBJ old =
                SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(m_Edit, WM_GETFONT, 0, 0)));
            SIZE extent{};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
            SelectObject(dc, old);
            ReleaseDC(m_Edit, dc);
            margin = std::max<int>(1, client.right - extent.cx - 3);
        } else {
            margin = std::max<int>(1, client.right - 3);
        }
    }
    // Setting the same margin again would only cost a repaint.
    if (margin == m_LeftMargin)
        return;
    m_LeftMargin = margin;
    SendMessageW(m_Edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(margin, 1));
}

void Win32TextBox::SetLocked(bool locked) {
    SendMessageW(m_Edit, EM_SETREADONLY, locked, 0);
}

void Win32TextBox::SetEnabled(bool enabled) {
    EnableWindow(m_Edit, enabled);
}

void Win32TextBox::SetTabStop(bool tabStop) {
    LONG_PTR style = GetWindowLongPtrW(m_Edit, GWL_STYLE);
    style = tabStop ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
    SetWindowLongPtrW(m_Edit, GWL_STYLE, style);
}

void Win32TextBox::SetBackColor(OleColor color) {
    m_BackColor = color;
    if (m_BackBrush) {
        GdiObjects::Delete(m_BackBrush);
        m_BackBrush = nullptr;
    }
    InvalidateRect(m_Edit, nullptr, TRUE);
}

void Win32TextBox::SetForeColor(OleColor color) {
    m_ForeColor = color;
    InvalidateRect(m_Edit, nullptr, TRUE);
}

HBRUSH Win32TextBox::on_control_color(HDC dc) {
    if (!m_BackBrush)
        m_BackBrush = GdiObjects::Made(CreateSolidBrush(ColorOf(m_BackColor)));
    SetTextColor(dc, ColorOf(m_ForeColor));
    SetBkColor(dc, ColorOf(m_BackColor));
    return m_BackBrush;
}

// The field follows later changes made to this same font object.
void Win32TextBox::SetFont(FontRef font) {
    m_Font = std::move(font);
    m_FontWatcher.reset();
    if (const auto* win32Font = dynamic_cast<const Win32Font*>(m_Font.get()))
        m_FontWatcher = FontWatcher::Watch(win32Font->Font(), [this] { ApplyFont(); });
    ApplyFont();
}

void Win32TextBox::ApplyFont() {
    if (!m_Parent.Live()) {
        m_FontDeferred = true;
        return;
    }
    m_FontDeferred = false;
    if (const auto* win32Font = dynamic_cast<const Win32Font*>(m_Font.get()))
        SendMessageW(m_Edit, WM_SETFONT, reinterpret_cast<WPARAM>(win32Font->Handle()), TRUE);
    ApplyAlignment();
}

void Win32TextBox::SetWidth(std::int32_t twips) {
    m_Geometry.width = twips;
    ApplyGeometry();
}

void Win32TextBox::SetHeight(std::int32_t twips) {
    m_Geometry.height = twips;
    ApplyGeometry();
}

void Win32TextBox::Move(const Geometry& geometry) {
    m_Geometry = geometry;
    ApplyGeometry();
}

// Window operations are costly (a server round trip each under Wine): while
// the control is hidden, the place waits until it is shown.
void Win32TextBox::ApplyGeometry() {
    if (!m_Parent.Live()) {
        m_Deferred = true;
        return;
    }
    const RECT wanted{TwipsToPixelsX(m_Geometry.left), TwipsToPixelsY(m_Geometry.top),
                      TwipsToPixelsX(m_Geometry.left + m_Geometry.width),
                      TwipsToPixelsY(m_Geometry.top + m_Geometry.height)};
    if (EqualRect(&wanted, &m_Placed))
        return; // the layout often sets what is already there
    m_Placed = wanted;
    SetWindowPos(m_Edit, nullptr, wanted.left, wanted.top, wanted.right - wanted.left,
                 wanted.bottom - wanted.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyAlignment();
}

std::int32_t Win32TextBox::WindowHandle() const {
    return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(m_Edit));
}

// The caret exists only while the field has the focus; hiding is noted so
// that a later focus arrival shows it again exactly once.
void Win32TextBox::HideCaret() {
    if (!m_CaretHidden && ::HideCaret(m_Edit))
        m_CaretHidden = true;
}

void Win32TextBox::ShowCaret() {
    if (m_CaretHidden) {
        ::ShowCaret(m_Edit);
        m_CaretHidden = false;
    }
}

void Win32TextBox::SetRedraw(bool redraw) {
    SendMessageW(m_Edit, WM_SETREDRAW, redraw, 0);
}

void Win32TextBox::Refresh() {
    InvalidateRect(m_Edit, nullptr, TRUE);
    UpdateWindow(m_Edit);
}

LRESULT CALLBACK Win32TextBox::SubclassProc(HWND, UINT message, WPARAM wParam, LPARAM lParam,
                                            UINT_PTR, DWORD_PTR data) noexcept {
    auto* self = reinterpret_cast<Win32TextBox*>(data);
    try {
        const CompositeWindow::Hold hold(self->m_Parent);
        return self->HandleMessage(message, wParam, lParam);
    } catch (...) {
        // The message may already have reached the field: not again.
        ReportDroppedError("text box");
        return 0;
    }
}

LRESULT Win32TextBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CHAR:
    case WM_IME_CHAR:
        return on_char(message, wParam, lParam);
    case WM_KEYDOWN:
    case WM_KEYUP:
        return on_key(message, wParam, lParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MOUSEMOVE:
        return on_mouse(message, wParam, lParam);
    case WM_SETFOCUS:
        return on_set_focus(wParam, lParam);
    case WM_KILLFOCUS:
        return on_kill_focus(wParam, lParam);
    // Any other program or message that cuts, copies or pastes: the same
    // whole-text rules as the keys.
    case WM_PASTE:
        m_Events.OnClipboardCommand(ClipboardCommand::Paste);
        return 0;
    case WM_CUT:
        m_Events.OnClipboardCommand(ClipboardCommand::Cut);
        return 0;
    case WM_COPY:
        m_Events.OnClipboardCommand(ClipboardCommand::Copy);
        return 0;
    case WM_CONTEXTMENU:
        return on_context_menu(lParam);
    default:
        return DefSubclassProc(m_Edit, message, wParam, lParam);
    }
}

bool Win32TextBox::InsideControl(HWND window) const {
    return window && (window == m_Parent.Handle() || IsChild(m_Parent.Handle(), window));
}

// The focus arrives: if from outside the control, the control hears of it
// before the field does.
LRESULT Win32TextBox::on_set_focus(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = DefSubclassProc(m_Edit, WM_SETFOCUS, wParam, lParam);
    m_CaretHidden = false;
    if (!InsideControl(reinterpret_cast<HWND>(wParam)) && m_Boundary.entered)
        m_Boundary.entered();
    m_Events.OnGotFocus();
    return result;
}

LRESULT Win32TextBox::on_kill_focus(WPARAM wParam, LPARAM lParam) {
    const LRESULT result = DefSubclassProc(m_Edit, WM_KILLFOCUS, wParam, lParam);
    m_Events.OnLostFocus();
    if (!InsideControl(reinterpret_cast<HWND>(wParam)) && m_Boundary.left)
        m_Boundary.left();
    return result;
}

// The field's own menu would edit the selection; ours acts on the whole
// text as the keys do (and, like them, also on a locked field).
LRESULT Win32TextBox::on_context_menu(LPARAM lParam) {
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 1, L"Cu&t");
    AppendMenuW(menu, MF_STRING, 2, L"&Copy");
    AppendMenuW(menu, MF_STRING, 3, L"&Paste");
    POINT at{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
    if (at.x == -1 && at.y == -1) { // from the keyboard: below the field's corner
        RECT r{};
        GetWindowRect(m_Edit, &r);
        at = {r.left, r.bottom};
    }
    const int choice =
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_NONOTIFY, at.x, at.y, 0, m_Edit, nullptr);
    DestroyMenu(menu);
    if (choice == 1)
        m_Events.OnClipboardCommand(ClipboardCommand::Cut);
    else if (choice == 2)
        m_Events.OnClipboardCommand(ClipboardCommand::Copy);
    else if (choice == 3)
        m_Events.OnClipboardCommand(ClipboardCommand::Paste);
    return 0;
}

// A typed character (or one an input method composed) goes through the
// control's filter first; what the filter leaves in the code is what the
// field receives.
LRESULT Win32TextBox::on_char(UINT message, WPARAM wParam, LPARAM lParam) {
    auto code = static_cast<std::int16_t>(wParam);
    m_Events.OnKeyPress(code);
    if (code == 0)
        return 0;
    return DefSubclassProc(m_Edit, message, static_cast<WPARAM>(static_cast<std::uint16_t>(code)),
                           lParam);
}

// Shift+Insert, Shift+Delete and Ctrl+Insert are the older clipboard keys:
// whole text, as with the Ctrl letters.
LRESULT Win32TextBox::on_key(UINT message, WPARAM wParam, LPARAM lParam) {
    auto keyCode = static_cast<std::int16_t>(wParam);
    std::int16_t shift = ShiftState();
    if (message == WM_KEYDOWN)
        m_Events.OnKeyDown(keyCode, shift);
    else
        m_Events.OnKeyUp(keyCode, shift);
    if (keyCode == 0)
        return 0;
    if (message == WM_KEYDOWN && (keyCode == VK_INSERT || keyCode == VK_DELETE)) {
        if (shift == 1) {
            m_Events.OnClipboardCommand(keyCode == VK_INSERT ? ClipboardCommand::Paste
                                                             : ClipboardCommand::Cut);
            return 0;
        }
        if (shift == 2 && keyCode == VK_INSERT) {
            m_Events.OnClipboardCommand(ClipboardCommand::Copy);
            return 0;
        }
    }
    return DefSubclassProc(m_Edit, message,
                           static_cast<WPARAM>(static_cast<std::uint16_t>(keyCode)), lParam);
}

// Mouse events carry the field's own coordinates, in twips.
LRESULT Win32TextBox::on_mouse(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = DefSubclassProc(m_Edit, message, wParam, lParam);
    std::int16_t button = 0;
    if (wParam & MK_LBUTTON || message == WM_LBUTTONUP)
        button |= 1;
    if (wParam & MK_RBUTTON || message == WM_RBUTTONUP)
        button |= 2;
    std::int16_t shift = ShiftState();
    float x = PixelsToTwipsX(static_cast<short>(LOWORD(lParam)));
    float y = PixelsToTwipsY(static_cast<short>(HIWORD(lParam)));
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
        m_LeftButtonDown = message == WM_LBUTTONDOWN;
        m_Events.OnMouseDown(button, shift, x, y);
        break;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
        m_Events.OnMouseUp(button, shift, x, y);
        if (message == WM_LBUTTONUP && m_LeftButtonDown) {
            m_LeftButtonDown = false;
            m_Events.OnClick();
        }
        break;
    case WM_LBUTTONDBLCLK:
        m_Events.OnDblClick();
        break;
    default:
        m_Events.OnMouseMove(button, shift, x, y);
        break;
    }
    return result;
}

} // namespace quillomet::win32
