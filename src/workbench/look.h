// The workbench's colours and style sheets, in one place: the window and its
// pages, headings, grids, fields and the status lamps take them from here.
#pragma once

#include <QColor>
#include <QString>

class QWidget;

namespace obd::look {

inline const QColor Window(215, 215, 200);      // the frame and tool bar
inline const QColor Heading(51, 102, 153);      // heading bar over the pages
inline const QColor Gold(255, 209, 87);         // heading text, group headers, grid titles
inline const QColor Page(255, 248, 179);        // page background
inline const QColor Cell(240, 240, 240);        // grids, lists and read fields
inline const QColor GridLine(200, 200, 200);    // line under a grid row
inline const QColor TitleStripe(128, 128, 128); // stripes of the title strip
inline const QColor PanelBar(0, 70, 140);       // title bars of the trouble-code panels
inline const QColor SavedVisit(255, 153, 0);    // the marker over a saved visit's pages
inline const QColor LampOn(0, 255, 0);
inline const QColor LampOff(0, 128, 0);
inline const QColor LampPen(160, 150, 131);

// Fills a widget's background with a colour.
void Fill(QWidget* widget, const QColor& colour);

// Style sheets.
QString SensorGridStyle();
QString RecordGridStyle();
QString CellFieldStyle();
QString PageFieldStyle();
QString WhiteFieldStyle();
QString PanelBarStyle();
// The marker over the pages while they show a saved visit.
QString SavedVisitStyle();
// A flat header of the navigation bar, outlined while it has the focus.
QString NavHeaderStyle();
QString FramedStyle(const QString& objectName);

} // namespace obd::look
