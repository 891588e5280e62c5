#pragma once

#include <atomic>

namespace quillomet {

class AboutState;
class CalculatorState;

// What the core keeps per user-interface thread: its controls, and the
// calculator and about dialog they share. Plain data, owned by hand: its
// states go with the thread's last control, or with the thread.
struct ThreadData {
    std::atomic<int> controls{0};
    CalculatorState* calculator = nullptr;
    AboutState* about = nullptr;
    // Set as the thread ends; a control that outlives it has lost its
    // windows with it.
    std::atomic<bool> ended{false};
    // The thread while it runs, and each of its controls: data a source
    // made with new goes with whichever of them lets go last.
    std::atomic<int> holders{1};
};

// A control holds its thread's data while it lives; the thread lets go of
// its own as it ends.
void HoldThreadData(ThreadData& data) noexcept;
void ReleaseThreadData(ThreadData& data) noexcept;

// Where a backend keeps each thread's data. Without one the core uses a
// C++ thread_local, which suits a program; a library that may be unloaded
// gives its own (a thread_local there keeps the runtime's per-thread
// bookkeeping, which a library freed and loaded again leaks each time).
// The source makes the data when asked to create it, and otherwise
// answers null for a thread that has none.
using ThreadDataSource = ThreadData* (*)(bool create);
void SetThreadDataSource(ThreadDataSource source) noexcept;

// This thread's data, made on first use.
ThreadData& ThisThreadData();
// This thread's data if it has any, else null; for destructors and other
// code that must neither allocate nor throw.
ThreadData* ExistingThreadData() noexcept;

} // namespace quillomet
