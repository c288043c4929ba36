#pragma once
// The product's name and its web site, shared by the window and the artwork.

namespace project {

inline constexpr char kProductName[] = "Trevalo";
inline constexpr char kVersionText[] = "V1.00";
// The project's own web site (a reserved example domain: no third party's).
inline constexpr char kWebHost[] = "trevalo.example.org";
inline constexpr char kWebSite[] = "https://trevalo.example.org/";
inline constexpr char kContactMail[] = "trevalo@example.org";

} // namespace project
