#pragma once

#include "common/variant.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace quillomet {

// What the engine needs outside itself: the control that opened the
// calculator, and a way to show the division message.
class CalculatorEngineHost {
public:
    // The owner's value: a number, or 0 when the control is empty.
    virtual Variant OwnerValue() = 0;
    // The owner parses, formats and range-checks it, and raises Change
    // when the number changed.
    virtual void SetOwnerValue(const Variant& value) = 0;
    virtual void ShowDivideByZero() = 0;

protected:
    ~CalculatorEngineHost() = default;
};

enum class LastInputKind { Nums, Ops, Neg, ClearEntry, None };

// A four-function calculator over a text readout, evaluating strictly from
// left to right with one pending operator (2 + 3 X 4 = gives 20). Operator
// keys and C hand the readout back to the owner when its amount changed.
class CalculatorEngine {
public:
    static constexpr std::size_t ReadoutLength = 14;
    static constexpr std::int16_t MaxOperandCount = 32767;

    // Loading: the amount the owner holds, then a reset.
    CalculatorEngine(CalculatorEngineHost& host, char decimalSeparator);

    void PressDigit(int digit);
    void PressDecimal();
    // `op` is the operator's caption: "+", "-", "X", "/" or "=".
    void PressOperator(std::string_view op);
    void PressPercent();
    void PressClear();
    void PressClearEntry();
    void PressBackspace();
    void ResetCalculator();
    // Continues the owner's number in the readout.
    void SeedReadout(const Variant& value);
    // The hand-back.
    void UpdateControl();

    const std::string& Readout() const { return m_Readout; }

    bool DecimalFlag = false;
    LastInputKind LastInput = LastInputKind::None;
    Currency SaveInputAmount;
    Variant FirstOperand;
    Variant SecondOperand;
    std::int16_t OperandCount = 0;
    std::string PendingOperator = " ";

private:
    // Every readout assignment keeps at most its first 14 characters.
    void SetReadout(std::string text);
    std::string SeparatorText(const char* prefix) const;
    void CountOperand();
    Variant Evaluate();
    double Double(const Variant& operand) const;

    CalculatorEngineHost& m_Host;
    const char m_Separator;
    std::string m_Readout;
    // The readout still shows the owner's number as SeedReadout wrote it.
    bool m_SeedShown = false;
};

} // namespace quillomet
