#pragma once

#include "toolkit/geometry.h"

#include <cstdint>

namespace quillomet::layout {

// Design-time places of the children, in twips.
inline constexpr Geometry TxtNumber{0, 0, 1215, 285};
inline constexpr Geometry UpDown1{1215, 0, 240, 285};
inline constexpr Geometry CalcButton{1455, 0, 285, 285};
inline constexpr Geometry CalcPic1{1320, 360, 300, 300};
inline constexpr Geometry CalcPic2{1320, 660, 300, 300};
inline constexpr std::int32_t Timer1Interval = 100;

// Width kept for the spinner left of the button or of the right edge; also
// the least width the text box keeps.
inline constexpr std::int32_t SpinnerAllowance = 240;
inline constexpr std::int32_t MinimumHeight = 255;
// Without a spinner the text box reaches this far under the drop button.
inline constexpr std::int32_t ButtonOverlap = 15;

} // namespace quillomet::layout
