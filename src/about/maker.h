#pragma once

#include "quillomet_version.h"

// The product and its maker, as the about dialog shows them. The maker's
// addresses are held here and nowhere else.
namespace quillomet::maker {

inline constexpr const char* ProductTitle = "Quillomet";
inline constexpr int VersionMajor = QUILLOMET_VERSION_MAJOR;
inline constexpr int VersionMinor = QUILLOMET_VERSION_MINOR;
inline constexpr const char* Name = "Marrowfen";
inline constexpr const char* EmailAddress = "quillomet@marrowfen.example";
inline constexpr const char* WebAddress = "https://marrowfen.example";

} // namespace quillomet::maker
