#include "backend/win32/floating_point.h"

namespace quillomet::win32 {

#if defined(__i386__) || defined(__x86_64__)
namespace {

// x87 control word: exception masks in bits 0-5, precision in 8-9 (10 is
// double, 11 extended), rounding in 10-11 (00 is to nearest).
constexpr std::uint16_t X87Masks = 0x003F;
constexpr std::uint16_t X87Rounding = 0x0C00;
constexpr std::uint16_t X87Precision = 0x0300;
constexpr std::uint16_t X87DoublePrecision = 0x0200;
constexpr std::uint16_t X87Standard = 0x027F;

// MXCSR: status flags in bits 0-5, the rest is control: denormals are
// zero (6), exception masks (7-12), rounding (13-14), flush to zero (15).
constexpr std::uint32_t MxcsrControl = 0xFFC0;
constexpr std::uint32_t MxcsrStandard = 0x1F80;

std::uint16_t X87ControlWord() noexcept {
    std::uint16_t word = 0;
    __asm__ volatile("fnstcw %0" : "=m"(word));
    return word;
}

std::uint32_t Mxcsr() noexcept {
    std::uint32_t value = 0;
    __asm__ volatile("stmxcsr %0" : "=m"(value));
    return value;
}

void SetMxcsr(std::uint32_t value) noexcept {
    __asm__ volatile("ldmxcsr %0" : : "m"(value));
}

// Extended precision is as good as double for what the control leaves to
// the x87 unit, and it is what some runtimes start with; it is kept.
bool IsStandard(std::uint16_t x87, std::uint32_t mxcsr) noexcept {
    return (x87 & X87Masks) == X87Masks && (x87 & X87Rounding) == 0 &&
           (x87 & X87Precision) >= X87DoublePrecision && (mxcsr & MxcsrControl) == MxcsrStandard;
}

} // namespace

StandardFloatingPoint::StandardFloatingPoint() noexcept {
    m_Mxcsr = Mxcsr();
    if (IsStandard(X87ControlWord(), m_Mxcsr))
        return;
    m_Changed = true;
    SetMxcsr(MxcsrStandard);
    // FNSTENV masks every x87 exception after storing, so a flag the host
    // left pending cannot fault in the control's work.
    __asm__ volatile("fnstenv %0" : "=m"(m_X87));
    const std::uint16_t standard = X87Standard;
    __asm__ volatile("fldcw %0" : : "m"(standard));
}

StandardFloatingPoint::~StandardFloatingPoint() {
    if (!m_Changed)
        return;
    // The host's words and flags as they were; the control's own flags go,
    // so an exception the host unmasked cannot fault on its next operation.
    __asm__ volatile("fldenv %0" : : "m"(m_X87));
    SetMxcsr(m_Mxcsr);
}

#else

StandardFloatingPoint::StandardFloatingPoint() noexcept = default;
StandardFloatingPoint::~StandardFloatingPoint() = default;

#endif

} // namespace quillomet::win32
