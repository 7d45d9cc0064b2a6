#include "workbench/look.h"

#include <QPalette>
#include <QWidget>

namespace obd::look {

namespace {

QString css(const QColor& c) {
    return QStringLiteral("rgb(%1,%2,%3)").arg(c.red()).arg(c.green()).arg(c.blue());
}

QString background(const QColor& c) {
    return QStringLiteral("background: %1;").arg(css(c));
}

} // namespace

void Fill(QWidget* widget, const QColor& colour) {
    QPalette p = widget->palette();
    p.setColor(QPalette::Window, colour);
    widget->setPalette(p);
    widget->setAutoFillBackground(true);
}

QString SensorGridStyle() {
    return QStringLiteral("QTableView { %1 }QHeaderView::section { %2 }")
        .arg(background(Cell), background(Gold));
}

QString RecordGridStyle() {
    return QStringLiteral("QTableView { %1 selection-background-color: palette(highlight);"
                          " selection-color: palette(highlighted-text); }"
                          "QTableView::item { border-bottom: 1px solid %2; }"
                          "QHeaderView::section { %3 font-size: 11px; }")
        .arg(background(Cell), css(GridLine), background(Gold));
}

QString CellFieldStyle() {
    return background(Cell);
}

QString PageFieldStyle() {
    return background(Page);
}

QString WhiteFieldStyle() {
    return background(Qt::white);
}

QString PanelBarStyle() {
    return QStringLiteral("%1 color: white; font-weight: bold; padding: 2px;")
        .arg(background(PanelBar));
}

QString SavedVisitStyle() {
    return QStringLiteral("%1 color: black; font-weight: bold;").arg(background(SavedVisit));
}

QString NavHeaderStyle() {
    return QStringLiteral("QPushButton { %1 border: 1px solid transparent; }"
                          "QPushButton:focus { border: 1px dotted black; }")
        .arg(background(Gold));
}

QString FramedStyle(const QString& objectName) {
    return QStringLiteral("#%1 { border: 1px solid black; }").arg(objectName);
}

} // namespace obd::look
