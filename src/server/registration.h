#pragma once

namespace quillomet {

// Writes the class's registration and registers the type library; doing
// it twice leaves one consistent registration. Throws on failure.
void RegisterServer();
// Removes every key the registration wrote, and the type library's.
void UnregisterServer();

} // namespace quillomet
