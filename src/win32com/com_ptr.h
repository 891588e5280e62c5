#pragma once

#include <unknwn.h>

#include <utility>

namespace quillomet::com {

// Owns one reference to an interface. put() releases what it held before
// handing out its address, so it can be passed to any out-parameter.
template <typename T>
class com_ptr {
public:
    com_ptr() noexcept = default;
    com_ptr(std::nullptr_t) noexcept {}
    // Takes a new reference.
    explicit com_ptr(T* p) noexcept : m_Ptr(p) {
        if (m_Ptr)
            m_Ptr->AddRef();
    }
    com_ptr(const com_ptr& other) noexcept : com_ptr(other.m_Ptr) {}
    com_ptr(com_ptr&& other) noexcept : m_Ptr(std::exchange(other.m_Ptr, nullptr)) {}
    ~com_ptr() { reset(); }
    com_ptr& operator=(com_ptr other) noexcept {
        std::swap(m_Ptr, other.m_Ptr);
        return *this;
    }

    // Adopts a reference the caller already owns.
    static com_ptr attach(T* p) noexcept {
        com_ptr result;
        result.m_Ptr = p;
        return result;
    }
    T* detach() noexcept { return std::exchange(m_Ptr, nullptr); }
    void reset() noexcept {
        if (T* p = std::exchange(m_Ptr, nullptr))
            p->Release();
    }
    T** put() noexcept {
        reset();
        return &m_Ptr;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }

    T* get() const noexcept { return m_Ptr; }
    T* operator->() const noexcept { return m_Ptr; }
    explicit operator bool() const noexcept { return m_Ptr != nullptr; }

    // The same object through another interface, or empty.
    template <typename U>
    com_ptr<U> try_as() const noexcept {
        com_ptr<U> result;
        if (m_Ptr)
            m_Ptr->QueryInterface(__uuidof(U), result.put_void());
        return result;
    }

    // Hands a new reference to an out-parameter.
    void copy_to(T** out) const noexcept {
        *out = m_Ptr;
        if (m_Ptr)
            m_Ptr->AddRef();
    }

    friend bool operator==(const com_ptr& a, const com_ptr& b) noexcept {
        return a.m_Ptr == b.m_Ptr;
    }

private:
    T* m_Ptr = nullptr;
};

} // namespace quillomet::com
