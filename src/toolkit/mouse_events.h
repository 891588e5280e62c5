#pragma once

#include <cstdint>

namespace quillomet {

// Mouse notifications of a child. The arguments are by reference and in the
// child's own coordinates (twips), as the host's events pass them on.
class MouseEvents {
public:
    virtual void OnMouseDown(std::int16_t& button, std::int16_t& shift, float& x, float& y) = 0;
    virtual void OnMouseMove(std::int16_t& button, std::int16_t& shift, float& x, float& y) = 0;
    virtual void OnMouseUp(std::int16_t& button, std::int16_t& shift, float& x, float& y) = 0;

protected:
    ~MouseEvents() = default;
};

// Mouse buttons and shift states as the events carry them.
namespace mouse {
inline constexpr std::int16_t Left = 1;
inline constexpr std::int16_t Right = 2;
} // namespace mouse
namespace shift {
inline constexpr std::int16_t None = 0;
inline constexpr std::int16_t Shift = 1;
inline constexpr std::int16_t Ctrl = 2;
inline constexpr std::int16_t Alt = 4;
} // namespace shift

} // namespace quillomet
