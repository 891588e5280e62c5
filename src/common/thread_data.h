#pragma once

namespace quillomet {

class AboutState;
class CalculatorState;

// What the core keeps per user-interface thread: its controls, and the
// calculator and about dialog they share. Plain data, owned by hand: its
// states go with the thread's last control.
struct ThreadData {
    int controls = 0;
    CalculatorState* calculator = nullptr;
    AboutState* about = nullptr;
};

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
