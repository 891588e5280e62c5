#include "backend/win32/win32_toolkit.h"

#include "backend/win32/floating_point.h"
#include "backend/win32/glyph_drawing.h"
#include "backend/win32/host_entry.h"
#include "backend/win32/mouse_message.h"
#include "backend/win32/on_demand_imports.h"
#include "backend/win32/screen_units.h"
#include "backend/win32/win32_about_window.h"
#include "backend/win32/win32_calculator_window.h"
#include "backend/win32/win32_platform.h"
#include "backend/win32/win32_text_box.h"
#include "backend/win32/window_owners.h"
#include "common/automation_error.h"
#include "common/described_error.h"
#include "win32com/device_context.h"
#include "win32com/gdi_objects.h"
#include "win32com/module.h"
#include "win32com/slim_lock.h"
#include "win32com/text_conversion.h"

#include <commctrl.h>

#include <algorithm>
#include <map>
#include <new>

namespace quillomet::win32 {

// The common up-down control, used only for its mouse notifications and
// placement. Its state lives here; its window exists only while it is
// visible, so a control without a spinner costs no window for it.
class Win32Spinner final : public Spinner, private CompositeWindow::Child {
public:
    Win32Spinner(CompositeWindow& parent, SpinnerEvents& events, const Geometry& geometry)
        : m_Parent(parent), m_Events(events), m_Geometry(geometry) {
        m_Parent.Attach(*this);
    }
    ~Win32Spinner() override {
        m_Parent.Detach(*this); // what the window sends while it goes is not heard
        DestroyUpDown();
    }

    void SetVisible(bool visible) override {
        m_Visible = visible;
        if (visible)
            Realize();
        else
            DestroyUpDown();
    }

    // The window is made when the control shows: made while it is hidden,
    // it would cost as much and maybe for nothing.
    void Realize() {
        if (m_Visible && m_Parent.Live())
            CreateUpDown();
    }
    void SetEnabled(bool enabled) override {
        m_Enabled = enabled;
        if (m_Window)
            EnableWindow(m_Window, enabled);
    }
    std::int32_t Left() const override { return m_Geometry.left; }
    void SetLeft(std::int32_t twips) override {
        m_Geometry.left = twips;
        Place();
    }
    std::int32_t Width() const override { return m_Geometry.width; }
    std::int32_t Height() const override { return m_Geometry.height; }
    void SetHeight(std::int32_t twips) override {
        m_Geometry.height = twips;
        Place();
    }
    HWND Handle() const { return m_Window; }
    void Place() {
        if (!m_Window)
            return;
        const RECT place = PixelPlace();
        MoveWindow(m_Window, place.left, place.top, place.right - place.left,
                   place.bottom - place.top, TRUE);
    }

private:
    void CreateUpDown() {
        if (m_Window)
            return;
        static const bool registered = [] {
            INITCOMMONCONTROLSEX init{sizeof init, ICC_UPDOWN_CLASS};
            return on_demand::InitCommonControlsEx(&init) != FALSE;
        }();
        (void)registered;
        // Made at its place and in its state: every later call on it
        // would cost about as much again.
        const RECT place = PixelPlace();
        m_Window = CreateWindowExW(
            0, UPDOWN_CLASSW, L"", WS_CHILD | WS_VISIBLE | (m_Enabled ? 0 : WS_DISABLED),
            place.left, place.top, place.right - place.left, place.bottom - place.top,
            m_Parent.Handle(), nullptr, nullptr, nullptr);
        if (!m_Window)
            throw DescribedError("the spinner window could not be created");
        WindowOwners<Win32Spinner>::Set(m_Window, this);
        m_UpDownProcedure = ReplaceWindowProc(m_Window, &WindowProc);
    }
    HWND ChildWindow() const override { return m_Window; }
    void DestroyUpDown() {
        if (!m_Window)
            return;
        WindowOwners<Win32Spinner>::Remove(m_Window);
        RestoreWindowProc(m_Window, &WindowProc, m_UpDownProcedure);
        DestroyWindow(m_Window);
        m_Window = nullptr;
    }
    // Its size is converted as a size, not from its edges.
    RECT PixelPlace() const {
        const int dpi = m_Parent.Dpi();
        const int left = TwipsToPixels(m_Geometry.left, dpi);
        const int top = TwipsToPixels(m_Geometry.top, dpi);
        return {left, top, left + TwipsToPixels(m_Geometry.width, dpi),
                top + TwipsToPixels(m_Geometry.height, dpi)};
    }

    // The press, release and movement, in the spinner's own twips.
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam,
                                       LPARAM lParam) noexcept {
        auto* self = WindowOwners<Win32Spinner>::Find(window);
        if (!self) // the spinner let the window go: the class's own procedure
            return CallWindowProcW(ClassProcedure(window), window, message, wParam, lParam);
        if (message == WM_NCDESTROY) { // destroyed with the control's window
            WindowOwners<Win32Spinner>::Remove(window);
            self->m_Window = nullptr;
        }
        const CompositeWindow::Hold hold(self->m_Parent);
        return EnterFromWindow("spinner", [&]() -> LRESULT {
            // A press whose release never comes (the capture taken away)
            // ends as a release, so the repeat stops.
            if (message == WM_CAPTURECHANGED && self->m_Pressed) {
                self->m_Pressed = false;
                std::int16_t button = 1, shift = 0;
                float x = 0, y = 0;
                self->m_Events.OnMouseUp(button, shift, x, y);
            } else if (message == WM_LBUTTONDOWN || message == WM_LBUTTONUP ||
                       message == WM_MOUSEMOVE || message == WM_RBUTTONDOWN ||
                       message == WM_RBUTTONUP) {
                std::int16_t button = MouseButtons(message, wParam);
                std::int16_t shift = ShiftState();
                const POINT at = MousePoint(lParam);
                const int dpi = self->m_Parent.Dpi();
                float x = PixelsToTwips(at.x, dpi);
                float y = PixelsToTwips(at.y, dpi);
                if (message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN) {
                    self->m_Pressed = true;
                    self->m_Events.OnMouseDown(button, shift, x, y);
                } else if (message == WM_MOUSEMOVE) {
                    self->m_Events.OnMouseMove(button, shift, x, y);
                } else {
                    self->m_Pressed = false;
                    self->m_Events.OnMouseUp(button, shift, x, y);
                }
            }
            // The handlers may have hidden the spinner: its window is gone.
            if (!IsWindow(window))
                return 0;
            return CallWindowProcW(self->m_UpDownProcedure, window, message, wParam, lParam);
        });
    }

    CompositeWindow& m_Parent;
    SpinnerEvents& m_Events;
    Geometry m_Geometry;
    HWND m_Window = nullptr;
    WNDPROC m_UpDownProcedure = nullptr;
    bool m_Visible = true;
    bool m_Enabled = true;
    bool m_Pressed = false;
};

namespace {

// A glyph the library draws, at whatever size it is shown.
class Win32Picture final : public PictureObject {
public:
    // One picture per glyph for every control of the process, while any
    // control shows it.
    static std::shared_ptr<Win32Picture> Of(Glyph glyph) {
        static com::SlimLock guard;
        static std::map<Glyph, std::weak_ptr<Win32Picture>> cache;
        const auto held = guard.Hold();
        if (auto shared = cache[glyph].lock())
            return shared;
        auto picture = std::make_shared<Win32Picture>(glyph);
        cache[glyph] = picture;
        return picture;
    }

    explicit Win32Picture(Glyph glyph) : m_Glyph(glyph) {}
    Glyph Drawn() const { return m_Glyph; }

private:
    const Glyph m_Glyph;
};

class Win32Timer final : public Timer, private CompositeWindow::Child {
public:
    Win32Timer(CompositeWindow& window, TimerEvents& events, UINT_PTR id, std::int32_t interval)
        : m_Window(window), m_Events(events), m_Id(id), m_Interval(interval) {
        m_Window.Attach(*this);
    }
    ~Win32Timer() override {
        if (m_Window.Existing())
            KillTimer(m_Window.Existing(), m_Id);
        m_Window.Detach(*this);
    }
    bool Enabled() const override { return m_Enabled; }
    void SetEnabled(bool enabled) override {
        m_Enabled = enabled;
        if (enabled) {
            if (const HWND window = m_Window.Handle())
                SetTimer(window, m_Id, static_cast<UINT>(m_Interval), nullptr);
        } else if (m_Window.Existing()) {
            KillTimer(m_Window.Existing(), m_Id);
        }
    }
    std::int32_t Interval() const override { return m_Interval; }
    // Setting the interval of a running timer starts its count afresh.
    void SetInterval(std::int32_t milliseconds) override {
        m_Interval = milliseconds;
        if (m_Enabled && m_Window.Handle())
            SetTimer(m_Window.Handle(), m_Id, static_cast<UINT>(m_Interval), nullptr);
    }

private:
    bool OnTimer(UINT_PTR id) override {
        if (id != m_Id)
            return false;
        m_Events.OnTimer(); // may destroy the timer: nothing follows
        return true;
    }

    CompositeWindow& m_Window;
    TimerEvents& m_Events;
    UINT_PTR m_Id;
    std::int32_t m_Interval;
    bool m_Enabled = false;
};

// Holds a clipboard open for as long as it lives.
class OpenClipboardScope {
public:
    explicit OpenClipboardScope(HWND owner) : m_Open(OpenClipboard(owner) != FALSE) {}
    ~OpenClipboardScope() {
        if (m_Open)
            CloseClipboard();
    }
    explicit operator bool() const { return m_Open; }

private:
    bool m_Open;
};

} // namespace

// A windowless picture control: the composite paints and hit-tests it.
class Win32Image final : public Image {
public:
    Win32Image(Win32Toolkit& toolkit, ImageEvents* events, const Geometry& geometry, Glyph glyph,
               bool visible)
        : m_Toolkit(toolkit), m_Events(events), m_Geometry(geometry), m_Visible(visible),
          m_Picture(Win32Picture::Of(glyph)) {
        m_Toolkit.AddImage(this);
    }
    ~Win32Image() override { m_Toolkit.RemoveImage(this); }

    void SetVisible(bool visible) override {
        m_Visible = visible;
        Invalidate();
    }
    void SetEnabled(bool enabled) override { m_Enabled = enabled; }
    std::int32_t Left() const override { return m_Geometry.left; }
    void SetLeft(std::int32_t twips) override {
        m_Geometry.left = twips;
        Invalidate();
    }
    std::int32_t Width() const override { return m_Geometry.width; }
    void SetWidth(std::int32_t twips) override {
        m_Geometry.width = twips;
        Invalidate();
    }
    void SetHeight(std::int32_t twips) override {
        m_Geometry.height = twips;
        Invalidate();
    }
    PictureRef Picture() const override { return m_Picture; }
    void SetPicture(PictureRef picture) override {
        m_Picture = std::move(picture);
        Invalidate();
    }

    RECT PixelRect() const { return win32::PixelRect(m_Geometry, m_Toolkit.Window().Dpi()); }
    bool Shown() const { return m_Visible; }
    bool Enabled() const { return m_Enabled; }
    ImageEvents* Events() const { return m_Events; }

    // Drawn at its size in pixels, sharp at every resolution.
    void Paint(HDC dc) const {
        const auto* picture = dynamic_cast<const Win32Picture*>(m_Picture.get());
        if (m_Visible && picture)
            DrawGlyph(dc, PixelRect(), picture->Drawn());
    }

private:
    // A hidden control is painted in full when it is shown.
    void Invalidate() const {
        // The control's window alone: its children draw themselves.
        const HWND window = m_Toolkit.Window().Existing();
        if (window && IsWindowVisible(window))
            RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_NOCHILDREN);
    }

    friend class Win32Toolkit;
    Win32Image* m_NextImage = nullptr; // the toolkit's next, in the order made

    Win32Toolkit& m_Toolkit;
    ImageEvents* m_Events;
    Geometry m_Geometry;
    bool m_Visible;
    bool m_Enabled = true;
    PictureRef m_Picture;
};

Win32Toolkit::Win32Toolkit() : m_Window(*this) {}

void Win32Toolkit::Created() {
    if (m_TextBox)
        m_TextBox->CreateEdit();
}

Win32Toolkit::~Win32Toolkit() = default;

std::unique_ptr<TextBox> Win32Toolkit::CreateTextBox(TextBoxEvents& events,
                                                     const Geometry& geometry) {
    auto textBox = std::make_unique<Win32TextBox>(m_Window, events, geometry);
    m_TextBox = textBox.get();
    return textBox;
}

std::unique_ptr<Spinner> Win32Toolkit::CreateSpinner(SpinnerEvents& events,
                                                     const Geometry& geometry) {
    auto spinner = std::make_unique<Win32Spinner>(m_Window, events, geometry);
    m_Spinner = spinner.get();
    return spinner;
}

std::unique_ptr<Image> Win32Toolkit::CreateImage(ImageEvents* events, const Geometry& geometry,
                                                 Glyph glyph, bool visible) {
    return std::make_unique<Win32Image>(*this, events, geometry, glyph, visible);
}

std::unique_ptr<Timer> Win32Toolkit::CreateTimer(TimerEvents& events, std::int32_t interval) {
    return std::make_unique<Win32Timer>(m_Window, events, m_NextTimerId++, interval);
}

void Win32Toolkit::Showing() {
    const HWND window = m_Window.Handle(); // made now, complete, if it was not yet
    // Only a window that will be seen: under a hidden form the work waits.
    if (!IsWindowVisible(GetParent(window)))
        return;
    m_Window.SetShowing(true);
    try {
        if (m_TextBox)
            m_TextBox->Realize();
        if (m_Spinner)
            m_Spinner->Realize();
    } catch (...) {
        m_Window.SetShowing(false);
        throw;
    }
    m_Window.SetShowing(false);
}

void Win32Toolkit::Show() {
    if (!m_Window.Existing()) {
        m_Window.CreateVisible();
        Showing();
        return;
    }
    if (IsWindowVisible(m_Window.Existing()))
        return;
    Showing();
    ShowWindow(m_Window.Existing(), SW_SHOWNA);
}

HWND Win32Toolkit::SpinnerWindow() const {
    return m_Spinner ? m_Spinner->Handle() : nullptr;
}

// The drop button is the image that hears its mouse.
std::optional<RECT> Win32Toolkit::DropButtonPlace() const {
    for (const Win32Image* image = m_Images; image; image = image->m_NextImage)
        if (image->Events() && image->Shown())
            return image->PixelRect();
    return std::nullopt;
}

// Kept in the order they were made: later ones paint over earlier ones.
void Win32Toolkit::AddImage(Win32Image* image) {
    Win32Image** link = &m_Images;
    while (*link)
        link = &(*link)->m_NextImage;
    *link = image;
}

void Win32Toolkit::RemoveImage(Win32Image* image) {
    for (Win32Image** link = &m_Images; *link; link = &(*link)->m_NextImage)
        if (*link == image) {
            *link = image->m_NextImage;
            break;
        }
    if (m_Pressed == image)
        m_Pressed = nullptr;
}

// The field and spinner windows move to their places in the new pixels and
// the field's font takes the new size; the drop button is drawn at its new
// size.
void Win32Toolkit::ResolutionChanged() {
    if (m_TextBox)
        m_TextBox->FollowResolution();
    if (m_Spinner)
        m_Spinner->Place();
    if (const HWND window = m_Window.Existing())
        InvalidateRect(window, nullptr, TRUE);
}

void Win32Toolkit::Paint(HDC dc) {
    for (const Win32Image* image = m_Images; image; image = image->m_NextImage)
        image->Paint(dc);
}

// The drop button's mouse, with its own coordinates in twips.
bool Win32Toolkit::Mouse(UINT message, WPARAM wParam, LPARAM lParam) {
    const POINT at = MousePoint(lParam);
    Win32Image* target = nullptr;
    for (Win32Image* image = m_Images; image; image = image->m_NextImage) {
        const RECT r = image->PixelRect();
        if (image->Shown() && image->Enabled() && image->Events() && PtInRect(&r, at))
            target = image;
    }
    if (message == WM_LBUTTONUP || message == WM_MOUSEMOVE) {
        if (m_Pressed)
            target = m_Pressed;
    }
    if (!target)
        return false;
    const RECT r = target->PixelRect();
    std::int16_t button = MouseButtons(message, wParam) & 1; // the drop button is the left one
    std::int16_t shift = ShiftState();
    float x = PixelsToTwips(at.x - r.left, m_Window.Dpi());
    float y = PixelsToTwips(at.y - r.top, m_Window.Dpi());
    ImageEvents& events = *target->Events();
    switch (message) {
    case WM_LBUTTONDOWN:
        m_Pressed = target;
        SetCapture(m_Window.Handle());
        events.OnMouseDown(button, shift, x, y);
        break;
    case WM_LBUTTONUP: {
        m_Pressed = nullptr;
        ReleaseCapture();
        const RECT inside = target->PixelRect();
        const bool clicked = PtInRect(&inside, at) != FALSE;
        events.OnMouseUp(button, shift, x, y);
        if (clicked)
            events.OnClick();
        break;
    }
    case WM_LBUTTONDBLCLK: // the second press of a double click: a press too
        m_Pressed = target;
        SetCapture(m_Window.Handle());
        events.OnMouseDown(button, shift, x, y);
        events.OnDblClick();
        break;
    case WM_MOUSEMOVE:
        events.OnMouseMove(button, shift, x, y);
        break;
    default:
        return false;
    }
    return true;
}

// As the field itself would for its text: the control's object changed value.
void Win32Toolkit::AnnounceValueChange() {
    if (const HWND window = m_Window.Existing())
        NotifyWinEvent(EVENT_OBJECT_VALUECHANGE, window, OBJID_CLIENT, CHILDID_SELF);
}

void Win32Toolkit::Beep() {
    MessageBeep(MB_OK);
}

void Win32Toolkit::ClearClipboard() {
    if (OpenClipboardScope open{m_Window.Handle()})
        EmptyClipboard();
}

void Win32Toolkit::SetClipboardText(std::string_view text) {
    const std::wstring wide = Utf8ToWide(text);
    OpenClipboardScope open{m_Window.Handle()};
    if (!open)
        throw DescribedError("the clipboard is not available");
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(wchar_t));
    if (!memory)
        throw std::bad_alloc();
    auto* target = static_cast<wchar_t*>(GlobalLock(memory));
    std::copy(wide.c_str(), wide.c_str() + wide.size() + 1, target);
    GlobalUnlock(memory);
    if (!SetClipboardData(CF_UNICODETEXT, memory))
        GlobalFree(memory);
}

std::string Win32Toolkit::ClipboardText() {
    OpenClipboardScope open{m_Window.Handle()};
    if (!open)
        return {};
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data)
        return {};
    const auto* text = static_cast<const wchar_t*>(GlobalLock(data));
    std::string result = text ? WideToUtf8(text) : std::string();
    GlobalUnlock(data);
    return result;
}

void Win32Toolkit::SendTab() {
    HWND target = GetFocus();
    if (!target)
        target = GetActiveWindow();
    if (target)
        PostMessageW(target, WM_KEYDOWN, VK_TAB, 0);
}

std::unique_ptr<CalculatorWindow>
Win32Toolkit::CreateCalculatorWindow(CalculatorWindowEvents& events) {
    return std::make_unique<Win32CalculatorWindow>(events, m_Window.Dpi());
}

std::unique_ptr<AboutWindow> Win32Toolkit::CreateAboutWindow() {
    return std::make_unique<Win32AboutWindow>();
}

PlatformServices& Win32Toolkit::Platform() {
    static Win32Platform platform; // stateless
    return platform;
}

ScreenRect Win32Toolkit::ControlWindowRect() {
    RECT r{};
    GetWindowRect(m_Window.Handle(), &r);
    return {r.left, r.top, r.right, r.bottom};
}

double Win32Toolkit::TwipsPerPixelX() {
    return 1440.0 / m_Window.Dpi();
}
double Win32Toolkit::TwipsPerPixelY() {
    return 1440.0 / m_Window.Dpi();
}

char Win32Toolkit::DecimalSeparator() {
    wchar_t separator[8] = {};
    if (GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8) == 2 &&
        separator[0] < 0x80)
        return static_cast<char>(separator[0]);
    return '.'; // a separator beyond one ASCII character is read as "."
}

} // namespace quillomet::win32
