#pragma once

#include "win32com/com_ptr.h"
#include "win32com/module.h"

#include <unknwn.h>

#include <atomic>
#include <new>
#include <utility>

namespace quillomet::com {

// An object's IUnknown from the list of interfaces it implements: the
// class names them once, at its head. The first interface stands for
// IUnknown. Every live object keeps the library loaded.
template <typename Derived, typename First, typename... Rest>
class ComObject : public First, public Rest... {
public:
    ComObject() noexcept { ObjectCreated(); }
    virtual ~ComObject() { ObjectDestroyed(); }
    ComObject(const ComObject&) = delete;
    ComObject& operator=(const ComObject&) = delete;

    STDMETHODIMP QueryInterface(REFIID iid, void** object) noexcept override {
        if (!object)
            return E_POINTER;
        *object = nullptr;
        if (iid == __uuidof(IUnknown))
            *object = static_cast<First*>(this);
        else
            *object = Find<First, Rest...>(iid);
        if (!*object)
            *object = static_cast<Derived*>(this)->QueryExtra(iid);
        if (!*object)
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() noexcept override { return ++m_References; }
    STDMETHODIMP_(ULONG) Release() noexcept override {
        const ULONG left = --m_References;
        if (left == 0) {
            // A call that reaches the object while it is being destroyed
            // (from code its destructor runs) holds and releases it like
            // any other; it must not destroy it a second time.
            m_References = DestroyingReferences;
            delete static_cast<Derived*>(this);
        }
        return left;
    }

    // Interfaces an object answers beyond its bases (those reached through
    // a base interface's IID, such as IDispatch for a dual interface).
    void* QueryExtra(REFIID) noexcept { return nullptr; }

private:
    template <typename I, typename... More>
    void* Find(REFIID iid) noexcept {
        if (iid == __uuidof(I))
            return static_cast<I*>(this);
        if constexpr (sizeof...(More) > 0)
            return Find<More...>(iid);
        else
            return nullptr;
    }

    static constexpr ULONG DestroyingReferences = 1u << 30;
    std::atomic<ULONG> m_References{1};
};

// The one way objects are made: the result holds the only reference.
template <typename T, typename... Args>
com_ptr<T> make(Args&&... args) {
    T* object = new (std::nothrow) T(std::forward<Args>(args)...);
    if (!object)
        throw std::bad_alloc();
    return com_ptr<T>::attach(object);
}

} // namespace quillomet::com
