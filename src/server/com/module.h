#pragma once

#include <windows.h>

namespace quillomet::com {

// The library's own lifetime: live objects and server locks keep it loaded.
void ObjectCreated() noexcept;
void ObjectDestroyed() noexcept;
void LockServer(bool lock) noexcept;
bool CanUnload() noexcept;
HINSTANCE ModuleInstance() noexcept;
void SetModuleInstance(HINSTANCE instance) noexcept;

} // namespace quillomet::com
