#pragma once

#include "common/variant.h"
#include "control/text_forms.h"
#include "server/container.h"
#include "toolkit/font.h"
#include "toolkit/ole_color.h"
#include "toolkit/text_box.h"
#include "toolkit/toolkit.h"

#include <cstdint>
#include <memory>
#include <string>

namespace quillomet {

// The numeric entry control. The text box is the store of the current
// number: `value` reads it back out of the text each time.
class Quillomet final : private TextBoxEvents {
public:
    static constexpr const char* DefaultFormat = "###,##0.00;(##,###.00)";
    static constexpr double DefaultMaxValue = 999999.99;

    Quillomet(Toolkit& toolkit, Container& host);
    ~Quillomet();
    Quillomet(const Quillomet&) = delete;
    Quillomet& operator=(const Quillomet&) = delete;

    // Start-up of a new instance without stored settings: defaults set
    // directly, nothing notified, the text box left empty.
    void InitProperties();
    // Start-up from stored settings: each key read and applied in turn. A
    // value that cannot be converted ends loading at that key with the
    // conversion error; the keys before it stay applied.
    void ReadProperties(PropertyBag& bag);
    // Writes every setting with its default; changes nothing.
    void WriteProperties(PropertyBag& bag) const;

    // Properties, in the type library's member order.
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
    FontRef Font() const;
    void SetFont(FontRef New_Font);

    // Methods.
    void Refresh();
    void Highlight();

    // Members as stored, for persistence and for tests of the range rules.
    const Variant& StoredValue() const { return m_Value; }
    const Variant& StoredMaxValue() const { return m_MaxValue; }
    const Variant& StoredMinValue() const { return m_MinValue; }
    std::int16_t MaxChars() const { return m_MaxChars; }

private:
    // The text box's notifications.
    void OnChange() override;
    void OnGotFocus() override;
    void OnLostFocus() override;

    // Number text routines over the working text.
    void StripFormat();
    void ApplyFormat();
    void Reformat();
    void SetMaxChars();
    PictureSettings Picture() const;

    void ApplyRange();
    void ApplyRangeOnLeaving();
    void TextBoxFocusArrival();
    void TextBoxFocusLoss();
    void CloseCalculator();
    void RaiseEvent(EventId event);

    Container& m_Host;
    std::unique_ptr<TextBox> m_txtNumber;
    TextForms m_Text;

    Variant m_Value;
    Variant m_MaxValue;
    Variant m_MinValue;
    std::string m_Format;
    bool m_Enabled = false;
    bool m_PositiveOnly = false;
    bool m_GotFocus = false;
    bool m_Locked = false;
    bool m_Calculator = false;
    bool m_UseMaxMinValues = false;
    bool m_UpDownFunction = false;
    std::int16_t m_UpDownIncrement = 0;
    OleColor m_BackColor = 0;
    OleColor m_ForeColor = 0;
    bool m_SkipFocus = false;
    std::int16_t m_MaxChars = 0;
    std::string m_LastText;
    bool m_ApplyingRange = false;
};

} // namespace quillomet
