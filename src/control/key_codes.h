#pragma once

#include <cstdint>

namespace quillomet::key {

// Character codes of the key-press notification.
inline constexpr std::int16_t Backspace = 8;
inline constexpr std::int16_t CtrlN = 14; // typed as the decimal point
inline constexpr std::int16_t Minus = 45;
inline constexpr std::int16_t Point = 46;
inline constexpr std::int16_t Digit0 = 48;
inline constexpr std::int16_t Digit9 = 57;

// Key codes of key-down and key-up.
inline constexpr std::int16_t PageUp = 33;
inline constexpr std::int16_t PageDown = 34;
inline constexpr std::int16_t Up = 38;
inline constexpr std::int16_t Down = 40;
inline constexpr std::int16_t C = 67;
inline constexpr std::int16_t V = 86;
inline constexpr std::int16_t X = 88;
// The keypad's decimal key, whatever character its layout gives it.
inline constexpr std::int16_t KeypadDecimal = 110;
inline constexpr std::int16_t F4 = 115;

// How many rounds a Page key steps, and the wheel's delta per step.
inline constexpr std::int16_t PageSteps = 10;
inline constexpr std::int32_t WheelNotch = 120;

} // namespace quillomet::key
