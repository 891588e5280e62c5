#pragma once

#include "common/thread_data.h"
#include "common/variant.h"
#include "control/appearance.h"
#include "control/text_forms.h"
#include "toolkit/container.h"
#include "toolkit/font.h"
#include "toolkit/ole_color.h"
#include "toolkit/toolkit.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace quillomet {

// The numeric entry control: a composite of a text box, an up-down spinner,
// a drop button with its two glyph holders, and a repeat timer. The text box
// is the store of the current number: `value` reads it back out of the text
// each time.
class Quillomet final {
public:
    static constexpr const char* DefaultFormat = "###,##0.00;(##,###.00)";
    static constexpr double DefaultMaxValue = 999999.99;

    Quillomet(Toolkit& toolkit, Container& host);
    ~Quillomet();
    Quillomet(const Quillomet&) = delete;
    Quillomet& operator=(const Quillomet&) = delete;

    // A user-interface thread ends, perhaps before controls it made: the
    // calculator and about dialog its controls shared go now, and those
    // controls know their windows are gone (ThreadEnded).
    static void EndThread(ThreadData& thread) noexcept;
    // The thread the control was made on has ended.
    bool ThreadEnded() const noexcept { return m_Thread.ended; }

    // --- Start-up and saving ------------------------------------------------
    // A new instance without stored settings: defaults set directly,
    // nothing notified, the text box left empty.
    void InitProperties();
    // Back to a new instance, its field emptied, for a host whose stored
    // settings could not be read at all. Raises no Change.
    void ResetToNew();
    // Stored settings, each key read and applied in turn. A value that
    // cannot be converted takes that key's default, the rest still load,
    // and the first such error is thrown at the end, naming its key.
    void ReadProperties(PropertyBag& bag);
    // Writes every setting with its default; changes nothing.
    void WriteProperties(PropertyBag& bag) const;

    // --- Notifications from the host -----------------------------------------
    // The composite was sized (also its first placement).
    void OnResize();
    // Focus enters the composite from outside it; comes before the text
    // box's own focus arrival.
    void OnEnterFocus();
    // Focus leaves the composite; comes after the text box's focus loss.
    void OnExitFocus();
    // The composite window itself receives or loses the focus.
    void OnUserControlGotFocus();
    void OnUserControlLostFocus();
    void OnTerminate();
    // A designer arranges and sets the control rather than using it. In
    // design mode it looks as at run time (display form, no caret), but
    // keys, clicks, the wheel and paste do nothing to it, it neither steps
    // nor opens the calculator, and it raises no events; property writes
    // still work and are still reported to the host. Leaving design mode
    // brings all of that back at once.
    void SetDesignMode(bool design);
    bool DesignMode() const { return m_DesignMode; }

    // --- Properties, in the type library's member order ----------------------
    bool SkipFocus() const { return m_SkipFocus; }
    void SetSkipFocus(bool skipFocus) { m_SkipFocus = skipFocus; }
    bool Calculator() const { return m_Calculator; }
    void SetCalculator(bool iCalculator);
    bool UpDownFunction() const { return m_UpDownFunction; }
    void SetUpDownFunction(bool iUpDownFunction);
    std::int16_t UpDownIncrement() const { return m_UpDownIncrement; }
    void SetUpDownIncrement(std::int16_t iUpDownIncrement);
    Variant Value();
    void SetValue(const Variant& iValue);
    Variant MaxValue() const;
    void SetMaxValue(const Variant& iValue);
    Variant MinValue() const;
    void SetMinValue(const Variant& iValue);
    bool UseMaxMinValues() const { return m_UseMaxMinValues; }
    void SetUseMaxMinValues(bool iUseMaxMinValues);
    const std::string& Format() const { return m_Format; }
    void SetFormat(std::string_view iFormat);
    bool Enabled() const { return m_Enabled; }
    void SetEnabled(bool iEnabled);
    bool PositiveOnly() const { return m_PositiveOnly; }
    void SetPositiveOnly(bool iPositiveOnly);
    OleColor BackColor() const { return m_BackColor; }
    void SetBackColor(OleColor New_BackColor);
    OleColor ForeColor() const { return m_ForeColor; }
    void SetForeColor(OleColor New_ForeColor);
    bool Locked() const { return m_Locked; }
    void SetLocked(bool iLocked);
    bool GotFocus() const { return m_GotFocus; }
    std::int32_t hwnd() const;
    FontRef Font();
    void SetFont(FontRef New_Font);

    // --- Methods ------------------------------------------------------------
    void Refresh();
    void Highlight();
    void ShowCalculator();
    void HideCalculator();
    // The about dialog, modal; returns when it closes.
    void DisplayAboutBox();

    // What the control shows now, for a host that draws it itself.
    Appearance CurrentAppearance();

    // Members as stored, for persistence and for tests of the range rules.
    const Variant& StoredValue() const { return m_Value; }
    const Variant& StoredMaxValue() const { return m_MaxValue; }
    const Variant& StoredMinValue() const { return m_MinValue; }
    std::int16_t MaxChars() const { return m_MaxChars; }
    bool Spinning() const { return m_Spinning; }

    // For assistive technology: the host's name for the control (its
    // ambient DisplayName, else the extender's Name), and the spinner's
    // halves and the drop button pressed as a click presses them.
    std::string HostName();
    void ClickSpinner(bool up);
    void ClickCalcButton();

private:
    // The table of persisted properties reads and sets the members.
    friend struct PersistedPropertyTable;

    // Each child reports to its own sink, which hands the notification to
    // the handler named after the child.
    struct TextBoxSink final : TextBoxEvents {
        Quillomet& c;
        explicit TextBoxSink(Quillomet& control) : c(control) {}
        void OnChange() override { c.OnTxtNumberChange(); }
        void OnGotFocus() override { c.OnTxtNumberGotFocus(); }
        void OnLostFocus() override { c.OnTxtNumberLostFocus(); }
        void OnKeyDown(std::int16_t& k, std::int16_t& s) override { c.OnTxtNumberKeyDown(k, s); }
        void OnKeyPress(std::int16_t& k) override { c.OnTxtNumberKeyPress(k); }
        void OnKeyUp(std::int16_t& k, std::int16_t& s) override { c.OnTxtNumberKeyUp(k, s); }
        void OnMouseDown(std::int16_t& b, std::int16_t& s, float& x, float& y) override {
            c.RaiseMouseEvent(EventId::MouseDown, b, s, x, y);
        }
        void OnMouseMove(std::int16_t& b, std::int16_t& s, float& x, float& y) override {
            c.RaiseMouseEvent(EventId::MouseMove, b, s, x, y);
        }
        void OnMouseUp(std::int16_t& b, std::int16_t& s, float& x, float& y) override {
            c.RaiseMouseEvent(EventId::MouseUp, b, s, x, y);
        }
        void OnClick() override { c.OnTxtNumberClick(); }
        void OnDblClick() override { c.RaiseEvent(EventId::DblClick); }
        void OnClipboardCommand(ClipboardCommand command) override {
            c.OnTxtNumberClipboard(command);
        }
        bool OnMouseWheel(std::int32_t delta) override { return c.OnTxtNumberMouseWheel(delta); }
    };
    struct SpinnerSink final : SpinnerEvents {
        Quillomet& c;
        explicit SpinnerSink(Quillomet& control) : c(control) {}
        void OnMouseDown(std::int16_t& b, std::int16_t& s, float& x, float& y) override {
            c.OnUpDown1MouseDown(b, s, x, y);
        }
        void OnMouseMove(std::int16_t& b, std::int16_t& s, float& x, float& y) override {
            c.RaiseMouseEvent(EventId::MouseMove, b, s, x, y);
        }
        void OnMouseUp(std::int16_t& b, std::int16_t& s, float& x, float& y) override {
            c.OnUpDown1MouseUp(b, s, x, y);
        }
    };
    struct CalcButtonSink final : ImageEvents {
        Quillomet& c;
        explicit CalcButtonSink(Quillomet& control) : c(control) {}
        void OnMouseDown(std::int16_t& b, std::int16_t& s, float& x, float& y) override {
            c.OnCalcButtonMouseDown(b, s, x, y);
        }
        void OnMouseMove(std::int16_t& b, std::int16_t& s, float& x, float& y) override {
            c.RaiseMouseEvent(EventId::MouseMove, b, s, x, y);
        }
        void OnMouseUp(std::int16_t& b, std::int16_t& s, float& x, float& y) override {
            c.OnCalcButtonMouseUp(b, s, x, y);
        }
        void OnClick() override { c.RaiseEvent(EventId::Click); }
        void OnDblClick() override { c.RaiseEvent(EventId::DblClick); }
    };
    struct TimerSink final : TimerEvents {
        Quillomet& c;
        explicit TimerSink(Quillomet& control) : c(control) {}
        void OnTimer() override { c.OnTimer1Timer(); }
    };

    // Text box (value and keys).
    void OnTxtNumberChange();
    void OnTxtNumberGotFocus();
    void OnTxtNumberLostFocus();
    void OnTxtNumberKeyDown(std::int16_t& keyCode, std::int16_t& shift);
    void OnTxtNumberKeyPress(std::int16_t& keyAscii);
    void OnTxtNumberKeyUp(std::int16_t& keyCode, std::int16_t& shift);
    void OnTxtNumberClick();
    void OnTxtNumberClipboard(ClipboardCommand command);
    bool OnTxtNumberMouseWheel(std::int32_t delta);
    void OnKeyLeftToTheControl(std::int16_t keyCode, std::int16_t shift);
    // Spinner and timer (stepping).
    void OnUpDown1MouseDown(std::int16_t& button, std::int16_t& shift, float& x, float& y);
    void OnUpDown1MouseUp(std::int16_t& button, std::int16_t& shift, float& x, float& y);
    void OnTimer1Timer();
    // Drop button.
    void OnCalcButtonMouseDown(std::int16_t& button, std::int16_t& shift, float& x, float& y);
    void OnCalcButtonMouseUp(std::int16_t& button, std::int16_t& shift, float& x, float& y);

    // The number text routines under the control's Format and PositiveOnly.
    // What they return lives until the next call of one of them.
    PlainForm StripFormat(std::string_view text);
    // The field's text to its plain form: a display form the control made
    // reads as the number it shows.
    PlainForm StripFieldText();
    std::string_view ApplyFormat(PlainForm plain);
    std::string_view Reformat(std::string_view text);
    void SetMaxChars();
    // The field takes no edits while locked or designed.
    void LockField();
    PictureSettings Picture() const;

    void ApplyRange();
    // The plain form taken into the range as leaving the field does it.
    std::string RangedOnLeaving(std::string_view plain) const;
    void TextBoxFocusArrival();
    void TextBoxFocusLoss();
    void ArrangeChildren();
    struct ChildPlaces {
        Geometry field, spinner, dropButton;
    };
    ChildPlaces PlacesOfChildren();
    void CloseCalculator();
    void ReleaseCalculator();
    void StepUp();
    void StepDown();
    void StepPage(bool up);
    bool MayStepUp();
    bool MayStepDown(double& floor);
    void HighlightAfterSteps();
    void StopSpinning();
    bool SpinnerSteps() const;
    Spinner& UpDown1();
    Timer& Timer1();
    Image& CalcPic1();
    Image& CalcPic2();
    void StopRepeating();
    bool Holdable(double next);
    bool MakesTooManyDigits(char digit) const;
    bool IsFieldFull() const;
    void CopyText();
    void CutText();
    void PasteText();

    // Every event goes to the host through here.
    void Raise(EventId event, std::span<Variant> arguments);
    void RaiseEvent(EventId event);
    void RaiseKeyEvent(EventId event, std::int16_t& keyCode, std::int16_t& shift);
    void RaiseMouseEvent(EventId event, std::int16_t& button, std::int16_t& shift, float& x,
                         float& y);

    Toolkit& m_Toolkit;
    Container& m_Host;
    ThreadData& m_Thread; // the thread the control was made on
    TextBoxSink m_TextBoxSink{*this};
    SpinnerSink m_SpinnerSink{*this};
    CalcButtonSink m_CalcButtonSink{*this};
    TimerSink m_TimerSink{*this};

    std::unique_ptr<TextBox> m_txtNumber;
    std::unique_ptr<Spinner> m_UpDown1;
    std::unique_ptr<Image> m_CalcButton;
    std::unique_ptr<Image> m_CalcPic1;
    std::unique_ptr<Image> m_CalcPic2;
    std::unique_ptr<Timer> m_Timer1;

    TextForms m_Text;
    Variant m_Value;
    Variant m_MaxValue;
    Variant m_MinValue;
    std::string m_Format;
    bool m_Enabled = false;
    bool m_PositiveOnly = false;
    bool m_GotFocus = false;
    bool m_DesignMode = false;
    // The field holds the keyboard focus (also in design mode, where it
    // shows no plain form).
    bool m_FieldFocused = false;
    // From a key's KeyDown or KeyPress whose handler took the edit away
    // (opened the calculator, say) to the key's release: its character is
    // not taken and its release closes nothing.
    bool m_KeyLeftTheEdit = false;
    // From the keypad's decimal key going down to its character.
    bool m_KeypadDecimal = false;
    // Wheel turns not yet making a whole step, in the direction of the last.
    std::int32_t m_WheelDelta = 0;
    bool m_Locked = false;
    bool m_Calculator = false;
    bool m_UseMaxMinValues = false;
    bool m_UpDownFunction = false;
    std::int16_t m_UpDownIncrement = 0;
    OleColor m_BackColor = 0;
    OleColor m_ForeColor = 0;
    bool m_SkipFocus = false;
    std::int16_t m_MaxChars = 0;
    // Counts value writes and loads, so a write can tell that a handler it
    // raised wrote or loaded meanwhile.
    std::uint32_t m_ValueWrites = 0;
    std::string m_LastText;
    // The control's window rectangle when it last opened the calculator.
    ScreenRect m_CalcRect;
    // This control's extender while it may own the calculator.
    ExtenderRef m_CalculatorOwner;
    bool m_SpinUp = false;
    bool m_Spinning = false;

    // Guards against re-entry that would never end: crossed limits in the
    // range rule, and a timer tick arriving inside a step (a host's Change
    // handler may run a modal loop).
    bool m_ApplyingRange = false;
    bool m_Stepping = false;
};

} // namespace quillomet
