#pragma once

#include <windows.h>

namespace quillomet::com {

// The library's own lifetime: live objects and server locks keep it loaded.
void ObjectCreated() noexcept;
void ObjectDestroyed() noexcept;
void LockServer(bool lock) noexcept;
bool CanUnload() noexcept;
HINSTANCE ModuleInstance() noexcept;

// Keeps the library loaded while it lives, for what of ours can outlive
// every object: a calculator whose owner went while it was busy, a modal
// dialog with its message loop on the stack.
class ServerLock {
public:
    ServerLock() noexcept { LockServer(true); }
    ~ServerLock() { LockServer(false); }
    ServerLock(const ServerLock&) = delete;
    ServerLock& operator=(const ServerLock&) = delete;
};
void SetModuleInstance(HINSTANCE instance) noexcept;

} // namespace quillomet::com
