// The program's own pictures, drawn in code in one flat style: the ten 32 x 32
// navigation icons of the image list and the five 24 x 24 tool-bar glyphs.
#pragma once

#include <QPixmap>

namespace obd {

// The images of the navigation bar's image list, in list order.
enum class NavIcon {
    Start,
    Fehlercodes,
    Sensordaten,
    FreezeFrames,
    O2Sensors,
    Terminal,
    General,
    Customer,
    Vehicle,
    DTCs,
};
constexpr int kNavIconCount = 10;
constexpr int kNavIconSize = 32;

enum class ToolGlyph { Open, Save, Print, Info, Close };
constexpr int kToolGlyphCount = 5;
constexpr int kToolGlyphSize = 24;

// Made once and kept; on a transparent ground.
const QPixmap& NavigationIcon(NavIcon icon);
const QPixmap& ToolBarGlyph(ToolGlyph glyph);

} // namespace obd
