#pragma once

#include "calculator/calculator_engine.h"

#include <sstream>
#include <string>

namespace quillomet::testing {

// Presses keys written as in a calculator's manual: digits, ".", the
// operators + - X / =, "%", "C", "CE" and "BS" (backspace), separated by
// blanks.
inline void Press(CalculatorEngine& engine, const std::string& keys) {
    std::istringstream in(keys);
    std::string key;
    while (in >> key) {
        if (key.size() == 1 && key[0] >= '0' && key[0] <= '9')
            engine.PressDigit(key[0] - '0');
        else if (key == ".")
            engine.PressDecimal();
        else if (key == "%")
            engine.PressPercent();
        else if (key == "C")
            engine.PressClear();
        else if (key == "CE")
            engine.PressClearEntry();
        else if (key == "BS")
            engine.PressBackspace();
        else
            engine.PressOperator(key);
    }
}

} // namespace quillomet::testing
