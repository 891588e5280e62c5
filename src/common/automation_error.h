#pragma once

#include "common/described_error.h"

#include <string>

namespace quillomet {

// The automation error numbers a host sees (Err.Number in a script).
enum class ErrorNumber : int {
    InvalidProcedureCall = 5,
    Overflow = 6,
    DivisionByZero = 11,
    TypeMismatch = 13,
    InvalidUseOfNull = 94,
};

// Every failure inside the core travels as this exception; the component
// boundary turns it into an HRESULT with the number and message attached.
class AutomationError : public DescribedError {
public:
    explicit AutomationError(ErrorNumber number);
    AutomationError(ErrorNumber number, const std::string& message);

    ErrorNumber Number() const noexcept { return m_Number; }

private:
    ErrorNumber m_Number;
};

// The standard wording of an automation error number.
const char* DefaultMessage(ErrorNumber number) noexcept;

[[noreturn]] void ThrowTypeMismatch();
[[noreturn]] void ThrowOverflow();
[[noreturn]] void ThrowInvalidUseOfNull();

} // namespace quillomet
