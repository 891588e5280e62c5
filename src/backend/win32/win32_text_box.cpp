#include "backend/win32/win32_text_box.h"

#include "backend/win32/accessible_proxy.h"
#include "backend/win32/color_of.h"
#include "backend/win32/floating_point.h"
#include "backend/win32/host_entry.h"
#include "backend/win32/mouse_message.h"
#include "backend/win32/screen_units.h"
#include "backend/win32/text_shaping.h"
#include "backend/win32/win32_font.h"
#include "backend/win32/window_owners.h"
#include "common/described_error.h"
#include "win32com/device_context.h"
#include "win32com/text_conversion.h"

#include <commctrl.h>
#include <olectl.h>

#include <algorithm>
#include <utility>

namespace quillomet::win32 {
namespace {

// Text is measured on a memory DC of the thread's own: a window's DC costs
// a round trip to the window server for its visible region each time, and
// the width is measured on every change of the text.
HDC MeasuringDc() {
    return ThreadWindows::Current().MeasuringDc();
}

} // namespace

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

std::int16_t ShiftState(UINT message, LPARAM lParam) {
    std::int16_t state = ShiftState();
    if (message == WM_SYSKEYDOWN || message == WM_SYSKEYUP)
        state = static_cast<std::int16_t>((lParam & (1 << 29)) ? (state | 4) : (state & ~4));
    return state;
}

Win32TextBox::Win32TextBox(CompositeWindow& parent, TextBoxEvents& events, const Geometry& geometry)
    : m_Parent(parent), m_Events(events), m_Geometry(geometry) {
    m_Parent.Attach(*this);
    try {
        if (m_Parent.Existing())
            CreateEdit();
    } catch (...) {
        m_Parent.Detach(*this);
        throw;
    }
}

void Win32TextBox::KeepEditState() {
    m_Text = WideText();
    DWORD start = 0, end = 0;
    CallEdit(EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    m_SelectionStart = start;
    m_SelectionEnd = end;
}

// Still the control's child, now of no window: the dead one's handle no
// longer finds it, and what was set on it is set on the next.
void Win32TextBox::ForgetEdit() {
    m_Edit = nullptr;
    m_EditProcedure = nullptr;
    m_Focused = false;
    m_CaretHidden = false;
    m_LeftMargin = m_RightMargin = -1;
    m_Placed = {};
}

Win32TextBox::~Win32TextBox() {
    m_FontWatcher.reset();
    m_Parent.Detach(*this); // what the EDIT sends while it goes is not heard
    if (m_Edit) {
        RestoreWindowProc(m_Edit, &WindowProc, m_EditProcedure);
        DestroyWindow(m_Edit);
    }
}

// Made in its final state at once: styles and place at creation cost a
// fraction of setting each on a window that exists. The font comes before
// any text: an EDIT made with its text shapes it in the system font first,
// which builds and frees the system's shaping data for that font each time
// (under Wine a race with another thread's first shaping of it).
void Win32TextBox::CreateEdit() {
    if (m_Edit)
        return;
    DWORD style = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | ES_LEFT;
    if (m_TabStop)
        style |= WS_TABSTOP;
    if (m_Locked)
        style |= ES_READONLY;
    if (!m_Enabled)
        style |= WS_DISABLED;
    const RECT place = PixelRect(m_Geometry, m_Parent.Dpi());
    m_Edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"", style, place.left, place.top,
                             place.right - place.left, place.bottom - place.top, m_Parent.Handle(),
                             nullptr, nullptr, nullptr);
    if (!m_Edit)
        throw DescribedError("the text box window could not be created");
    m_Placed = place;
    // Nothing is drawn before the message loop runs: the font needs no
    // redrawing.
    SendFont(FALSE);
    m_FontDeferred = false;
    if (!m_Text.empty()) {
        // What the field held is no change: the EN_CHANGE this sends finds
        // no field for the window yet.
        const HWND edit = std::exchange(m_Edit, nullptr);
        SetWindowTextW(edit, m_Text.c_str());
        m_Edit = edit;
    }
    m_Text.clear();
    m_Text.shrink_to_fit();
    m_EditProcedure = ReplaceWindowProc(m_Edit, &WindowProc);
    if (m_SelectionStart != 0 || m_SelectionEnd != 0)
        SendMessageW(m_Edit, EM_SETSEL, m_SelectionStart, static_cast<LPARAM>(m_SelectionEnd));
    if (!m_Redraw)
        SendMessageW(m_Edit, WM_SETREDRAW, FALSE, 0);
    // What would wait for the window to show is done now.
    m_Deferred = false;
    SetMargin();
}

std::string Win32TextBox::Text() const {
    return WideToUtf8(WideText());
}

std::wstring Win32TextBox::WideText() const {
    return m_Edit ? WindowText(m_Edit) : m_Text;
}

void Win32TextBox::SetText(std::string_view text) {
    std::wstring wide = Utf8ToWide(text);
    if (!m_Edit) {
        // As the EDIT does: the selection goes to the start, and the change
        // is reported before this returns, also for the same text.
        m_Text = std::move(wide);
        m_SelectionStart = m_SelectionEnd = 0;
        m_Events.OnChange();
        return;
    }
    // EN_CHANGE, and with it the change detection, arrives before this returns.
    SetWindowTextW(m_Edit, wide.c_str());
}

// EM_SETSEL's rules: each end is cut to the text's length, and -1 as the
// start keeps the caret where the selection ended.
void Win32TextBox::Select(std::int32_t start, std::int32_t end) {
    if (m_Edit) {
        SendMessageW(m_Edit, EM_SETSEL, static_cast<WPARAM>(start), end);
        return;
    }
    const auto length = static_cast<std::uint32_t>(m_Text.size());
    if (start == -1) {
        m_SelectionStart = m_SelectionEnd;
        return;
    }
    m_SelectionStart = std::min(static_cast<std::uint32_t>(start), length);
    m_SelectionEnd = std::min(static_cast<std::uint32_t>(end), length);
}

std::int32_t Win32TextBox::SelStart() const {
    if (!m_Edit)
        return static_cast<std::int32_t>(std::min(m_SelectionStart, m_SelectionEnd));
    DWORD start = 0, end = 0;
    SendMessageW(m_Edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return static_cast<std::int32_t>(start);
}

void Win32TextBox::SetSelStart(std::int32_t start) {
    Select(start, start);
}

std::int32_t Win32TextBox::SelLength() const {
    if (!m_Edit)
        return static_cast<std::int32_t>(std::max(m_SelectionStart, m_SelectionEnd) -
                                         std::min(m_SelectionStart, m_SelectionEnd));
    DWORD start = 0, end = 0;
    SendMessageW(m_Edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start),
                 reinterpret_cast<LPARAM>(&end));
    return static_cast<std::int32_t>(end - start);
}

void Win32TextBox::SetSelLength(std::int32_t length) {
    const std::int32_t start = SelStart();
    Select(start, start + length);
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
    if (!m_Edit)
        return; // set when the EDIT is made
    if (!m_Parent.Live()) {
        m_Deferred = true;
        return;
    }
    SetMargin();
}

// The gaps are a pixel at the edges and three before the last character
// at 96 pixels per inch, more at higher resolutions.
void Win32TextBox::SetMargin() {
    const int dpi = m_Parent.Dpi();
    const int edge = MulDiv(1, dpi, 96);
    int margin = edge;
    if (m_Alignment == Alignment::Right) {
        const std::wstring text = WideText();
        // An empty field shows nothing: its margin places only the caret,
        // which it has only with the focus, so the margin waits for that.
        if (text.empty() && !m_Focused) {
            m_CaretMarginPending = true;
            return;
        }
        RECT client{};
        GetClientRect(m_Edit, &client);
        if (!text.empty()) {
            HDC dc = MeasuringDc();
            const com::unique_select_object font(
                dc, reinterpret_cast<HFONT>(SendMessageW(m_Edit, WM_GETFONT, 0, 0)));
            SIZE extent{};
            GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
            margin = std::max<int>(edge, client.right - extent.cx - MulDiv(3, dpi, 96));
        } else {
            margin = std::max<int>(edge, client.right - MulDiv(3, dpi, 96));
        }
    }
    m_CaretMarginPending = false;
    // Setting the same margins again would only cost a repaint.
    if (margin == m_LeftMargin && edge == m_RightMargin)
        return;
    m_LeftMargin = margin;
    m_RightMargin = edge;
    SendMessageW(m_Edit, EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(margin, edge));
}

void Win32TextBox::SetLocked(bool locked) {
    m_Locked = locked;
    if (m_Edit)
        SendMessageW(m_Edit, EM_SETREADONLY, locked, 0);
}

void Win32TextBox::SetEnabled(bool enabled) {
    m_Enabled = enabled;
    if (m_Edit)
        EnableWindow(m_Edit, enabled);
}

void Win32TextBox::SetTabStop(bool tabStop) {
    m_TabStop = tabStop;
    if (!m_Edit)
        return;
    LONG_PTR style = GetWindowLongPtrW(m_Edit, GWL_STYLE);
    style = tabStop ? (style | WS_TABSTOP) : (style & ~static_cast<LONG_PTR>(WS_TABSTOP));
    SetWindowLongPtrW(m_Edit, GWL_STYLE, style);
}

void Win32TextBox::SetBackColor(OleColor color) {
    m_BackColor = color;
    m_BackBrush.reset();
    if (m_Edit)
        InvalidateRect(m_Edit, nullptr, TRUE);
}

void Win32TextBox::SetForeColor(OleColor color) {
    m_ForeColor = color;
    if (m_Edit)
        InvalidateRect(m_Edit, nullptr, TRUE);
}

void Win32TextBox::OnCommand(WORD code) {
    if (code == EN_CHANGE) {
        ApplyAlignment();
        m_Events.OnChange();
    }
}

HBRUSH Win32TextBox::OnControlColor(HDC dc) {
    SetTextColor(dc, ColorOf(m_ForeColor));
    SetBkColor(dc, ColorOf(m_BackColor));
    // A system colour (the default) paints with the system's own brush,
    // which every window shares and which follows a change of the colour
    // scheme; only a colour of the host's own costs a brush of ours.
    if (const HBRUSH shared = SystemColorBrush(m_BackColor))
        return shared;
    if (!m_BackBrush)
        m_BackBrush.reset(CreateSolidBrush(ColorOf(m_BackColor)));
    return m_BackBrush.get();
}

// The field follows later changes made to this same font object.
void Win32TextBox::SetFont(FontRef font) {
    m_Font = std::move(font);
    m_FontWatcher.reset();
    // A shared copy is never handed out: nothing changes it.
    const auto* win32Font = dynamic_cast<const Win32Font*>(m_Font.get());
    if (win32Font && !win32Font->IsSharedCopy())
        m_FontWatcher = FontWatcher::Watch(win32Font->Font(), [this] { ApplyFont(); });
    ApplyFont();
}

void Win32TextBox::ApplyFont() {
    if (!m_Edit)
        return; // set when the EDIT is made
    if (!m_Parent.Live()) {
        m_FontDeferred = true;
        return;
    }
    m_FontDeferred = false;
    if (SendFont(TRUE))
        m_LeftMargin = m_RightMargin = -1; // the EDIT set its margins from the font
    ApplyAlignment();
}

// A font object is realised for the screen's resolution. A window of
// another (the form of a program that does not follow resolutions, or one
// on a second monitor) shows the same font at its own.
bool Win32TextBox::SendFont(BOOL redraw) {
    const auto* win32Font = dynamic_cast<const Win32Font*>(m_Font.get());
    if (!win32Font)
        return false;
    com::unique_hfont own;
    const HFONT font = win32Font->ForResolution(m_Parent.Dpi(), own);
    PrepareTextShaping(font);
    SendMessageW(m_Edit, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
    m_OwnResolutionFont = std::move(own); // the one before is out of use now
    return true;
}

void Win32TextBox::FollowResolution() {
    ApplyFont();
    ApplyGeometry();
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
    if (!m_Edit)
        return; // made at its place
    if (!m_Parent.Live()) {
        m_Deferred = true;
        return;
    }
    const RECT wanted = PixelRect(m_Geometry, m_Parent.Dpi());
    if (EqualRect(&wanted, &m_Placed))
        return; // the layout often sets what is already there
    m_Placed = wanted;
    SetWindowPos(m_Edit, nullptr, wanted.left, wanted.top, wanted.right - wanted.left,
                 wanted.bottom - wanted.top, SWP_NOZORDER | SWP_NOACTIVATE);
    ApplyAlignment();
}

// A host that asks for the field's window gets it: the control's window,
// and with it the field's, are made now if they were not yet.
std::int32_t Win32TextBox::WindowHandle() const {
    m_Parent.Handle();
    return static_cast<std::int32_t>(reinterpret_cast<std::intptr_t>(m_Edit));
}

// The caret exists only while the field has the focus; hiding is noted so
// that a later focus arrival shows it again exactly once.
void Win32TextBox::HideCaret() {
    if (m_Edit && !m_CaretHidden && ::HideCaret(m_Edit))
        m_CaretHidden = true;
}

void Win32TextBox::ShowCaret() {
    if (m_CaretHidden) {
        ::ShowCaret(m_Edit);
        m_CaretHidden = false;
    }
}

// Painting turned on paints now: the field's own painting waits for the
// message loop, which may have a flood of input to go through first.
void Win32TextBox::SetRedraw(bool redraw) {
    m_Redraw = redraw;
    if (!m_Edit)
        return;
    SendMessageW(m_Edit, WM_SETREDRAW, redraw, 0);
    if (redraw && IsWindowVisible(m_Edit))
        RedrawWindow(m_Edit, nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_UPDATENOW);
}

void Win32TextBox::Refresh() {
    if (!m_Edit)
        return;
    InvalidateRect(m_Edit, nullptr, TRUE);
    UpdateWindow(m_Edit);
}

// The field of an EDIT, found through the control's window, whose child the
// EDIT always is: the field needs no entry of its own in the thread's table
// of owners. The control's window knows its children by their windows.
Win32TextBox* Win32TextBox::FieldOf(HWND edit) {
    const CompositeWindow* parent = WindowOwners<CompositeWindow>::Find(GetParent(edit));
    return parent ? static_cast<Win32TextBox*>(parent->ChildWith(edit)) : nullptr;
}

LRESULT CALLBACK Win32TextBox::WindowProc(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) noexcept {
    auto* self = FieldOf(window);
    if (!self) // the field let the window go: the class's own procedure
        return CallWindowProcW(ClassProcedure(window), window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        // Destroyed by someone else (a host destroying its form first): the
        // field lets the window go and makes a new one if its control gets
        // a window again. The EDIT's own procedure has the last message.
        const WNDPROC procedure = self->m_EditProcedure;
        self->ForgetEdit();
        return CallWindowProcW(procedure, window, message, wParam, lParam);
    }
    const CompositeWindow::Hold hold(self->m_Parent);
    // A message that failed may already have reached the field: not again.
    return EnterFromWindow("text box",
                           [&] { return self->HandleMessage(message, wParam, lParam); });
}

LRESULT Win32TextBox::CallEdit(UINT message, WPARAM wParam, LPARAM lParam) {
    return CallWindowProcW(m_EditProcedure, m_Edit, message, wParam, lParam);
}

LRESULT Win32TextBox::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_DESTROY:
        KeepEditState();
        return CallEdit(message, wParam, lParam);
    case WM_CHAR:
    case WM_IME_CHAR:
        return OnChar(message, wParam, lParam);
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN: // with Alt held, or F10
    case WM_SYSKEYUP:
        return OnKey(message, wParam, lParam);
    case WM_MOUSEWHEEL:
        return OnMouseWheel(wParam, lParam);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MOUSEMOVE:
        return OnMouse(message, wParam, lParam);
    case WM_SETFOCUS:
        return OnSetFocus(wParam, lParam);
    case WM_KILLFOCUS:
        return OnKillFocus(wParam, lParam);
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
        return OnContextMenu(lParam);
    // What a screen reader reads while typing: the system's own object for
    // the field (caret and selection), under the control's name.
    case WM_GETOBJECT:
        if (WindowOwner* owner = m_Parent.Owner();
            owner && static_cast<LONG>(lParam) == OBJID_CLIENT)
            if (const LRESULT object =
                    AnswerNamed(m_Edit, wParam, lParam,
                                {owner->AccessibleName(), ROLE_SYSTEM_TEXT, WideText()}))
                return object;
        return CallEdit(message, wParam, lParam);
    default:
        return CallEdit(message, wParam, lParam);
    }
}

bool Win32TextBox::InsideControl(HWND window) const {
    const HWND own = m_Parent.Existing();
    return window && own && (window == own || IsChild(own, window));
}

// The focus arrives: if from outside the control, the control hears of it
// before the field does.
LRESULT Win32TextBox::OnSetFocus(WPARAM wParam, LPARAM lParam) {
    m_Focused = true;
    if (m_CaretMarginPending) // before the field makes its caret
        SetMargin();
    const LRESULT result = CallEdit(WM_SETFOCUS, wParam, lParam);
    m_CaretHidden = false;
    if (!InsideControl(reinterpret_cast<HWND>(wParam)))
        if (WindowOwner* owner = m_Parent.Owner())
            owner->FocusEntered();
    m_Events.OnGotFocus();
    return result;
}

LRESULT Win32TextBox::OnKillFocus(WPARAM wParam, LPARAM lParam) {
    m_Focused = false;
    const LRESULT result = CallEdit(WM_KILLFOCUS, wParam, lParam);
    m_Events.OnLostFocus();
    if (!InsideControl(reinterpret_cast<HWND>(wParam)))
        if (WindowOwner* owner = m_Parent.Owner())
            owner->FocusLeft();
    return result;
}

// The field's own menu would edit the selection; ours acts on the whole
// text as the keys do (and, like them, also on a locked field).
LRESULT Win32TextBox::OnContextMenu(LPARAM lParam) {
    HMENU menu = CreatePopupMenu();
    AppendMenuW(menu, MF_STRING, 1, L"Cu&t");
    AppendMenuW(menu, MF_STRING, 2, L"&Copy");
    AppendMenuW(menu, MF_STRING, 3, L"&Paste");
    POINT at = MousePoint(lParam);
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
LRESULT Win32TextBox::OnChar(UINT message, WPARAM wParam, LPARAM lParam) {
    auto code = static_cast<std::int16_t>(wParam);
    m_Events.OnKeyPress(code);
    if (code == 0)
        return 0;
    return CallEdit(message, static_cast<WPARAM>(static_cast<std::uint16_t>(code)), lParam);
}

// Shift+Insert, Shift+Delete and Ctrl+Insert are the older clipboard keys:
// whole text, as with the Ctrl letters.
LRESULT Win32TextBox::OnKey(UINT message, WPARAM wParam, LPARAM lParam) {
    auto keyCode = static_cast<std::int16_t>(wParam);
    std::int16_t shift = ShiftState(message, lParam);
    if (message == WM_KEYDOWN || message == WM_SYSKEYDOWN)
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
    return CallEdit(message, static_cast<WPARAM>(static_cast<std::uint16_t>(keyCode)), lParam);
}

// Only a turn over the control's own window steps its number: where the
// system sends the wheel to the focused window wherever the pointer is, a
// turn elsewhere scrolls what lies under it, as the field's own procedure
// hands it on to the form.
LRESULT Win32TextBox::OnMouseWheel(WPARAM wParam, LPARAM lParam) {
    RECT own{};
    const HWND window = m_Parent.Existing();
    const POINT at = MousePoint(lParam); // on the screen
    if (window && GetWindowRect(window, &own) && PtInRect(&own, at) &&
        m_Events.OnMouseWheel(GET_WHEEL_DELTA_WPARAM(wParam)))
        return 0;
    return CallEdit(WM_MOUSEWHEEL, wParam, lParam);
}

// Mouse events carry the field's own coordinates, in twips.
LRESULT Win32TextBox::OnMouse(UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = CallEdit(message, wParam, lParam);
    std::int16_t button = MouseButtons(message, wParam);
    std::int16_t shift = ShiftState();
    const POINT at = MousePoint(lParam);
    float x = PixelsToTwips(at.x, m_Parent.Dpi());
    float y = PixelsToTwips(at.y, m_Parent.Dpi());
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
