#include "OleColor.h"

#include <QGuiApplication>
#include <QPalette>

namespace platform {

namespace {

// The desktop scheme's colours, by their index, as the palette's roles.
QPalette::ColorRole RoleOf(uint32_t index) {
    switch (index) {
    case 2:  return QPalette::Highlight;        // active window caption
    case 5:  return QPalette::Base;             // window background
    case 8:  return QPalette::Text;             // window text
    case 9:  return QPalette::HighlightedText;  // active caption text
    case 13: return QPalette::Highlight;
    case 14: return QPalette::HighlightedText;
    case 15: return QPalette::Button;           // button face
    case 16: return QPalette::Dark;             // button shadow
    case 18: return QPalette::ButtonText;
    case 20: return QPalette::Light;            // button highlight
    case 21: return QPalette::Shadow;
    case 22: return QPalette::Midlight;
    case 23: return QPalette::ToolTipText;
    case 24: return QPalette::ToolTipBase;
    default: return QPalette::Window;
    }
}

} // namespace

QColor ToColor(OleColor value) {
    return ToColor(value, QGuiApplication::palette());
}

QColor ToColor(OleColor value, const QPalette& palette) {
    if (IsSystemColor(value))
        return palette.color(QPalette::Active, RoleOf(value & 0xFFu));
    return QColor(static_cast<int>(value & 0xFFu), static_cast<int>((value >> 8) & 0xFFu),
                  static_cast<int>((value >> 16) & 0xFFu));
}

} // namespace platform
