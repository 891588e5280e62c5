#pragma once

#include <oaidl.h>
#include <oleauto.h>

namespace quillomet::com {

// A VARIANT this code owns, cleared when it goes: the string, reference or
// array it holds is released once, also when a conversion in between
// throws. Move only, like the handle it contains.
class unique_variant {
public:
    unique_variant() noexcept { VariantInit(&m_Value); }
    // Adopts a VARIANT the caller owned; it is left empty.
    explicit unique_variant(VARIANT&& value) noexcept : m_Value(value) { VariantInit(&value); }
    unique_variant(unique_variant&& other) noexcept : m_Value(other.release()) {}
    unique_variant& operator=(unique_variant&& other) noexcept {
        if (this != &other) {
            reset();
            m_Value = other.release();
        }
        return *this;
    }
    ~unique_variant() { reset(); }
    unique_variant(const unique_variant&) = delete;
    unique_variant& operator=(const unique_variant&) = delete;

    // Empty again, what it held released.
    void reset() noexcept { VariantClear(&m_Value); }
    // Hands the value over without releasing it; this is left empty.
    [[nodiscard]] VARIANT release() noexcept {
        const VARIANT value = m_Value;
        VariantInit(&m_Value);
        return value;
    }
    // For an out-parameter: what it held goes first.
    VARIANT* put() noexcept {
        reset();
        return &m_Value;
    }

    VARIANT* get() noexcept { return &m_Value; }
    const VARIANT* get() const noexcept { return &m_Value; }
    VARIANT& operator*() noexcept { return m_Value; }
    const VARIANT& operator*() const noexcept { return m_Value; }

private:
    VARIANT m_Value;
};

} // namespace quillomet::com
