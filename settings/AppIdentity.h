#pragma once

// Fixed texts that name the program to the user and to other processes of itself.
namespace AppIdentity {

// Caption of the program's own message boxes and the name of its data folder.
inline constexpr const char* DisplayName = "Lumisk Studio";
// Follows the display name wherever the program shows its version; the number is the
// project's, from CMake.
inline constexpr const char* VersionText = " V" KESTROVA_VERSION " ";
// The program's home page, which the Homepage menu item opens.
inline constexpr const char* HomepageUrl = "https://github.com/kestrova/lumisk-studio";
// Names the instance lock and the local socket, so any process of the program finds
// the running one.
inline constexpr const char* InstanceTag = "Oruvane992D95CA-3532-4900-BC0E-7A8D8DED2D58";

} // namespace AppIdentity
