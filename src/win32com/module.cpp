#include "win32com/module.h"

#include <atomic>

namespace quillomet::com {
namespace {

std::atomic<long> g_Objects{0};
std::atomic<long> g_Locks{0};
HINSTANCE g_Instance = nullptr;

} // namespace

void ObjectCreated() noexcept {
    ++g_Objects;
}
void ObjectDestroyed() noexcept {
    --g_Objects;
}
void LockServer(bool lock) noexcept {
    lock ? ++g_Locks : --g_Locks;
}
bool CanUnload() noexcept {
    return g_Objects == 0 && g_Locks == 0;
}
HINSTANCE ModuleInstance() noexcept {
    return g_Instance;
}
void SetModuleInstance(HINSTANCE instance) noexcept {
    g_Instance = instance;
}

} // namespace quillomet::com
