#include "common/automation_error.h"
#include "common/number_conversion.h"
#include "common/scope_exit.h"
#include "common/text_length.h"
#include "control/property_keys.h"
#include "control/quillomet.h"
#include "control/value_text.h"

#include <cmath>

// The number-bearing properties, the range rules and the change detection.

namespace quillomet {
namespace {

Variant FiniteDouble(double value) {
    if (!std::isfinite(value))
        ThrowOverflow();
    return value;
}

} // namespace

Variant Quillomet::Value() {
    const PlainForm plain = StripFieldText();
    if (plain.text.empty())
        return std::int16_t{0};
    return FiniteDouble(TextValue(plain.text));
}

void Quillomet::SetValue(const Variant& iValue) {
    Variant accepted = AcceptedValue(iValue);
    const std::string_view shown = Reformat(ValueText(accepted));
    // The change detection, and with it the host's Change handler, runs
    // inside the text write: the value is stored first, so a handler reads
    // what is shown, and a write or a Load inside the handler wins over
    // this one, which then ends.
    m_Value = std::move(accepted);
    const std::uint32_t write = ++m_ValueWrites;
    m_txtNumber->SetText(shown);
    if (write != m_ValueWrites)
        return;
    if (m_UseMaxMinValues)
        ApplyRange();
    m_Host.PropertyChanged(keys::Value);
}

Variant Quillomet::MaxValue() const {
    return FiniteDouble(MemberValue(m_MaxValue));
}

void Quillomet::SetMaxValue(const Variant& iValue) {
    const Variant accepted = AcceptedValue(iValue);
    m_MaxValue = std::string(StripFormat(ValueText(accepted)).text);
    if (MemberValue(m_MinValue) > MemberValue(m_MaxValue)) {
        m_MaxValue = DefaultMaxValue;
        // A minimum above the default itself: meet it, so the order holds.
        if (MemberValue(m_MinValue) > MemberValue(m_MaxValue))
            m_MaxValue = m_MinValue;
    }
    if (m_UseMaxMinValues)
        ApplyRange();
    m_Host.PropertyChanged(keys::MaxValue);
}

Variant Quillomet::MinValue() const {
    return FiniteDouble(MemberValue(m_MinValue));
}

void Quillomet::SetMinValue(const Variant& iValue) {
    const Variant accepted = AcceptedValue(iValue);
    m_MinValue = std::string(StripFormat(ValueText(accepted)).text);
    if (MemberValue(m_MaxValue) < MemberValue(m_MinValue)) {
        m_MinValue = std::int16_t{0};
        // A negative maximum lies below 0 too: meet it, so the order holds.
        if (MemberValue(m_MaxValue) < MemberValue(m_MinValue))
            m_MinValue = m_MaxValue;
    }
    if (m_UseMaxMinValues)
        ApplyRange();
    m_Host.PropertyChanged(keys::MinValue);
}

void Quillomet::SetUseMaxMinValues(bool iUseMaxMinValues) {
    m_UseMaxMinValues = iUseMaxMinValues;
    if (m_UseMaxMinValues)
        ApplyRange();
    m_Host.PropertyChanged(keys::UseMaxMinValues);
}

void Quillomet::SetFormat(std::string_view iFormat) {
    if (Utf16Length(iFormat) > MaxTextLength)
        ThrowOverflow();
    m_Format = iFormat;
    SetMaxChars();
    m_txtNumber->SetText(ApplyFormat(StripFieldText()));
    m_Host.PropertyChanged(keys::Format);
}

void Quillomet::SetPositiveOnly(bool iPositiveOnly) {
    m_PositiveOnly = iPositiveOnly;
    if (m_PositiveOnly) {
        if (MemberValue(m_MaxValue) < 0)
            SetMaxValue(DefaultMaxValue);
        if (MemberValue(m_MinValue) < 0)
            SetMinValue(std::int16_t{0});
        if (MemberValue(m_Value) < 0)
            SetValue(std::int16_t{0});
    }
    m_Host.PropertyChanged(keys::PositiveOnly);
}

// --- Range ----------------------------------------------------------------

void Quillomet::ApplyRange() {
    // With MinValue above MaxValue (stored settings are not cross-checked)
    // the nested writes below would alternate between the limits without
    // end; then the maximum is written once and nesting stops.
    if (m_ApplyingRange)
        return;
    const bool crossed = MemberValue(m_MinValue) > MemberValue(m_MaxValue);
    const auto applying = scoped_value(m_ApplyingRange, crossed);

    if (m_Value.IsEmpty() || (m_Value.IsString() && m_Value.String().empty()))
        m_Value = std::int16_t{0};
    if (MemberValue(m_MinValue) > MemberValue(m_Value))
        SetValue(Variant(m_MinValue));
    if (MemberValue(m_MaxValue) < MemberValue(m_Value))
        SetValue(Variant(m_MaxValue));
}

std::string Quillomet::RangedOnLeaving(std::string_view plain) const {
    std::string text(plain.empty() ? "0" : plain);
    if (MemberValue(m_MinValue) > TextValue(text))
        text = ValueText(m_MinValue);
    if (MemberValue(m_MaxValue) < TextValue(text))
        text = ValueText(m_MaxValue);
    return text;
}

// --- Text box -------------------------------------------------------------

// The change detection: Change only when the number differs, not its form.
void Quillomet::OnTxtNumberChange() {
    const std::string_view plain = StripFieldText().text;
    if (m_LastText == plain)
        return;
    // An edit no filter saw (a point deleted, a host's changed key) that
    // makes a number of 10^15 or more is undone: the field cannot hold it.
    if (!WithinPlainRange(plain)) {
        m_Toolkit.Beep();
        m_txtNumber->SetText(m_LastText);
        return;
    }
    const bool sameNumber = TextValue(m_LastText) == TextValue(plain);
    m_LastText = plain;
    if (sameNumber)
        return;
    m_Host.PropertyChanged(keys::Value);
    m_Toolkit.AnnounceValueChange();
    RaiseEvent(EventId::Change);
}

// --- Number text ----------------------------------------------------------

PictureSettings Quillomet::Picture() const {
    return PictureSettings{m_Format, m_PositiveOnly, m_GotFocus};
}

PlainForm Quillomet::StripFormat(std::string_view text) {
    return m_Text.StripFormat(text, m_PositiveOnly);
}
PlainForm Quillomet::StripFieldText() {
    return m_Text.StripFormat(m_txtNumber->Text(), m_PositiveOnly, TextSource::Shown);
}
std::string_view Quillomet::ApplyFormat(PlainForm plain) {
    return m_Text.ApplyFormat(plain, Picture()).text;
}
std::string_view Quillomet::Reformat(std::string_view text) {
    return m_Text.Reformat(text, Picture()).text;
}
void Quillomet::SetMaxChars() {
    m_MaxChars = MaxCharsOf(m_Format);
}

} // namespace quillomet
