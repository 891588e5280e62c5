#pragma once

#include "backend/win32/composite_window.h"
#include "backend/win32/win32_text_box.h"
#include "toolkit/toolkit.h"

#include <optional>

namespace quillomet::win32 {

class Win32Image;
class Win32Spinner;

// The children of one control in its own window, and the platform services.
class Win32Toolkit final : public Toolkit, private CompositeContent {
public:
    Win32Toolkit();
    ~Win32Toolkit() override;

    std::unique_ptr<TextBox> CreateTextBox(TextBoxEvents& events,
                                           const Geometry& geometry) override;
    std::unique_ptr<Spinner> CreateSpinner(SpinnerEvents& events,
                                           const Geometry& geometry) override;
    std::unique_ptr<Image> CreateImage(ImageEvents* events, const Geometry& geometry, Glyph glyph,
                                       bool visible) override;
    std::unique_ptr<Timer> CreateTimer(TimerEvents& events, std::int32_t interval) override;

    void Beep() override;
    void AnnounceValueChange() override;
    void ClearClipboard() override;
    void SetClipboardText(std::string_view text) override;
    std::string ClipboardText() override;
    void SendTab() override;
    std::unique_ptr<CalculatorWindow>
    CreateCalculatorWindow(CalculatorWindowEvents& events) override;
    ScreenRect ControlWindowRect() override;
    double TwipsPerPixelX() override;
    double TwipsPerPixelY() override;
    char DecimalSeparator() override;
    std::unique_ptr<AboutWindow> CreateAboutWindow() override;
    PlatformServices& Platform() override;

    CompositeWindow& Window() { return m_Window; }
    // The field, whether or not its window exists yet.
    const Win32TextBox* Field() const { return m_TextBox; }
    // The control's window is about to be shown: what was deferred while it
    // was hidden is applied now, before there is anything to redraw.
    void Showing();
    // Shows the control's window, complete. A window not made yet is made
    // visible at once: on a form of many windows showing one costs about as
    // much as making it, so it is done in the making.
    void Show();
    // For assistive technology: the spinner's window, and the drop button's
    // place in the control's window; none while they are not shown.
    HWND SpinnerWindow() const;
    std::optional<RECT> DropButtonPlace() const;
    // The windowless images, for painting and hit-testing.
    void AddImage(Win32Image* image);
    void RemoveImage(Win32Image* image);

private:
    void Created() override;
    void BeforePaint() override { Showing(); }
    void ResolutionChanged() override;
    void Paint(HDC dc) override;
    // The drop button's mouse.
    bool Mouse(UINT message, WPARAM wParam, LPARAM lParam) override;

    CompositeWindow m_Window;
    Win32Image* m_Images = nullptr; // linked through the images
    Win32Image* m_Pressed = nullptr;
    Win32TextBox* m_TextBox = nullptr;
    Win32Spinner* m_Spinner = nullptr;
    UINT_PTR m_NextTimerId = 1;
};

} // namespace quillomet::win32
