#include "common/thread_data.h"

#include <atomic>

namespace quillomet {
namespace {

std::atomic<ThreadDataSource> g_Source{nullptr};

} // namespace

void SetThreadDataSource(ThreadDataSource source) noexcept {
    g_Source = source;
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
