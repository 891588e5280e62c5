#pragma once

#include "toolkit/calculator_window.h"
#include "toolkit/ole_color.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quillomet::calculator_layout {

// The font a control's caption is drawn in.
struct CaptionFont {
    std::string_view name;
    double points;
    bool bold;
};

enum class Kind { Label, Button };

// The placement of one control of the calculator window: what it is, its
// caption, its place and size in twips, its font and its tab position.
struct ControlPlacement {
    Kind kind;
    std::optional<CalculatorButton> button; // none for the readout
    std::string_view caption;
    std::int32_t left, top, width, height;
    std::optional<CaptionFont> font; // none: the window's font
    int tabIndex;
};

inline constexpr std::int32_t ClientWidth = 2295;
inline constexpr std::int32_t ClientHeight = 2310;
inline constexpr OleColor BackColor = 0x00FF8080;
inline constexpr CaptionFont WindowFont{"System", 9.75, true};
inline constexpr OleColor ReadoutBackColor = 0x0000FFFF;
inline constexpr OleColor ReadoutForeColor = 0x00000000;

inline constexpr CaptionFont ArialBlack{"Arial Black", 9.75, true};

using B = CalculatorButton;
// In tab order.
inline constexpr std::array<ControlPlacement, 20> Controls{{
    {Kind::Button, B::Cancel, "C", 1410, 585, 360, 360, CaptionFont{"Arial", 9, true}, 0},
    {Kind::Button, B::Number0, "0", 105, 1845, 795, 360, std::nullopt, 1},
    {Kind::Button, B::Number1, "1", 105, 1425, 360, 360, std::nullopt, 2},
    {Kind::Button, B::Number2, "2", 540, 1425, 360, 360, std::nullopt, 3},
    {Kind::Button, B::Number3, "3", 975, 1425, 360, 360, std::nullopt, 4},
    {Kind::Button, B::Number4, "4", 105, 1005, 360, 360, std::nullopt, 5},
    {Kind::Button, B::Number5, "5", 540, 1005, 360, 360, std::nullopt, 6},
    {Kind::Button, B::Number6, "6", 975, 1005, 360, 360, std::nullopt, 7},
    {Kind::Button, B::Number7, "7", 105, 585, 360, 360, std::nullopt, 8},
    {Kind::Button, B::Number8, "8", 540, 585, 360, 360, std::nullopt, 9},
    {Kind::Button, B::Number9, "9", 975, 585, 360, 360, std::nullopt, 10},
    {Kind::Button, B::CancelEntry, "CE", 1845, 585, 360, 360, CaptionFont{"Arial", 8.25, true}, 11},
    {Kind::Button, B::Operator1, "+", 1410, 1005, 360, 360, std::nullopt, 12},
    {Kind::Button, B::Operator3, "-", 1845, 1005, 360, 360, ArialBlack, 13},
    {Kind::Button, B::Operator2, "X", 1410, 1425, 360, 360, std::nullopt, 14},
    {Kind::Button, B::Operator0, "/", 1845, 1425, 360, 360, ArialBlack, 15},
    {Kind::Button, B::Operator4, "=", 1410, 1845, 360, 360, ArialBlack, 16},
    {Kind::Button, B::Percent, "%", 1845, 1845, 360, 360, std::nullopt, 17},
    {Kind::Button, B::Decimal, ".", 975, 1845, 360, 360, ArialBlack, 18},
    {Kind::Label, std::nullopt, "0.", 105, 105, 2100, 360, CaptionFont{"MS Sans Serif", 12, true},
     19},
}};

// What a screen reader calls the window and each key: the key's meaning,
// where its caption is a sign.
inline constexpr std::string_view SpokenWindowName = "Calculator";
constexpr std::string_view SpokenName(CalculatorButton button) {
    switch (button) {
    case B::Number0:
        return "0";
    case B::Number1:
        return "1";
    case B::Number2:
        return "2";
    case B::Number3:
        return "3";
    case B::Number4:
        return "4";
    case B::Number5:
        return "5";
    case B::Number6:
        return "6";
    case B::Number7:
        return "7";
    case B::Number8:
        return "8";
    case B::Number9:
        return "9";
    case B::Decimal:
        return "Decimal point";
    case B::Operator0:
        return "Divide";
    case B::Operator1:
        return "Add";
    case B::Operator2:
        return "Multiply";
    case B::Operator3:
        return "Subtract";
    case B::Operator4:
        return "Equals";
    case B::Percent:
        return "Percent";
    case B::Cancel:
        return "Clear";
    case B::CancelEntry:
        return "Clear entry";
    }
    return {};
}

} // namespace quillomet::calculator_layout
