#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>

namespace quillomet {

class Variant;

// An automation object as the core sees it: something with a default value
// (a font's name, a calculator readout's caption).
class Object {
public:
    virtual ~Object() = default;
    // Throws AutomationError (type mismatch) when the object has none.
    virtual Variant DefaultValue() const = 0;
};
using ObjectRef = std::shared_ptr<Object>;

// Automation currency: a 64-bit integer counting ten-thousandths.
struct Currency {
    std::int64_t scaled = 0;
    static constexpr std::int64_t Scale = 10'000;
    friend bool operator==(Currency, Currency) = default;
};

struct EmptyValue {
    friend bool operator==(EmptyValue, EmptyValue) = default;
};
struct NullValue {
    friend bool operator==(NullValue, NullValue) = default;
};

enum class VariantType {
    Empty,
    Null,
    Integer,
    Long,
    Single,
    Double,
    Currency,
    String,
    Boolean,
    Object
};

// The tagged value of automation, holding texts as UTF-8. Conversions follow
// the automation rules: half-to-even rounding, the overflow error outside a
// type's range, type mismatch for a text that is no number, and "invalid use
// of Null" for a null.
class Variant {
public:
    Variant() = default;
    Variant(std::int16_t v) : m_Data(v) {}
    Variant(std::int32_t v) : m_Data(v) {}
    Variant(float v) : m_Data(v) {}
    Variant(double v) : m_Data(v) {}
    Variant(Currency v) : m_Data(v) {}
    Variant(std::string v) : m_Data(std::move(v)) {}
    Variant(std::string_view v) : m_Data(std::string(v)) {}
    Variant(const char* v) : m_Data(std::string(v)) {}
    Variant(bool v) : m_Data(v) {}
    Variant(ObjectRef v) : m_Data(std::move(v)) {}
    Variant(NullValue v) : m_Data(v) {}

    static Variant Null() { return Variant(NullValue{}); }

    VariantType Type() const noexcept { return static_cast<VariantType>(m_Data.index()); }
    bool IsEmpty() const noexcept { return Type() == VariantType::Empty; }
    bool IsNull() const noexcept { return Type() == VariantType::Null; }
    bool IsString() const noexcept { return Type() == VariantType::String; }
    bool IsObject() const noexcept { return Type() == VariantType::Object; }
    // Integer, Long, Single, Double, Currency or Boolean.
    bool IsNumeric() const noexcept;

    // Direct access; the caller has checked Type().
    const std::string& String() const { return std::get<std::string>(m_Data); }
    const ObjectRef& Object() const { return std::get<ObjectRef>(m_Data); }

    bool ToBoolean() const;
    std::int16_t ToInteger() const;
    std::int32_t ToLong() const;
    double ToDouble() const;
    Currency ToCurrency() const;
    std::string ToString() const;

    // Same type and same value (objects by identity), as a property bag
    // compares a value with its default.
    friend bool operator==(const Variant&, const Variant&) = default;

private:
    using Storage = std::variant<EmptyValue, NullValue, std::int16_t, std::int32_t, float, double,
                                 Currency, std::string, bool, ObjectRef>;
    Storage m_Data;

    // An object stands for its default value in every conversion.
    Variant Resolved() const;
};

// Automation's text of a number: at most `digits` significant digits, plain
// below 10^digits and from 1E-4 on, exponent form outside (1E-05, 1.5E+15).
std::string FloatText(double value, int digits, char decimalSeparator = '.');
std::string CurrencyText(Currency value, char decimalSeparator = '.');

// Parses a whole text as an automation number (blanks around, sign, digits,
// one point, exponent); returns false when the text is no number.
bool ParseAutomationNumber(std::string_view text, double& result);

} // namespace quillomet
