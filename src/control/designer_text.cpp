#include "control/designer_text.h"

#include "common/integer_text.h"
#include "control/quillomet.h"
#include "control/text_forms.h"

#include <array>

namespace quillomet {
namespace {

constexpr std::array<std::string_view, 8> Pictures = {
    Quillomet::DefaultFormat, "#,##0.00", "#,##0", "0.00", "0.000", "0", "00000",
    "$#,##0.00;($#,##0.00)",
};

// By their system index: the names designers give them.
constexpr std::array<std::string_view, NamedSystemColors> ColorNames = {
    "Scroll Bars",
    "Desktop",
    "Active Title Bar",
    "Inactive Title Bar",
    "Menu Bar",
    "Window Background",
    "Window Frame",
    "Menu Text",
    "Window Text",
    "Active Title Bar Text",
    "Active Border",
    "Inactive Border",
    "Application Workspace",
    "Highlight",
    "Highlight Text",
    "Button Face",
    "Button Shadow",
    "Disabled Text",
    "Button Text",
    "Inactive Title Bar Text",
    "Button Highlight",
    "Button Dark Shadow",
    "Button Light Shadow",
    "ToolTip Text",
    "ToolTip",
};

// The number every example shows: group marks, a fraction and a digit
// for each of a picture's integer places up to five.
constexpr std::string_view ExampleNumber = "1234.5";

} // namespace

std::span<const std::string_view> CommonPictures() {
    return Pictures;
}

std::string PictureExample(std::string_view picture) {
    TextForms forms;
    std::string text(forms.Reformat(ExampleNumber, {picture}).text);
    return text.append(" (").append(picture).append(")");
}

std::string_view SystemColorName(OleColor color) {
    const OleColor index = color - FirstSystemColor;
    return color >= FirstSystemColor && index < ColorNames.size() ? ColorNames[index]
                                                                  : std::string_view();
}

std::string FontDescription(const FontTraits& font) {
    constexpr std::int64_t PerPoint = 10000;
    const auto whole = static_cast<std::uint32_t>(font.size / PerPoint);
    std::string text(font.name);
    text.append(", ").append(UnsignedText(whole));
    if (auto fraction = static_cast<std::uint32_t>(font.size % PerPoint)) {
        std::string digits = UnsignedText(fraction + PerPoint).substr(1);
        digits.erase(digits.find_last_not_of('0') + 1);
        text.append(".").append(digits);
    }
    text += " pt";
    const std::pair<bool, const char*> styles[] = {{font.bold, ", bold"},
                                                   {font.italic, ", italic"},
                                                   {font.underline, ", underline"},
                                                   {font.strikethrough, ", strikethrough"}};
    for (const auto& [has, name] : styles)
        if (has)
            text += name;
    return text;
}

} // namespace quillomet
