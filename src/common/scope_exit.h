#pragma once

#include <utility>

namespace quillomet {

// Runs its function when the scope ends, however it ends: the one way this
// code undoes a temporary change (a flag set for a call, a frame told to be
// modal, a window class registered for a dialog).
template <typename Function>
class [[nodiscard]] scope_exit {
public:
    explicit scope_exit(Function function) noexcept : m_Function(std::move(function)) {}
    ~scope_exit() {
        if (m_Active)
            m_Function();
    }
    scope_exit(const scope_exit&) = delete;
    scope_exit& operator=(const scope_exit&) = delete;

    // The change stays: nothing runs at the end.
    void release() noexcept { m_Active = false; }

private:
    Function m_Function;
    bool m_Active = true;
};

// Sets `flag` to `value` until the scope ends, then gives it back what it held.
template <typename T>
auto scoped_value(T& flag, T value) {
    T saved = std::exchange(flag, std::move(value));
    return scope_exit([&flag, saved = std::move(saved)]() mutable { flag = std::move(saved); });
}

} // namespace quillomet
