#pragma once

#include <oaidl.h>
#include <oleauto.h>

#include <cstddef>
#include <vector>

namespace quillomet::com {

// The arguments of one IDispatch call, held in the order Invoke takes them
// (the last first), each cleared once when this goes: also those already
// converted when converting a later one throws.
class DispatchArguments {
public:
    explicit DispatchArguments(std::size_t count) : m_Values(count) {
        for (VARIANT& value : m_Values)
            VariantInit(&value);
    }
    ~DispatchArguments() {
        for (VARIANT& value : m_Values)
            VariantClear(&value);
    }
    DispatchArguments(const DispatchArguments&) = delete;
    DispatchArguments& operator=(const DispatchArguments&) = delete;

    // The argument at `index` in the caller's order, to be filled in.
    VARIANT* At(std::size_t index) noexcept { return &m_Values[m_Values.size() - 1 - index]; }
    // For a method call: positional arguments only. Valid while this lives.
    DISPPARAMS Params() noexcept {
        return {m_Values.data(), nullptr, static_cast<UINT>(m_Values.size()), 0};
    }

private:
    std::vector<VARIANT> m_Values;
};

} // namespace quillomet::com
