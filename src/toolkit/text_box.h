#pragma once

#include "toolkit/font.h"
#include "toolkit/geometry.h"
#include "toolkit/mouse_events.h"
#include "toolkit/ole_color.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quillomet {

enum class Alignment { Left, Right };

// The other roads to the clipboard (Shift+Insert, Shift+Delete,
// Ctrl+Insert, a context menu, a paste message): they act on the whole
// text, as Ctrl+C, Ctrl+X and Ctrl+V do.
enum class ClipboardCommand { Copy, Cut, Paste };

// What a text box reports to the control that owns it. Codes are by
// reference: what the handler leaves in them is what the field acts on (a
// character code set to 0 never reaches the text).
class TextBoxEvents : public MouseEvents {
public:
    // The text changed, by typing, pasting or a write of Text. Runs
    // synchronously inside SetText, also when the text did not change.
    virtual void OnChange() = 0;
    virtual void OnGotFocus() = 0;
    virtual void OnLostFocus() = 0;
    virtual void OnKeyDown(std::int16_t& keyCode, std::int16_t& shift) = 0;
    // A character before it is inserted.
    virtual void OnKeyPress(std::int16_t& keyAscii) = 0;
    virtual void OnKeyUp(std::int16_t& keyCode, std::int16_t& shift) = 0;
    virtual void OnClick() = 0;
    virtual void OnDblClick() = 0;
    virtual void OnClipboardCommand(ClipboardCommand command) = 0;
    // The wheel turned over the field (delta in the system's units, 120 a
    // notch, positive away from the user). Returns whether the control
    // took it; a turn it leaves goes on to the window behind, so that a
    // form scrolls.
    virtual bool OnMouseWheel(std::int32_t delta) = 0;

protected:
    ~TextBoxEvents() = default;
};

// A single-line edit field: on Win32 an EDIT window, where SetText is
// WM_SETTEXT (EN_CHANGE arrives before it returns), selection EM_SETSEL,
// Locked EM_SETREADONLY, colours WM_CTLCOLOREDIT, the font WM_SETFONT.
class TextBox {
public:
    virtual ~TextBox() = default;

    virtual std::string Text() const = 0;
    virtual void SetText(std::string_view text) = 0;

    // Selection in UTF-16 positions, as the host counts them.
    virtual std::int32_t SelStart() const = 0;
    virtual void SetSelStart(std::int32_t start) = 0;
    virtual std::int32_t SelLength() const = 0;
    virtual void SetSelLength(std::int32_t length) = 0;

    virtual Alignment TextAlignment() const = 0;
    virtual void SetAlignment(Alignment alignment) = 0;
    virtual void SetLocked(bool locked) = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual void SetTabStop(bool tabStop) = 0;
    virtual void SetBackColor(OleColor color) = 0;
    virtual void SetForeColor(OleColor color) = 0;

    virtual FontRef Font() const = 0;
    // Takes the object itself, not a copy: later changes to it show.
    virtual void SetFont(FontRef font) = 0;

    virtual void SetWidth(std::int32_t twips) = 0;
    virtual void SetHeight(std::int32_t twips) = 0;
    virtual void Move(const Geometry& geometry) = 0;

    // The window handle a host sees as hwnd (32 bits in a 32-bit process).
    virtual std::int32_t WindowHandle() const = 0;
    virtual void HideCaret() = 0;
    virtual void ShowCaret() = 0;
    // Turns painting of the field on (WM_SETREDRAW), so that a field whose
    // painting a host suspended shows the selected number at once: turned
    // on, the field paints before this returns.
    virtual void SetRedraw(bool redraw) = 0;
    virtual void Refresh() = 0;
};

} // namespace quillomet
