#pragma once

#include <array>
#include <cstdint>

namespace quillomet::win32 {

// The control computes in the floating-point environment that the platform's
// calling convention calls standard: every exception masked, rounding to
// nearest, no flush of denormals to zero, and on the x87 unit at least double
// precision. A host may have changed it for its own code (unmasked
// exceptions to trap its own errors, another rounding mode, single
// precision); then the number text would round differently and an
// overflowing product would fault. Every entry from outside that can reach
// the control's arithmetic holds one of these: it sets the standard for the
// control's work when the host's differs, and gives the host back exactly
// what it had, status flags included. With the standard already in force it
// changes nothing. Host code the control calls meanwhile (its event
// handlers) runs in the standard environment, as the calling convention
// asks of a caller that changed it.
class StandardFloatingPoint {
public:
    StandardFloatingPoint() noexcept;
    ~StandardFloatingPoint();
    StandardFloatingPoint(const StandardFloatingPoint&) = delete;
    StandardFloatingPoint& operator=(const StandardFloatingPoint&) = delete;

private:
    bool m_Changed = false;
    // What FNSTENV stores in 32-bit form: control, status and tag words,
    // the last instruction and operand.
    std::array<std::uint32_t, 7> m_X87{};
    std::uint32_t m_Mxcsr = 0;
};

} // namespace quillomet::win32
