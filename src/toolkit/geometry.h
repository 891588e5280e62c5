#pragma once

#include <cstdint>

namespace quillomet {

// A child's place inside the composite, in twips.
struct Geometry {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

// A window's rectangle on the screen, in pixels.
struct ScreenRect {
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
};

} // namespace quillomet
