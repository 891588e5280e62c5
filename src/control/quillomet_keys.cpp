#include "common/number_conversion.h"
#include "common/text_length.h"
#include "control/key_codes.h"
#include "control/quillomet.h"

#include <algorithm>
#include <array>
#include <utility>

// Typing, the whole-text clipboard keys, and the events passed on to the
// host from the text box and the drop button.

namespace quillomet {

// Whether a typed character would make the text longer than the picture
// allows. A selection of the whole text, or an empty text, is never full:
// typing then replaces what is there.
bool Quillomet::IsFieldFull() const {
    const auto length = static_cast<std::int32_t>(Utf16Length(m_txtNumber->Text()));
    return m_MaxChars != 0 && m_txtNumber->SelLength() < length && length >= m_MaxChars;
}

// Whether the digit, typed over the selection, would give the number a 16th
// integer digit: 10^15 and beyond cannot be held.
bool Quillomet::MakesTooManyDigits(char digit) const {
    std::string text = m_txtNumber->Text();
    const auto start = static_cast<std::size_t>(std::max(0, m_txtNumber->SelStart()));
    const auto length = static_cast<std::size_t>(std::max(0, m_txtNumber->SelLength()));
    const std::size_t from = Utf8Offset(text, start);
    const std::size_t to = Utf8Offset(text, start + length);
    text.replace(from, to - from, 1, digit);
    return !WithinPlainRange(text);
}

// Admits only what can form a number, where it may stand. A code left at 0
// never reaches the field; only a refusal for length is audible.
void Quillomet::OnTxtNumberKeyPress(std::int16_t& keyAscii) {
    // The keypad's decimal key is a point in a number, also where the
    // keyboard layout types a comma with it.
    if (std::exchange(m_KeypadDecimal, false) && keyAscii != 0)
        keyAscii = key::Point;
    // The key's KeyDown handler took the edit away (it opened the
    // calculator, say): its character has no field to go into.
    if (m_Locked || m_KeyLeftTheEdit || m_DesignMode) {
        keyAscii = 0;
        return;
    }
    CloseCalculator();
    const bool full = IsFieldFull();
    const auto refuseAudibly = [&] {
        keyAscii = 0;
        m_Toolkit.Beep();
    };

    if (keyAscii >= key::Digit0 && keyAscii <= key::Digit9) {
        if (full || MakesTooManyDigits(static_cast<char>(keyAscii)))
            refuseAudibly();
    } else if (keyAscii == key::Backspace) {
        // always admitted
    } else if (keyAscii == key::Point || keyAscii == key::CtrlN) {
        if (full) {
            refuseAudibly();
        } else if (m_Format.find('.') == std::string::npos) {
            keyAscii = 0; // a picture without decimals takes no point
        } else {
            const std::string text = m_txtNumber->Text();
            const bool wholeSelected =
                m_txtNumber->SelLength() >= static_cast<std::int32_t>(Utf16Length(text));
            if (!wholeSelected && text.find('.') != std::string::npos)
                keyAscii = 0;
        }
    } else if (keyAscii == key::Minus) {
        if (full)
            refuseAudibly();
        else if (m_PositiveOnly || m_txtNumber->SelStart() > 0)
            keyAscii = 0;
    } else {
        keyAscii = 0;
    }

    if (keyAscii > 0) {
        const bool editing = m_GotFocus;
        std::array<Variant, 1> arguments{keyAscii};
        Raise(EventId::KeyPress, arguments);
        keyAscii = arguments[0].ToInteger();
        if (editing && !m_GotFocus) {
            keyAscii = 0; // the handler took the edit away
            m_KeyLeftTheEdit = true;
        }
    }
}

void Quillomet::OnTxtNumberKeyDown(std::int16_t& keyCode, std::int16_t& shift) {
    if (m_DesignMode)
        return;
    // The arrows step before the host hears of them; with Alt they are
    // the calculator's keys and never step.
    if (m_UpDownFunction && (shift & shift::Alt) == 0) {
        if (keyCode == key::Up)
            StepUp();
        else if (keyCode == key::Down)
            StepDown();
    }
    // The spinner's own steps come through here too; they are no keys.
    if (m_Spinning)
        return;
    const bool editing = m_GotFocus;
    RaiseKeyEvent(EventId::KeyDown, keyCode, shift);
    m_KeyLeftTheEdit = editing && !m_GotFocus;
    m_KeypadDecimal = keyCode == key::KeypadDecimal;
    if (!m_KeyLeftTheEdit)
        OnKeyLeftToTheControl(keyCode, shift);
}

// The keys a host hears of first: what its KeyDown handler leaves in the
// code (0 cancels) is what acts. F4 and Alt+Down open the calculator as a
// drop-down field's list opens, Alt+Up closes it, and the Page keys step
// ten increments at once.
void Quillomet::OnKeyLeftToTheControl(std::int16_t keyCode, std::int16_t shift) {
    const bool alt = (shift & shift::Alt) != 0;
    if ((keyCode == key::F4 && !alt) || (keyCode == key::Down && alt)) {
        if (m_Calculator) {
            ShowCalculator();
            // Its release belongs to the calculator now, which it must not close.
            m_KeyLeftTheEdit = true;
        }
    } else if (keyCode == key::Up && alt) {
        CloseCalculator();
    } else if (m_UpDownFunction && !alt && (keyCode == key::PageUp || keyCode == key::PageDown)) {
        StepPage(keyCode == key::PageUp);
    }
}

void Quillomet::OnTxtNumberKeyUp(std::int16_t& keyCode, std::int16_t& shift) {
    if (m_DesignMode)
        return;
    // The release of a key whose KeyDown handler opened the calculator
    // leaves it open.
    if (std::exchange(m_KeyLeftTheEdit, false)) {
        RaiseKeyEvent(EventId::KeyUp, keyCode, shift);
        return;
    }
    m_KeypadDecimal = false;
    CloseCalculator();
    const bool steppingKey = keyCode == key::Up || keyCode == key::Down || keyCode == key::PageUp ||
                             keyCode == key::PageDown;
    if (m_UpDownFunction && steppingKey && (shift & shift::Alt) == 0) {
        StopRepeating();
        HighlightAfterSteps();
    }
    // Ctrl alone: the clipboard keys act on the whole text, also when the
    // field is locked; the lock is for typed characters.
    if (shift == shift::Ctrl) {
        if (keyCode == key::C) {
            CopyText();
        } else if (keyCode == key::X) {
            CutText();
        } else if (keyCode == key::V) {
            PasteText();
        }
    }
    RaiseKeyEvent(EventId::KeyUp, keyCode, shift);
}

void Quillomet::CopyText() {
    m_Toolkit.ClearClipboard();
    m_Toolkit.SetClipboardText(m_txtNumber->Text());
}

void Quillomet::CutText() {
    CopyText();
    m_txtNumber->SetText("");
}

// The same whole-text operations as the Ctrl keys, from any other road.
void Quillomet::OnTxtNumberClipboard(ClipboardCommand command) {
    if (m_DesignMode)
        return;
    CloseCalculator();
    switch (command) {
    case ClipboardCommand::Copy:
        CopyText();
        break;
    case ClipboardCommand::Cut:
        CutText();
        break;
    case ClipboardCommand::Paste:
        PasteText();
        break;
    }
}

// Replaces the whole text with the display form of the clipboard's number,
// selected.
void Quillomet::PasteText() {
    const std::string pasted = m_Toolkit.ClipboardText();
    if (Utf16Length(pasted) > MaxTextLength || !WithinPlainRange(pasted)) {
        m_Toolkit.Beep(); // refused whole; the field keeps its number
        return;
    }
    m_txtNumber->SetText(pasted);
    m_txtNumber->SetText(ApplyFormat(StripFieldText()));
    m_txtNumber->SetSelStart(0);
    m_txtNumber->SetSelLength(static_cast<std::int32_t>(Utf16Length(m_txtNumber->Text())));
}

// A press and release on the drop button, as the mouse makes them.
void Quillomet::ClickCalcButton() {
    std::int16_t button = mouse::Left, shift = shift::None;
    float x = 0, y = 0;
    OnCalcButtonMouseDown(button, shift, x, y);
    OnCalcButtonMouseUp(button, shift, x, y);
    RaiseEvent(EventId::Click);
}

std::string Quillomet::HostName() {
    std::string name = m_Host.AmbientDisplayName();
    if (name.empty())
        if (const ExtenderRef extender = m_Host.Extender())
            if (const Variant named = extender->GetProperty("Name"); named.IsString())
                name = named.ToString();
    return name;
}

void Quillomet::OnTxtNumberClick() {
    CloseCalculator();
    RaiseEvent(EventId::Click);
}

void Quillomet::OnCalcButtonMouseDown(std::int16_t& button, std::int16_t& shift, float& x,
                                      float& y) {
    // The focus arrival this click may cause is let pass, so it neither
    // re-selects the text nor closes the calculator the release opens.
    // A designed control opens nothing, and keeps its arrivals as they are.
    if (m_DesignMode)
        return;
    m_SkipFocus = true;
    RaiseMouseEvent(EventId::MouseDown, button, shift, x, y);
}

void Quillomet::OnCalcButtonMouseUp(std::int16_t& button, std::int16_t& shift, float& x, float& y) {
    ShowCalculator();
    RaiseMouseEvent(EventId::MouseUp, button, shift, x, y);
}

} // namespace quillomet
