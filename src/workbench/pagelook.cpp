#include "workbench/pagelook.h"

#include "workbench/context.h"

#include <QPainter>
#include <QPainterPath>

namespace obd {

namespace {

QPixmap blank(int h) {
    QPixmap p(15, h);
    p.fill(Qt::transparent);
    return p;
}

void tick(QPainter& painter, QPointF a, QPointF b, QPointF c) {
    QPainterPath path(a);
    path.lineTo(b);
    path.lineTo(c);
    painter.drawPath(path);
}

QPixmap box(bool on) {
    QPixmap p = blank(15);
    QPainter painter(&p);
    painter.setPen(QColor(64, 64, 64));
    painter.setBrush(Qt::white);
    painter.drawRect(1, 1, 12, 12);
    if (on) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(0, 150, 0), 2));
        painter.setBrush(Qt::NoBrush);
        tick(painter, {3.5, 7.5}, {6, 10.5}, {11, 3.5});
    }
    return p;
}

QPixmap mark(bool ok) {
    QPixmap p = blank(13);
    QPainter painter(&p);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(ok ? QColor(0, 160, 0) : QColor(210, 0, 0), 2.2));
    if (ok) {
        tick(painter, {2, 6.5}, {5.5, 10.5}, {13, 2});
    } else {
        painter.drawLine(QPointF(3, 2), QPointF(12, 11));
        painter.drawLine(QPointF(12, 2), QPointF(3, 11));
    }
    return p;
}

} // namespace

PagePictures::PagePictures()
    : boxOn(box(true)), boxOff(box(false)), ok(mark(true)), error(mark(false)) {}

void WaitForPoller(WorkbenchContext& ctx) {
    if (ctx.waitForPollerIdle)
        ctx.waitForPollerIdle();
}

const PagePictures& PagePictures::Get() {
    static const PagePictures pictures;
    return pictures;
}

} // namespace obd
