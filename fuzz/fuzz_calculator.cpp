#include "fuzz_require.h"
// Fuzzes the calculator engine with random key sequences, checking that the
// readout never exceeds 14 characters and the operand count its limit.
//
// Input: one byte choosing the separator and the owner's amount, then one
// byte per key.
#include "calculator/calculator_engine.h"
#include "common/automation_error.h"
#include "common/number_conversion.h"

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

using namespace quillomet;

class Owner : public CalculatorEngineHost {
public:
    explicit Owner(double value) : m_Value(value) {}
    Variant OwnerValue() override { return m_Value; }
    void SetOwnerValue(const Variant& value) override { m_Value = TextValue(value.ToString()); }
    void ShowDivideByZero() override {}
    double m_Value;
};

constexpr std::array<double, 8> Amounts = {0,         12,  12.5, -3.25, 1e-5, 123456789012.5,
                                           999999.99, -0.5};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0)
        return 0;
    const char separator = (data[0] & 1) ? ',' : '.';
    Owner owner(Amounts[(data[0] >> 1) % Amounts.size()]);
    CalculatorEngine engine(owner, separator);
    engine.SeedReadout(owner.m_Value);
    static constexpr const char* Operators[] = {"+", "-", "X", "/", "="};
    for (std::size_t i = 1; i < size; ++i) {
        const int key = data[i] % 19;
        try {
            if (key < 10)
                engine.PressDigit(key);
            else if (key < 15)
                engine.PressOperator(Operators[key - 10]);
            else if (key == 15)
                engine.PressDecimal();
            else if (key == 16)
                engine.PressPercent();
            else if (key == 17)
                engine.PressClearEntry();
            else
                engine.PressBackspace();
        } catch (const AutomationError&) {
            // a key may fail as a whole; the form drops it
        }
        Require(engine.Readout().size() <= CalculatorEngine::ReadoutLength, "readout length");
        Require(engine.OperandCount >= 0 &&
                    engine.OperandCount <= CalculatorEngine::MaxOperandCount,
                "operand count");
    }
    return 0;
}
