// Fuzzes the number text routines and the control's value path with any
// picture and any text, checking what must always hold.
//
// Input: one byte of switches, then the picture, a NUL, then the text.
#include "backend/memory/memory_container.h"
#include "backend/memory/memory_toolkit.h"
#include "common/automation_error.h"
#include "common/number_conversion.h"
#include "control/quillomet.h"
#include "control/text_forms.h"
#include "fuzz_require.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace {

using namespace quillomet;

void CheckPlainForm(PlainForm form, bool positiveOnly) {
    const std::string_view plain = form.text;
    int points = 0;
    for (std::size_t i = 0; i < plain.size(); ++i) {
        const char c = plain[i];
        if (c == '.')
            ++points;
        else if (c == '-')
            Require(i == 0, "a '-' only in first place");
        else
            Require(c >= '0' && c <= '9', "only digits, '.' and '-'");
    }
    Require(points <= 1, "at most one '.'");
    if (positiveOnly)
        Require(form.positive, "PositiveOnly leaves no negative");
    Require(form.positive == !(TextValue(plain) < 0) || std::isinf(TextValue(plain)) ||
                TextValue(plain) == 0,
            "the sign agrees with the number");
}

// A plain number whose decimals fit the default picture survives its display
// form, however many integer digits it has.
bool FitsDefaultPicture(const std::string& plain) {
    const std::size_t point = plain.find('.');
    const std::size_t fractionDigits = point == std::string::npos ? 0 : plain.size() - point - 1;
    return fractionDigits <= 2;
}

// Whether every picture the format can choose has a digit placeholder: the
// positive and negative sections and, with a "(", what follows it.
bool EverySectionHasAPlaceholder(std::string_view format) {
    const auto hasPlaceholder = [](std::string_view text) {
        return text.find_first_of("0#") != std::string_view::npos;
    };
    const std::size_t s = format.find(';');
    const std::size_t paren = format.find('(');
    return hasPlaceholder(format.substr(0, s)) &&
           (s == std::string_view::npos || hasPlaceholder(format.substr(s + 1))) &&
           (paren == std::string_view::npos || hasPlaceholder(format.substr(paren + 1)));
}

// Significant digits of a plain form, leading zeros not counted.
std::size_t SignificantDigits(std::string_view plain) {
    std::size_t count = 0;
    for (const char c : plain)
        if (c >= '0' && c <= '9' && (count > 0 || c != '0'))
            ++count;
    return count;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const std::uint8_t switches = data[0];
    const bool positiveOnly = switches & 1;
    const bool gotFocus = switches & 2;
    const std::string_view rest(reinterpret_cast<const char*>(data + 1), size - 1);
    const std::size_t nul = rest.find('\0');
    const std::string format(rest.substr(0, nul));
    const std::string input(nul == std::string_view::npos ? std::string_view()
                                                          : rest.substr(nul + 1));

    TextForms text;
    const PlainForm first = text.StripFormat(input, positiveOnly);
    CheckPlainForm(first, positiveOnly);
    const std::string plain(first.text);
    const PlainForm again = text.StripFormat(plain, positiveOnly);
    Require(again.text == plain, "StripFormat is idempotent");

    const DisplayForm formatted = text.ApplyFormat(again, {format, positiveOnly, gotFocus});
    CheckPlainForm(text.StripFormat(formatted.text, positiveOnly), positiveOnly);
    MaxCharsOf(format);

    // With the default picture a number that fits comes back unchanged.
    const std::string defaultShown(
        text.Reformat(plain, {Quillomet::DefaultFormat, positiveOnly, gotFocus}).text);
    const PlainForm shownBack = text.StripFormat(defaultShown, positiveOnly);
    if (FitsDefaultPicture(plain))
        Require(TextValue(shownBack.text) == TextValue(plain),
                "the default picture keeps a number that fits");

    // NumberText reads back as itself.
    const double number = TextValue(input);
    if (std::isfinite(number)) {
        const std::string once = NumberText(number);
        const double back = TextValue(once);
        Require(std::isfinite(back), "NumberText reads back finite");
        Require(NumberText(back) == once, "NumberText round-trips");
    }

    // The control itself: any picture and any text are taken or refused
    // with an automation error, and the field then holds a display form.
    memory::MemoryToolkit toolkit;
    memory::MemoryContainer host;
    Quillomet control(toolkit, host);
    control.InitProperties();
    try {
        control.SetFormat(format);
        control.SetPositiveOnly(positiveOnly);
        control.SetUseMaxMinValues(switches & 4);
        if (gotFocus)
            toolkit.Field().ReceiveFocus();
        control.SetValue(input);
        const double shown = control.Value().ToDouble();
        // The number shown reads back as itself: display to plain form and
        // back is the identity, and the number written again reads the same.
        const bool plainInput = input.find_first_of("eE") == std::string::npos;
        if (!(switches & 4) && plainInput && EverySectionHasAPlaceholder(format) &&
            SignificantDigits(plain) <= 15) {
            // A negative number whose shown digits are all zeros reads as 0
            // and shows as 0 afterwards; any other keeps its display form.
            if (!gotFocus && shown != 0) {
                const std::string display = toolkit.Field().Text();
                toolkit.Field().ReceiveFocus();
                Require(control.Value().ToDouble() == shown, "the plain form reads the same");
                toolkit.Field().LoseFocus();
                Require(toolkit.Field().Text() == display, "display, plain, display");
            }
            control.SetValue(shown);
            Require(control.Value().ToDouble() == shown, "the number shown reads back");
        }
        toolkit.Field().LoseFocus();
    } catch (const AutomationError&) {
    }
    return 0;
}
