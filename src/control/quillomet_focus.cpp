#include "common/text_length.h"
#include "control/quillomet.h"

// Moves between the plain form (field focused) and the display form.

namespace quillomet {

void Quillomet::OnEnterFocus() {
    CloseCalculator();
    // A disabled control passes the focus on to the next in the tab order.
    if (!m_Enabled)
        m_Toolkit.SendTab();
}

void Quillomet::OnUserControlGotFocus() {
    CloseCalculator();
}

void Quillomet::OnExitFocus() {
    // Also ends a spin whose mouse release will never reach the spinner, so
    // that KeyDown is not silenced for good.
    StopSpinning();
}

void Quillomet::OnUserControlLostFocus() {
    StopSpinning();
    CloseCalculator();
}

void Quillomet::OnTxtNumberGotFocus() {
    m_FieldFocused = true;
    TextBoxFocusArrival();
}

void Quillomet::OnTxtNumberLostFocus() {
    m_FieldFocused = false;
    m_WheelDelta = 0; // part of a notch belongs to one visit
    m_KeypadDecimal = false;
    TextBoxFocusLoss();
}

// The plain form, selected for typing, is run-time behaviour: in design
// mode this only keeps the caret hidden (TextBoxFocusArrival).
void Quillomet::Highlight() {
    m_KeyLeftTheEdit = false; // the calculator closed: keys type again
    if (m_Enabled)
        TextBoxFocusArrival();
}

// Into the field: the plain form, left-aligned and wholly selected so that
// typing replaces it.
void Quillomet::TextBoxFocusArrival() {
    if (m_DesignMode) {
        m_txtNumber->HideCaret();
        return;
    }
    m_KeyLeftTheEdit = false; // back in the field, keys type again
    if (m_SkipFocus) {
        m_SkipFocus = false;
        return;
    }
    CloseCalculator();
    m_GotFocus = true;
    if (m_Locked) {
        m_txtNumber->HideCaret();
        return;
    }
    m_txtNumber->ShowCaret();
    m_txtNumber->SetAlignment(Alignment::Left);
    const std::string_view plain = StripFieldText().text;
    // Recorded first, so that rewriting the text raises no Change.
    m_LastText = plain;
    m_txtNumber->SetText(plain);
    m_txtNumber->SetSelStart(0);
    m_txtNumber->SetSelLength(static_cast<std::int32_t>(Utf16Length(m_txtNumber->Text())));
    // The new text and selection are painted before this returns, without
    // running the messages queued behind the one being handled.
    m_txtNumber->SetRedraw(true);
}

// Out of the field: range-checked, stored, and shown in the display form.
void Quillomet::TextBoxFocusLoss() {
    m_GotFocus = false;
    if (m_Locked)
        return;
    std::string plain(StripFieldText().text);
    if (m_UseMaxMinValues)
        plain = RangedOnLeaving(plain);
    m_Value = plain;
    m_txtNumber->SetText(Reformat(plain));
    m_txtNumber->SetAlignment(Alignment::Right);
}

} // namespace quillomet
