#pragma once
// The window's pictures, drawn at build time by trevalo_draw_artwork and
// compiled into the program as Qt resources.

#include <QCursor>
#include <QIcon>
#include <QPixmap>
#include <QString>
#include <optional>

namespace artwork {

inline constexpr char kApplicationIcon[] = ":/artwork/trevalo.ico";  // 48, 32, 24, 16 px
inline constexpr char kBanner[] = ":/artwork/banner.bmp";            // 508 x 40, 24 bits
inline constexpr char kHandCursor[] = ":/artwork/hand.cur";          // 32 x 32, hot spot (12, 1)
inline constexpr char kExecutableIcon[] = ":/artwork/exe.ico";       // 48, 32, 16 px
inline constexpr char kExecutableIcon32[] = ":/artwork/exe-32.png";

// The application icon with all its sizes; empty when missing.
QIcon ApplicationIcon();
// Null when missing.
QPixmap Banner();
// Nothing when missing or unreadable.
std::optional<QCursor> HandCursor();

} // namespace artwork
