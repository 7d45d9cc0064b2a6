// The program's own pictures, all drawn in code: the ten 32 x 32 navigation
// icons of the image list and the five 24 x 24 tool-bar glyphs in one flat
// style, the small state marks, the MIL, the title strip's button glyphs and
// the status bar's icon.
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

// The marks of the status list, the sensor grid and the trouble-code lists:
// tick and cross (15 x 13), check box ticked and empty (15 x 15).
enum class Mark { Ok, Error, BoxOn, BoxOff };

// The title strip's button glyphs, 15 x 15, black for the button face.
enum class TitleGlyph { Close, Maximize, Restore, Minimize };

// Each picture is made on first use and kept; all but the MIL on a
// transparent ground.
const QPixmap& NavigationIcon(NavIcon icon);
const QPixmap& ToolBarGlyph(ToolGlyph glyph);
const QPixmap& MarkPicture(Mark mark);
const QPixmap& TitleButtonGlyph(TitleGlyph glyph);
// The MIL, 48 x 32 on black: an engine over the word CHECK, lit or dim.
const QPixmap& MilPicture(bool lit);
// The status bar's interface icon, 16 x 16.
const QPixmap& StatusBarIcon();

// Makes every picture now, so that start-up pays for them rather than the
// first paint of a page.
void PreparePictures();

} // namespace obd
