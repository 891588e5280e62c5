#pragma once

#include "toolkit/about_window.h"
#include "toolkit/calculator_window.h"
#include "toolkit/geometry.h"
#include "toolkit/image.h"
#include "toolkit/platform_services.h"
#include "toolkit/spinner.h"
#include "toolkit/text_box.h"
#include "toolkit/timer.h"

#include <memory>
#include <string>
#include <string_view>

namespace quillomet {

// Makes the children of one control inside the control's own window, and
// offers the few platform services the control uses.
class Toolkit {
public:
    virtual ~Toolkit() = default;

    // An empty, right-aligned field.
    virtual std::unique_ptr<TextBox> CreateTextBox(TextBoxEvents& events,
                                                   const Geometry& geometry) = 0;
    virtual std::unique_ptr<Spinner> CreateSpinner(SpinnerEvents& events,
                                                   const Geometry& geometry) = 0;
    // `events` may be null for a picture that only holds its glyph.
    virtual std::unique_ptr<Image> CreateImage(ImageEvents* events, const Geometry& geometry,
                                               Glyph glyph, bool visible) = 0;
    // Disabled until enabled.
    virtual std::unique_ptr<Timer> CreateTimer(TimerEvents& events,
                                               std::int32_t intervalMilliseconds) = 0;

    // The system's default sound.
    virtual void Beep() = 0;
    // Tells assistive technology (a screen reader) that the number changed.
    virtual void AnnounceValueChange() = 0;
    virtual void ClearClipboard() = 0;
    virtual void SetClipboardText(std::string_view text) = 0;
    virtual std::string ClipboardText() = 0;
    // Queues one Tab keystroke to the active window, without waiting for it.
    virtual void SendTab() = 0;

    virtual std::unique_ptr<CalculatorWindow>
    CreateCalculatorWindow(CalculatorWindowEvents& events) = 0;
    // The control's own window on the screen, in pixels.
    virtual ScreenRect ControlWindowRect() = 0;
    virtual double TwipsPerPixelX() = 0;
    virtual double TwipsPerPixelY() = 0;
    // The user's decimal separator, as number formatting produces it.
    virtual char DecimalSeparator() = 0;

    virtual std::unique_ptr<AboutWindow> CreateAboutWindow() = 0;
    virtual PlatformServices& Platform() = 0;
};

} // namespace quillomet
