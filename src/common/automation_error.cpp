#include "common/automation_error.h"

namespace quillomet {

AutomationError::AutomationError(ErrorNumber number)
    : AutomationError(number, DefaultMessage(number)) {}

AutomationError::AutomationError(ErrorNumber number, const std::string& message)
    : DescribedError(message), m_Number(number) {}

const char* DefaultMessage(ErrorNumber number) noexcept {
    switch (number) {
    case ErrorNumber::InvalidProcedureCall:
        return "Invalid procedure call or argument";
    case ErrorNumber::Overflow:
        return "Overflow";
    case ErrorNumber::DivisionByZero:
        return "Division by zero";
    case ErrorNumber::TypeMismatch:
        return "Type mismatch";
    case ErrorNumber::InvalidUseOfNull:
        return "Invalid use of Null";
    }
    return "Automation error";
}

void ThrowTypeMismatch() {
    throw AutomationError(ErrorNumber::TypeMismatch);
}
void ThrowOverflow() {
    throw AutomationError(ErrorNumber::Overflow);
}
void ThrowInvalidUseOfNull() {
    throw AutomationError(ErrorNumber::InvalidUseOfNull);
}

} // namespace quillomet
