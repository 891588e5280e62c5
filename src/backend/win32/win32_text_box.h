#pragma once

#include "backend/win32/composite_window.h"
#include "toolkit/text_box.h"
#include "win32com/gdi_objects.h"

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace quillomet::win32 {

class FontWatcher;

// The control's field: one real EDIT window for the control's whole life,
// so its handle, which hosts keep as hwnd, never changes. Subclassed so
// that typed characters pass the control's filter first. The EDIT is made
// with the control's window; until then the field keeps its text,
// selection and settings itself, as the EDIT would, and the EDIT is made
// with all of them.
class Win32TextBox final : public TextBox, private CompositeWindow::Child {
public:
    Win32TextBox(CompositeWindow& parent, TextBoxEvents& events, const Geometry& geometry);
    ~Win32TextBox() override;

    std::string Text() const override;
    // The text as the EDIT holds it, without a round trip through UTF-8.
    std::wstring WideText() const;
    void SetText(std::string_view text) override;
    std::int32_t SelStart() const override;
    void SetSelStart(std::int32_t start) override;
    std::int32_t SelLength() const override;
    void SetSelLength(std::int32_t length) override;
    Alignment TextAlignment() const override { return m_Alignment; }
    void SetAlignment(Alignment alignment) override;
    void SetLocked(bool locked) override;
    void SetEnabled(bool enabled) override;
    void SetTabStop(bool tabStop) override;
    void SetBackColor(OleColor color) override;
    void SetForeColor(OleColor color) override;
    FontRef Font() const override { return m_Font; }
    void SetFont(FontRef font) override;
    void SetWidth(std::int32_t twips) override;
    void SetHeight(std::int32_t twips) override;
    void Move(const Geometry& geometry) override;
    std::int32_t WindowHandle() const override;
    void HideCaret() override;
    void ShowCaret() override;
    void SetRedraw(bool redraw) override;
    void Refresh() override;

    HWND Handle() const { return m_Edit; }
    // The control's window exists: the EDIT is made in it.
    void CreateEdit();
    // Places the field and sets its margin if that waited while hidden.
    void Realize();
    // Places the field at its geometry in the window's current pixels.
    void ApplyGeometry();
    // The window's resolution changed: the field's font and place follow.
    void FollowResolution();

private:
    static Win32TextBox* FieldOf(HWND edit);
    // The EDIT is being destroyed by someone else: its text and selection
    // are kept, as before it was made, for the control and for a new EDIT.
    void KeepEditState();
    void ForgetEdit();
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM) noexcept;
    // The EDIT's own handling of a message.
    LRESULT CallEdit(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnChar(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnSetFocus(WPARAM wParam, LPARAM lParam);
    LRESULT OnKillFocus(WPARAM wParam, LPARAM lParam);
    LRESULT OnContextMenu(LPARAM lParam);
    void ApplyFont();
    // Hands the EDIT the font at the window's resolution; false without one.
    bool SendFont(BOOL redraw);
    LRESULT OnKey(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMouse(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT OnMouseWheel(WPARAM wParam, LPARAM lParam);
    HWND ChildWindow() const override { return m_Edit; }
    void OnCommand(WORD code) override;
    HBRUSH OnControlColor(HDC dc) override;
    void Select(std::int32_t start, std::int32_t end);
    // Right alignment as a left margin, so it switches at run time without
    // replacing the window (an EDIT ignores ES_RIGHT set after creation).
    void ApplyAlignment();
    void SetMargin();

    bool InsideControl(HWND window) const;

    CompositeWindow& m_Parent;
    TextBoxEvents& m_Events;
    std::shared_ptr<FontWatcher> m_FontWatcher;
    HWND m_Edit = nullptr;
    WNDPROC m_EditProcedure = nullptr;
    // The field's state while there is no EDIT; the EDIT holds it after.
    std::wstring m_Text;
    std::uint32_t m_SelectionStart = 0; // as EM_SETSEL keeps them: either
    std::uint32_t m_SelectionEnd = 0;   // may be the greater
    bool m_Locked = false;
    bool m_Enabled = true;
    bool m_TabStop = true;
    bool m_Redraw = true;
    Geometry m_Geometry;
    Alignment m_Alignment = Alignment::Right;
    FontRef m_Font;
    // The font made at the window's resolution where it is not the screen's.
    com::unique_hfont m_OwnResolutionFont;
    OleColor m_BackColor = SystemWindowBackground;
    OleColor m_ForeColor = SystemWindowText;
    com::unique_hbrush m_BackBrush;
    bool m_CaretHidden = false;
    int m_LeftMargin = -1;
    int m_RightMargin = -1;
    bool m_Focused = false;
    bool m_CaretMarginPending = false;
    bool m_Deferred = false;
    bool m_FontDeferred = false;
    RECT m_Placed{};
    bool m_LeftButtonDown = false;
};

// The shift state as events carry it: 1 Shift, 2 Ctrl, 4 Alt.
std::int16_t ShiftState();
// The same for a key message: a system key's Alt is the one its context
// code tells (bit 29), which a key posted by a program carries whatever
// the keyboard's state.
std::int16_t ShiftState(UINT message, LPARAM lParam);

} // namespace quillomet::win32
