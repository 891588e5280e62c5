#include "control/quillomet.h"

#include "common/automation_error.h"
#include "common/text_length.h"
#include "control/number_conversion.h"
#include "control/property_keys.h"
#include "control/value_text.h"

#include <cmath>

namespace quillomet {
namespace {

// Sets a flag for the lifetime of a scope, also when the scope is left by
// an error.
class ScopedFlag {
public:
    ScopedFlag(bool& flag, bool value) : m_Flag(flag), m_Saved(flag) { m_Flag = value; }
    ~ScopedFlag() { m_Flag = m_Saved; }
    ScopedFlag(const ScopedFlag&) = delete;
    ScopedFlag& operator=(const ScopedFlag&) = delete;

private:
    bool& m_Flag;
    bool m_Saved;
};

// A stored font, or the host's ambient font as a copy of the control's own.
FontRef TakeFont(const Variant& stored, const FontRef& ambient) {
    if (!stored.IsObject())
        ThrowTypeMismatch();
    if (stored.Object() == ambient)
        return ambient ? ambient->Clone() : nullptr;
    auto font = std::dynamic_pointer_cast<FontObject>(stored.Object());
    if (!font)
        ThrowTypeMismatch();
    return font;
}

OleColor ColorOf(const Variant& stored) {
    return static_cast<OleColor>(stored.ToLong());
}
Variant StoredColor(OleColor color) {
    return static_cast<std::int32_t>(color);
}

Variant FiniteDouble(double value) {
    if (!std::isfinite(value))
        ThrowOverflow();
    return value;
}

} // namespace

Quillomet::Quillomet(Toolkit& toolkit, Container& host)
    : m_Host(host), m_txtNumber(toolkit.CreateTextBox(*this)) {}

Quillomet::~Quillomet() = default;

void Quillomet::InitProperties() {
    m_Value = "";
    m_MaxValue = DefaultMaxValue;
    m_MinValue = std::int16_t{0};
    m_UseMaxMinValues = false;
    m_Format = DefaultFormat;
    m_MaxChars = 10; // the default picture's first section; SetMaxChars does not run
    m_Enabled = true;
    m_PositiveOnly = false;
    m_BackColor = SystemWindowBackground;
    m_ForeColor = SystemWindowText;
    m_Locked = false;
    m_Calculator = true;
    m_UpDownFunction = false;
    m_UpDownIncrement = 1;
    // A copy, so that changing the control's font never changes the host's.
    if (FontRef ambient = m_Host.AmbientFont())
        m_txtNumber->SetFont(ambient->Clone());
}

void Quillomet::ReadProperties(PropertyBag& bag) {
    const FontRef ambient = m_Host.AmbientFont();
    if (FontRef font = TakeFont(bag.ReadProperty(keys::Font, Variant(ObjectRef(ambient))), ambient))
        m_txtNumber->SetFont(std::move(font));

    // Format before Value, so the stored value appears in the stored format.
    const Variant format = bag.ReadProperty(keys::Format, DefaultFormat);
    std::string formatText = format.ToString();
    if (Utf16Length(formatText) > MaxTextLength)
        ThrowOverflow();
    m_Format = std::move(formatText);
    SetMaxChars();

    SetEnabled(bag.ReadProperty(keys::Enabled, true).ToBoolean());
    m_PositiveOnly = bag.ReadProperty(keys::PositiveOnly, false).ToBoolean();
    m_BackColor = ColorOf(bag.ReadProperty(keys::BackColor, StoredColor(SystemWindowBackground)));
    m_txtNumber->SetBackColor(m_BackColor);
    m_ForeColor = ColorOf(bag.ReadProperty(keys::ForeColor, StoredColor(SystemWindowText)));
    m_txtNumber->SetForeColor(m_ForeColor);
    // Stored as held; no range check and no cross-check of the limits here.
    m_Value = AcceptedValue(bag.ReadProperty(keys::Value, ""));
    m_MaxValue = AcceptedValue(bag.ReadProperty(keys::MaxValue, DefaultMaxValue));
    m_MinValue = AcceptedValue(bag.ReadProperty(keys::MinValue, std::int16_t{0}));
    m_UseMaxMinValues = bag.ReadProperty(keys::UseMaxMinValues, false).ToBoolean();
    m_Locked = bag.ReadProperty(keys::Locked, false).ToBoolean();
    m_txtNumber->SetLocked(m_Locked);
    m_Calculator = bag.ReadProperty(keys::Calculator, true).ToBoolean();
    m_UpDownFunction = bag.ReadProperty(keys::UpDownFunction, false).ToBoolean();
    m_UpDownIncrement = bag.ReadProperty(keys::UpDownIncrement, std::int16_t{1}).ToInteger();

    m_Text.m_WorkText = ValueText(m_Value);
    Reformat();
    m_txtNumber->SetText(m_Text.m_WorkText);
}

void Quillomet::WriteProperties(PropertyBag& bag) const {
    bag.WriteProperty(keys::Font, Variant(ObjectRef(m_txtNumber->Font())),
                      Variant(ObjectRef(m_Host.AmbientFont())));
    bag.WriteProperty(keys::Value, m_Value, "");
    bag.WriteProperty(keys::MaxValue, m_MaxValue, DefaultMaxValue);
    bag.WriteProperty(keys::MinValue, m_MinValue, std::int16_t{0});
    bag.WriteProperty(keys::UseMaxMinValues, m_UseMaxMinValues, false);
    bag.WriteProperty(keys::Format, m_Format, DefaultFormat);
    bag.WriteProperty(keys::Enabled, m_Enabled, true);
    bag.WriteProperty(keys::PositiveOnly, m_PositiveOnly, false);
    bag.WriteProperty(keys::BackColor, StoredColor(m_BackColor),
                      StoredColor(SystemWindowBackground));
    bag.WriteProperty(keys::ForeColor, StoredColor(m_ForeColor), StoredColor(SystemWindowText));
    bag.WriteProperty(keys::Locked, m_Locked, false);
    bag.WriteProperty(keys::Calculator, m_Calculator, true);
    bag.WriteProperty(keys::UpDownFunction, m_UpDownFunction, false);
    bag.WriteProperty(keys::UpDownIncrement, m_UpDownIncrement, std::int16_t{1});
}

// --- Properties -----------------------------------------------------------

void Quillomet::SetCalculator(bool iCalculator) {
    m_Calculator = iCalculator;
    m_Host.PropertyChanged(keys::Calculator);
}

void Quillomet::SetUpDownFunction(bool iUpDownFunction) {
    m_UpDownFunction = iUpDownFunction;
    m_Host.PropertyChanged(keys::UpDownFunction);
}

void Quillomet::SetUpDownIncrement(std::int16_t iUpDownIncrement) {
    m_UpDownIncrement = iUpDownIncrement;
    m_Host.PropertyChanged(keys::UpDownIncrement);
}

Variant Quillomet::Value() {
    m_Text.m_WorkText = m_txtNumber->Text();
    StripFormat();
    if (m_Text.m_WorkText.empty())
        return std::int16_t{0};
    return FiniteDouble(TextValue(m_Text.m_WorkText));
}

void Quillomet::SetValue(const Variant& iValue) {
    Variant accepted = AcceptedValue(iValue);
    m_Text.m_WorkText = ValueText(accepted);
    Reformat();
    // The change detection, and with it the host's Change handler, runs
    // inside this write.
    m_txtNumber->SetText(m_Text.m_WorkText);
    m_Value = std::move(accepted);
    if (m_UseMaxMinValues)
        ApplyRange();
    m_Host.PropertyChanged(keys::Value);
}

Variant Quillomet::MaxValue() const {
    return FiniteDouble(MemberValue(m_MaxValue));
}

void Quillomet::SetMaxValue(const Variant& iValue) {
    const Variant accepted = AcceptedValue(iValue);
    m_Text.m_WorkText = ValueText(accepted);
    StripFormat();
    m_MaxValue = m_Text.m_WorkText;
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
    m_Text.m_WorkText = ValueText(accepted);
    StripFormat();
    m_MinValue = m_Text.m_WorkText;
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
    m_Text.m_WorkText = m_txtNumber->Text();
    Reformat();
    m_txtNumber->SetText(m_Text.m_WorkText);
    m_Host.PropertyChanged(keys::Format);
}

void Quillomet::SetEnabled(bool iEnabled) {
    m_Enabled = iEnabled;
    m_txtNumber->SetEnabled(iEnabled);
    if (iEnabled) {
        // A host without the extender property keeps the field in the tab order.
        const Variant tabStop = m_Host.ExtenderProperty("TabStop");
        m_txtNumber->SetTabStop(tabStop.IsEmpty() || tabStop.ToBoolean());
    } else {
        m_txtNumber->SetTabStop(false);
    }
    m_Host.SetEnabled(iEnabled);
    m_Host.PropertyChanged(keys::Enabled);
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

void Quillomet::SetBackColor(OleColor New_BackColor) {
    m_BackColor = New_BackColor;
    m_txtNumber->SetBackColor(New_BackColor);
    m_Host.PropertyChanged(keys::BackColor);
}

void Quillomet::SetForeColor(OleColor New_ForeColor) {
    m_ForeColor = New_ForeColor;
    m_txtNumber->SetForeColor(New_ForeColor);
    m_Host.PropertyChanged(keys::ForeColor);
}

void Quillomet::SetLocked(bool iLocked) {
    m_Locked = iLocked;
    m_txtNumber->SetLocked(iLocked);
    m_Host.PropertyChanged(keys::Locked);
}

std::int32_t Quillomet::hwnd() const {
    return m_txtNumber->WindowHandle();
}

FontRef Quillomet::Font() const {
    return m_txtNumber->Font();
}

void Quillomet::SetFont(FontRef New_Font) {
    if (!New_Font)
        throw AutomationError(ErrorNumber::InvalidProcedureCall, "Font needs a font object");
    m_txtNumber->SetFont(std::move(New_Font));
    Refresh();
    m_Host.PropertyChanged(keys::Font);
}

// --- Methods --------------------------------------------------------------

void Quillomet::Refresh() {
    if (m_Enabled)
        m_txtNumber->Refresh();
}

void Quillomet::Highlight() {
    if (m_Enabled)
        TextBoxFocusArrival();
}

// --- Range ----------------------------------------------------------------

void Quillomet::ApplyRange() {
    // With MinValue above MaxValue (stored settings are not cross-checked)
    // the nested writes below would alternate between the limits without
    // end; then the maximum is written once and nesting stops.
    if (m_ApplyingRange)
        return;
    const bool crossed = MemberValue(m_MinValue) > MemberValue(m_MaxValue);
    ScopedFlag guard(m_ApplyingRange, crossed);

    if (m_Value.IsEmpty() || (m_Value.IsString() && m_Value.String().empty()))
        m_Value = std::int16_t{0};
    if (MemberValue(m_MinValue) > MemberValue(m_Value))
        SetValue(Variant(m_MinValue));
    if (MemberValue(m_MaxValue) < MemberValue(m_Value))
        SetValue(Variant(m_MaxValue));
}

void Quillomet::ApplyRangeOnLeaving() {
    std::string& text = m_Text.m_WorkText;
    if (text.empty())
        text = "0";
    if (MemberValue(m_MinValue) > TextValue(text))
        text = ValueText(m_MinValue);
    if (MemberValue(m_MaxValue) < TextValue(text))
        text = ValueText(m_MaxValue);
}

// --- Text box -------------------------------------------------------------

// The change detection: Change only when the number differs, not its form.
void Quillomet::OnChange() {
    m_Text.m_WorkText = m_txtNumber->Text();
    StripFormat();
    const std::string& plain = m_Text.m_WorkText;
    if (m_LastText == plain)
        return;
    const bool sameNumber = TextValue(m_LastText) == TextValue(plain);
    m_LastText = plain;
    if (sameNumber)
        return;
    m_Host.PropertyChanged(keys::Value);
    RaiseEvent(EventId::Change);
}

void Quillomet::OnGotFocus() {
    TextBoxFocusArrival();
}

void Quillomet::OnLostFocus() {
    TextBoxFocusLoss();
}

// Into the field: the plain form, left-aligned and wholly selected so that
// typing replaces it.
void Quillomet::TextBoxFocusArrival() {
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
    m_Text.m_WorkText = m_txtNumber->Text();
    StripFormat();
    // Recorded first, so that rewriting the text raises no Change.
    m_LastText = m_Text.m_WorkText;
    m_txtNumber->SetText(m_Text.m_WorkText);
    m_txtNumber->SetSelStart(0);
    m_txtNumber->SetSelLength(static_cast<std::int32_t>(Utf16Length(m_txtNumber->Text())));
}

// Out of the field: range-checked, stored, and shown in the display form.
void Quillomet::TextBoxFocusLoss() {
    m_GotFocus = false;
    if (m_Locked)
        return;
    m_Text.m_WorkText = m_txtNumber->Text();
    StripFormat();
    if (m_UseMaxMinValues)
        ApplyRangeOnLeaving();
    m_Value = m_Text.m_WorkText;
    Reformat();
    m_txtNumber->SetText(m_Text.m_WorkText);
    m_txtNumber->SetAlignment(Alignment::Right);
}

void Quillomet::CloseCalculator() {
    // No calculator window exists in this build; closing one is a no-op.
}

void Quillomet::RaiseEvent(EventId event) {
    m_Host.RaiseEvent(event, {});
}

// --- Number text ----------------------------------------------------------

PictureSettings Quillomet::Picture() const {
    return PictureSettings{m_Format, m_PositiveOnly, m_GotFocus};
}

void Quillomet::StripFormat() {
    m_Text.StripFormat(m_PositiveOnly);
}
void Quillomet::ApplyFormat() {
    m_Text.ApplyFormat(Picture());
}
void Quillomet::Reformat() {
    m_Text.Reformat(Picture());
}
void Quillomet::SetMaxChars() {
    m_MaxChars = MaxCharsOf(m_Format);
}

} // namespace quillomet
