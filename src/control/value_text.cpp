#include "control/value_text.h"

#include "common/automation_error.h"
#include "common/number_conversion.h"
#include "common/text_length.h"

#include <cmath>

namespace quillomet {
namespace {

// A Single reads as the seven digits it was given, not as its binary
// approximation (1.1 rather than 1.10000002384186).
double SingleAsDecimal(const Variant& single) {
    double decimal = 0;
    ParseAutomationNumber(single.ToString(), decimal);
    return decimal;
}

double NumberOf(const Variant& number) {
    return number.Type() == VariantType::Single ? SingleAsDecimal(number) : number.ToDouble();
}

} // namespace

Variant AcceptedValue(const Variant& given) {
    Variant accepted = given;
    if (given.IsObject()) {
        if (!given.Object())
            throw AutomationError(ErrorNumber::InvalidProcedureCall,
                                  "An object without a value cannot be a number");
        accepted = given.Object()->DefaultValue();
        if (accepted.IsObject())
            ThrowTypeMismatch();
    }
    switch (accepted.Type()) {
    case VariantType::Null:
        ThrowInvalidUseOfNull();
    case VariantType::String:
        if (Utf16Length(accepted.String()) > MaxTextLength)
            ThrowOverflow();
        // A number in exponent form is held in its plain form, so the range
        // rules, the text routines and the saved settings read the same
        // number; one too long to be a text of the control is refused.
        if (auto plain = PlainFromExponentForm(accepted.String(), MaxTextLength))
            accepted = std::move(*plain);
        if (!std::isfinite(TextValue(accepted.String())) || !WithinPlainRange(accepted.String()))
            ThrowOverflow();
        break;
    case VariantType::Single:
    case VariantType::Double:
        // Judged on the text the control will hold, which rounds to 15 digits.
        if (!std::isfinite(accepted.ToDouble()) || !WithinPlainRange(ValueText(accepted)))
            ThrowOverflow();
        break;
    default:
        break;
    }
    return accepted;
}

std::string ValueText(const Variant& value) {
    if (value.IsString())
        return value.String();
    if (value.IsNumeric())
        return NumberText(NumberOf(value));
    return {};
}

double MemberValue(const Variant& member) {
    return TextValue(ValueText(member));
}

} // namespace quillomet
