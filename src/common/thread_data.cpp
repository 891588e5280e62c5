#include "common/thread_data.h"

#include <atomic>

namespace quillomet {
namespace {

std::atomic<ThreadDataSource> g_Source{nullptr};

} // namespace

void SetThreadDataSource(ThreadDataSource source) noexcept {
    g_Source = source;
}

void HoldThreadData(ThreadData& data) noexcept {
    ++data.holders;
}

// One counter for the thread and its controls, so that a thread ending
// while another thread releases its last control frees the data once.
// The C++ thread_local below is never let go by its thread: it is never
// deleted here.
void ReleaseThreadData(ThreadData& data) noexcept {
    if (--data.holders == 0)
        delete &data;
}

ThreadData& ThisThreadData() {
    if (const ThreadDataSource source = g_Source)
        return *source(true);
    thread_local ThreadData data;
    return data;
}

ThreadData* ExistingThreadData() noexcept {
    if (const ThreadDataSource source = g_Source) {
        try {
            return source(false);
        } catch (...) {
            return nullptr;
        }
    }
    return &ThisThreadData();
}

} // namespace quillomet
