#pragma once

#include <memory>
#include <type_traits>
#include <utility>

namespace quillomet {

template <typename Signature>
class FunctionRef;

// A callable referred to, not owned: a pointer to it and one to the code
// that calls it. What a routine that runs a caller's work takes, so that
// the routine is compiled once, not once for every kind of work.
template <typename Result, typename... Arguments>
class FunctionRef<Result(Arguments...)> {
public:
    template <typename Callable>
        requires(!std::is_same_v<std::remove_cvref_t<Callable>, FunctionRef>)
    FunctionRef(Callable&& callable) noexcept // NOLINT: converts like a function pointer
        : m_Callable(const_cast<void*>(static_cast<const void*>(std::addressof(callable)))),
          m_Call([](void* target, Arguments... arguments) -> Result {
              return (*static_cast<std::remove_reference_t<Callable>*>(target))(
                  std::forward<Arguments>(arguments)...);
          }) {}

    Result operator()(Arguments... arguments) const {
        return m_Call(m_Callable, std::forward<Arguments>(arguments)...);
    }

private:
    void* m_Callable;
    Result (*m_Call)(void*, Arguments...);
};

} // namespace quillomet
