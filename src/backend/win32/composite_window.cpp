#include "backend/win32/composite_window.h"

#include "backend/win32/floating_point.h"
#include "backend/win32/host_entry.h"
#include "backend/win32/screen_units.h"
#include "backend/win32/window_owners.h"
#include "common/described_error.h"
#include "win32com/module.h"

#include <exception>
#include <string>
#include <utility>

namespace quillomet::win32 {
namespace {

constexpr wchar_t ClassName[] = L"QuillometComposite";
// The class is ours, so WM_APP's range is.
constexpr UINT PostedActionMessage = WM_APP + 1;
// WM_DPICHANGED_BEFOREPARENT and _AFTERPARENT, which the system targeted
// here predates: sent to child windows before their form hears of a change
// of resolution (and places its controls again in the new pixels), and
// after it has followed it.
constexpr UINT ResolutionChangingUnderParent = 0x02E2;
constexpr UINT ParentResolutionChanged = 0x02E3;

} // namespace

void CompositeWindow::RegisterClassOnce() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS; // the drop button has a double-click event
    // Replaced per window: a class outlives the library that registered it,
    // so its procedure must not be ours.
    wc.lpfnWndProc = DefWindowProcW;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = ClassName;
    RegisterOwnClass(wc);
}

HWND CompositeWindow::ParkingWindow() {
    return ThreadWindows::Current().ParkingWindow();
}

CompositeWindow::CompositeWindow(CompositeContent& content)
    : m_Content(content), m_Dpi(ScreenDpi()) {}

CompositeWindow::~CompositeWindow() {
    if (!m_Window)
        return;
    WindowOwners<CompositeWindow>::Remove(m_Window);
    DestroyWindow(m_Window);
}

// A host that asks for the window while it is being made (from a
// notification sent during its creation) gets none rather than a second one.
HWND CompositeWindow::Handle() {
    if (!m_Window && !m_Creating)
        Create(false);
    return m_Window;
}

void CompositeWindow::CreateVisible() {
    if (!m_Window && !m_Creating)
        Create(true);
}

// Made visible, its children are made before anything is drawn: painting
// waits for the message loop.
void CompositeWindow::Create(bool visible) {
    RegisterClassOnce();
    const HWND parent = m_ParentWindow ? m_ParentWindow : ParkingWindow();
    m_Creating = true;
    const HWND window = CreateWindowExW(
        WS_EX_CONTROLPARENT, ClassName, nullptr, WS_CHILD | (visible ? WS_VISIBLE : 0),
        m_Place.left, m_Place.top, m_Place.right - m_Place.left, m_Place.bottom - m_Place.top,
        parent, nullptr, com::ModuleInstance(), nullptr);
    m_Creating = false;
    if (!window)
        throw DescribedError("the control's window could not be created");
    m_Window = window;
    m_Dpi = WindowDpi(m_Window);
    // Setting the procedure costs no round trip to the window server, where
    // USERDATA would.
    WindowOwners<CompositeWindow>::Set(m_Window, this);
    SetWindowLongPtrW(m_Window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));
    try {
        m_Content.Created();
    } catch (...) {
        // Without its field the window is no use: the next need tries again.
        WindowOwners<CompositeWindow>::Remove(m_Window);
        DestroyWindow(m_Window);
        m_Window = nullptr;
        throw;
    }
}

// A window moved into a container goes back where it stood among its
// siblings there, or, new to them, where a window made there would go: at
// the bottom, after those made before it. Stacking is also tab order.
void CompositeWindow::SetParentWindow(HWND parent) {
    m_ParentWindow = parent;
    if (!m_Window) {
        // The container places the window in its own pixels before the
        // window exists.
        if (parent)
            m_Dpi = WindowDpi(parent);
        return;
    }
    if (GetParent(m_Window) == (parent ? parent : ParkingWindow()))
        return;
    if (!parent) {
        m_LeftParent = GetParent(m_Window);
        m_LeftAfter = GetWindow(m_Window, GW_HWNDPREV);
    }
    SetParent(m_Window, parent ? parent : ParkingWindow());
    if (!parent)
        return;
    HWND after = HWND_BOTTOM;
    if (parent == m_LeftParent)
        after = !m_LeftAfter                                                  ? HWND_TOP
                : (IsWindow(m_LeftAfter) && GetParent(m_LeftAfter) == parent) ? m_LeftAfter
                                                                              : HWND_BOTTOM;
    SetWindowPos(m_Window, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    FollowResolution(); // a form on another monitor may have another
}

void CompositeWindow::FollowResolution() {
    if (!m_Window)
        return; // read from the parent, or when the window is made
    const int dpi = WindowDpi(m_Window);
    if (dpi == m_Dpi)
        return;
    m_Dpi = dpi;
    m_Content.ResolutionChanged();
}

bool CompositeWindow::Post(WPARAM action) {
    return m_Window && PostMessageW(m_Window, PostedActionMessage, action, 0);
}

void CompositeWindow::Attach(Child& child) {
    child.m_Next = m_Children;
    m_Children = &child;
}

void CompositeWindow::Detach(Child& child) {
    for (Child** link = &m_Children; *link; link = &(*link)->m_Next)
        if (*link == &child) {
            *link = child.m_Next;
            child.m_Next = nullptr;
            return;
        }
}

CompositeWindow::Child* CompositeWindow::ChildWith(HWND window) const {
    for (Child* child = m_Children; child; child = child->m_Next)
        if (window && child->ChildWindow() == window)
            return child;
    return nullptr;
}

// The window does not clip its children: WS_CLIPCHILDREN makes every
// child's creation, move or show cost the window server a new region for
// the parent as well, a fifth of a placed control's cost under Wine. So the
// background keeps off them here; painting under them first would make them
// flicker.
void CompositeWindow::EraseBackground(HDC dc) const {
    for (const Child* c = m_Children; c; c = c->m_Next) {
        const HWND child = c->ChildWindow();
        if (!child || !IsWindowVisible(child))
            continue;
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, m_Window, reinterpret_cast<POINT*>(&r), 2);
        ExcludeClipRect(dc, r.left, r.top, r.right, r.bottom);
    }
    RECT client{};
    GetClientRect(m_Window, &client);
    FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
}

void CompositeWindow::Move(const RECT& place) {
    m_Place = place;
    if (m_Window)
        MoveWindow(m_Window, place.left, place.top, place.right - place.left,
                   place.bottom - place.top, TRUE);
}

void CompositeWindow::Resize(int width, int height) {
    m_Place.right = m_Place.left + width;
    m_Place.bottom = m_Place.top + height;
    if (m_Window)
        SetWindowPos(m_Window, nullptr, 0, 0, width, height,
                     SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK CompositeWindow::WindowProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) noexcept {
    auto* self = WindowOwners<CompositeWindow>::Find(window);
    if (message == WM_NCDESTROY)
        WindowOwners<CompositeWindow>::Remove(window);
    if (!self)
        return DefWindowProcW(window, message, wParam, lParam);
    const Hold hold(*self);
    return EnterFromWindow("control window",
                           [&] { return self->HandleMessage(message, wParam, lParam); });
}

LRESULT CompositeWindow::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (Child* child = ChildWith(reinterpret_cast<HWND>(lParam))) {
            child->OnCommand(HIWORD(wParam));
            return 0;
        }
        break;
    case WM_TIMER:
        for (Child* child = m_Children; child; child = child->m_Next)
            if (child->OnTimer(wParam)) // may detach itself: nothing follows
                return 0;
        break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
        // A read-only or disabled EDIT asks with the latter.
        if (Child* child = ChildWith(reinterpret_cast<HWND>(lParam)))
            if (const HBRUSH brush = child->OnControlColor(reinterpret_cast<HDC>(wParam)))
                return reinterpret_cast<LRESULT>(brush);
        break;
    case WM_ERASEBKGND:
        EraseBackground(reinterpret_cast<HDC>(wParam));
        return 1;
    case WM_PAINT: {
        m_Content.BeforePaint();
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(m_Window, &ps);
        m_Content.Paint(dc);
        EndPaint(m_Window, &ps);
        return 0;
    }
    case PostedActionMessage:
        if (m_Owner)
            m_Owner->PostedAction(wParam);
        return 0;
    case ResolutionChangingUnderParent:
    case ParentResolutionChanged:
        FollowResolution();
        return 0;
    case WM_GETOBJECT:
        if (m_Owner)
            if (const LRESULT object = m_Owner->AccessibleObject(wParam, lParam))
                return object;
        break;
    case WM_NCDESTROY: {
        // Destroyed by someone else, with the window it stood in, which may
        // be going too: the control is no longer placed anywhere, and makes
        // its window again, parked, when it next needs one.
        const HWND window = std::exchange(m_Window, nullptr);
        m_ParentWindow = m_LeftParent = m_LeftAfter = nullptr;
        if (m_Owner)
            m_Owner->WindowDestroyed();
        return DefWindowProcW(window, message, wParam, lParam);
    }
    case WM_SETFOCUS:
        if (m_Owner)
            m_Owner->WindowGotFocus(reinterpret_cast<HWND>(wParam));
        return 0;
    case WM_KILLFOCUS:
        if (m_Owner)
            m_Owner->WindowLostFocus(reinterpret_cast<HWND>(wParam));
        return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MOUSEMOVE:
        if (m_Content.Mouse(message, wParam, lParam))
            return 0;
        break;
    default:
        break;
    }
    return DefWindowProcW(m_Window, message, wParam, lParam);
}

} // namespace quillomet::win32
