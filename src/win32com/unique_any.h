#pragma once

#include <utility>

namespace quillomet::com {

// Owns one handle of a kind whose release function is part of the type, so
// a handle can neither be released by the wrong function nor twice. Move
// only: a copy would release the same handle again. A null handle is empty.
template <typename Handle, auto Close>
class unique_any {
public:
    using pointer = Handle;

    unique_any() noexcept = default;
    // Adopts a handle the caller owns.
    explicit unique_any(Handle handle) noexcept : m_Handle(handle) {}
    unique_any(unique_any&& other) noexcept : m_Handle(other.release()) {}
    unique_any& operator=(unique_any&& other) noexcept {
        reset(other.release());
        return *this;
    }
    ~unique_any() { reset(); }
    unique_any(const unique_any&) = delete;
    unique_any& operator=(const unique_any&) = delete;

    // Releases what it held and adopts `handle`.
    void reset(Handle handle = Handle{}) noexcept {
        if (Handle old = std::exchange(m_Handle, handle))
            Close(old);
    }
    // Hands the handle over without releasing it.
    [[nodiscard]] Handle release() noexcept { return std::exchange(m_Handle, Handle{}); }
    // For an out-parameter: what it held goes first.
    Handle* put() noexcept {
        reset();
        return &m_Handle;
    }

    Handle get() const noexcept { return m_Handle; }
    explicit operator bool() const noexcept { return m_Handle != Handle{}; }

private:
    Handle m_Handle{};
};

} // namespace quillomet::com
