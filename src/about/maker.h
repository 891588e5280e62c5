#pragma once

// The product and its maker, as the about dialog shows them. The maker's
// addresses are held here and nowhere else.
namespace quillomet::maker {

inline constexpr const char* ProductTitle = "Quillomet";
inline constexpr int VersionMajor = 1;
inline constexpr int VersionMinor = 4;
inline constexpr const char* Name = "Marrowfen";
inline constexpr const char* EmailAddress = "quillomet@marrowfen.example";
inline constexpr const char* WebAddress = "https://marrowfen.example";

} // namespace quillomet::maker
