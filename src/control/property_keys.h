#pragma once

namespace quillomet::keys {

// The names under which settings are persisted and change is notified.
inline constexpr const char* Font = "Font";
inline constexpr const char* Format = "Format";
inline constexpr const char* Enabled = "Enabled";
inline constexpr const char* PositiveOnly = "PositiveOnly";
inline constexpr const char* BackColor = "BackColor";
inline constexpr const char* ForeColor = "ForeColor";
inline constexpr const char* Value = "Value";
inline constexpr const char* MaxValue = "MaxValue";
inline constexpr const char* MinValue = "MinValue";
inline constexpr const char* UseMaxMinValues = "UseMaxMinValues";
inline constexpr const char* Locked = "Locked";
inline constexpr const char* Calculator = "Calculator";
inline constexpr const char* UpDownFunction = "UpDownFunction";
inline constexpr const char* UpDownIncrement = "UpDownIncrement";

} // namespace quillomet::keys
