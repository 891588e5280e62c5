#pragma once

// GoogleTest for the Windows builds, which use the compiler's native thread
// model: its C++ library has no std::mutex or condition_variable, which
// GoogleTest's Notification is made of. This one is made of the system's
// lock and condition variable; GoogleTest takes it instead of its own when
// GTEST_HAS_NOTIFICATION_ is set. Included before every file of GoogleTest
// and of the tests built with it.
#include <windows.h>

#define GTEST_HAS_NOTIFICATION_ 1

namespace testing::internal {

// Lets a controller thread hold newly created threads until it notifies.
class Notification {
public:
    Notification() = default;
    Notification(const Notification&) = delete;
    Notification& operator=(const Notification&) = delete;

    void Notify() {
        AcquireSRWLockExclusive(&m_Lock);
        m_Notified = true;
        ReleaseSRWLockExclusive(&m_Lock);
        WakeAllConditionVariable(&m_Changed);
    }

    void WaitForNotification() {
        AcquireSRWLockExclusive(&m_Lock);
        while (!m_Notified)
            SleepConditionVariableSRW(&m_Changed, &m_Lock, INFINITE, 0);
        ReleaseSRWLockExclusive(&m_Lock);
    }

private:
    SRWLOCK m_Lock = SRWLOCK_INIT;
    CONDITION_VARIABLE m_Changed = CONDITION_VARIABLE_INIT;
    bool m_Notified = false;
};

} // namespace testing::internal
