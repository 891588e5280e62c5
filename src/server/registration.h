#pragma once

namespace quillomet {

// Where the class is registered: for every user of the machine (which needs
// administrator rights) or for the current user only.
enum class RegistrationScope { Machine, User };

// Writes the class's registration and registers the type library; doing
// it twice leaves one consistent registration. Throws on failure.
void RegisterServer(RegistrationScope scope);
// Removes every key the registration wrote, and the type library's, but
// what the other architecture's library still needs. Removing what is not
// registered succeeds.
void UnregisterServer(RegistrationScope scope);

} // namespace quillomet
