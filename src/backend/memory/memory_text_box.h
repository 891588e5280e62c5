#pragma once

#include "toolkit/text_box.h"

#include <cstdint>
#include <string>

namespace quillomet::memory {

// A text box held in memory, with what a window would show recorded for
// tests to inspect, and the user's actions as plain calls.
class MemoryTextBox final : public TextBox {
public:
    MemoryTextBox(TextBoxEvents& events, std::int32_t handle, const Geometry& geometry);

    std::string Text() const override { return m_Text; }
    void SetText(std::string_view text) override;
    std::int32_t SelStart() const override { return m_SelStart; }
    void SetSelStart(std::int32_t start) override;
    std::int32_t SelLength() const override { return m_SelLength; }
    void SetSelLength(std::int32_t length) override;
    Alignment TextAlignment() const override { return m_Alignment; }
    void SetAlignment(Alignment alignment) override { m_Alignment = alignment; }
    void SetLocked(bool locked) override { m_Locked = locked; }
    void SetEnabled(bool enabled) override { m_Enabled = enabled; }
    void SetTabStop(bool tabStop) override { m_TabStop = tabStop; }
    void SetBackColor(OleColor color) override { m_BackColor = color; }
    void SetForeColor(OleColor color) override { m_ForeColor = color; }
    FontRef Font() const override { return m_Font; }
    void SetFont(FontRef font) override { m_Font = std::move(font); }
    void SetWidth(std::int32_t twips) override { m_Geometry.width = twips; }
    void SetHeight(std::int32_t twips) override { m_Geometry.height = twips; }
    void Move(const Geometry& geometry) override { m_Geometry = geometry; }
    std::int32_t WindowHandle() const override { return m_Handle; }
    void HideCaret() override { m_CaretVisible = false; }
    void ShowCaret() override { m_CaretVisible = true; }
    void SetRedraw(bool redraw) override { m_Redraw = redraw; }
    void Refresh() override { ++m_Repaints; }

    // The user's side.
    void ReceiveFocus();
    void LoseFocus();
    // A character typed: the filter first, then, if still wanted, the
    // field's own editing (Backspace deletes, anything else replaces the
    // selection).
    void TypeChar(char c);
    void TypeText(std::string_view text);
    // A key pressed and released (no character).
    void PressKey(std::int16_t keyCode, std::int16_t shift = 0);
    void KeyDown(std::int16_t keyCode, std::int16_t shift = 0);
    void KeyUp(std::int16_t keyCode, std::int16_t shift = 0);
    // Replaces the selection with `text` without any filter, as an input
    // method or a drop would.
    void ReplaceSelection(std::string_view text);
    void Click() { m_Events.OnClick(); }
    // A clipboard road other than the Ctrl keys (Shift+Insert, a menu).
    void Clipboard(ClipboardCommand command) { m_Events.OnClipboardCommand(command); }
    void DblClick() { m_Events.OnDblClick(); }
    // The wheel turned over the field; whether the control took it.
    bool Wheel(std::int32_t delta) { return m_Events.OnMouseWheel(delta); }

    bool HasFocus() const { return m_HasFocus; }
    bool IsLocked() const { return m_Locked; }
    bool IsEnabled() const { return m_Enabled; }
    bool IsTabStop() const { return m_TabStop; }
    OleColor GetBackColor() const { return m_BackColor; }
    OleColor GetForeColor() const { return m_ForeColor; }
    bool CaretVisible() const { return m_CaretVisible; }
    bool Redraw() const { return m_Redraw; }
    int Repaints() const { return m_Repaints; }
    const Geometry& GetGeometry() const { return m_Geometry; }
    TextBoxEvents& Events() { return m_Events; }

private:
    std::int32_t Length() const;

    TextBoxEvents& m_Events;
    std::int32_t m_Handle;
    Geometry m_Geometry;
    std::string m_Text;
    std::int32_t m_SelStart = 0;
    std::int32_t m_SelLength = 0;
    Alignment m_Alignment = Alignment::Right;
    bool m_Locked = false;
    bool m_Enabled = true;
    bool m_TabStop = true;
    bool m_HasFocus = false;
    bool m_CaretVisible = false;
    bool m_Redraw = false;
    OleColor m_BackColor = SystemWindowBackground;
    OleColor m_ForeColor = SystemWindowText;
    FontRef m_Font;
    int m_Repaints = 0;
};

} // namespace quillomet::memory
