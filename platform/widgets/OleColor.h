#pragma once
// Colours as the window stores them: 0x00BBGGRR for a plain colour (red in
// the low byte), 0x800000nn for system colour nn of the desktop scheme.

#include <QColor>
#include <cstdint>

class QPalette;

namespace platform {

using OleColor = uint32_t;

inline constexpr OleColor kWhite = 0x00FFFFFF;
inline constexpr OleColor kBlack = 0x00000000;
inline constexpr OleColor kActiveCaption = 0x80000002;
inline constexpr OleColor kWindowBackground = 0x80000005;
inline constexpr OleColor kWindowText = 0x80000008;
inline constexpr OleColor kButtonFace = 0x8000000F;

constexpr bool IsSystemColor(OleColor value) { return (value & 0xFF000000u) == 0x80000000u; }

// The colour to paint; system colours come from `palette` (the application's
// palette when none is given). An unknown system colour index gives the
// window colour of the palette.
QColor ToColor(OleColor value);
QColor ToColor(OleColor value, const QPalette& palette);

} // namespace platform
