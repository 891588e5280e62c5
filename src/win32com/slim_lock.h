#pragma once

#include <windows.h>

namespace quillomet::com {

// A lock for data the threads of the process share: the platform's slim
// reader/writer lock, taken exclusively. It needs no release and no C++
// thread library, so the library carries none.
class SlimLock {
public:
    SlimLock() = default;
    SlimLock(const SlimLock&) = delete;
    SlimLock& operator=(const SlimLock&) = delete;

    // Held until the returned guard goes.
    class Held {
    public:
        explicit Held(SRWLOCK& lock) noexcept : m_Lock(lock) { AcquireSRWLockExclusive(&m_Lock); }
        Held(const Held&) = delete;
        Held& operator=(const Held&) = delete;
        ~Held() { ReleaseSRWLockExclusive(&m_Lock); }

    private:
        SRWLOCK& m_Lock;
    };
    [[nodiscard]] Held Hold() noexcept { return Held(m_Lock); }

private:
    SRWLOCK m_Lock = SRWLOCK_INIT;
};

} // namespace quillomet::com
