#include "widgets/pictures.h"

#include <QPainter>
#include <QPainterPath>
#include <array>
#include <cmath>

namespace obd {

namespace {

// The shared look: a dark slate outline and a few flat fills.
const QColor kInk(43, 58, 74);
const QColor kBlue(70, 130, 200);
const QColor kYellow(255, 209, 87);
const QColor kRed(210, 60, 50);
const QColor kGreen(70, 160, 90);
const QColor kGrey(200, 205, 210);
const QColor kWhite(250, 250, 245);

void Outline(QPainter& p, const QColor& fill, qreal width = 1.5) {
    QPen pen(kInk, width);
    pen.setJoinStyle(Qt::RoundJoin);
    pen.setCapStyle(Qt::RoundCap);
    p.setPen(pen);
    p.setBrush(fill);
}

// Navigation icons, drawn on a 32 x 32 canvas.

void DrawStart(QPainter& p) { // the vehicle's diagnostic socket
    QPainterPath socket;
    socket.moveTo(3, 9);
    socket.lineTo(29, 9);
    socket.lineTo(26, 24);
    socket.lineTo(6, 24);
    socket.closeSubpath();
    Outline(p, kGrey);
    p.drawPath(socket);
    p.setPen(Qt::NoPen);
    p.setBrush(kInk);
    for (int row = 0; row < 2; ++row)
        for (int i = 0; i < 6; ++i)
            p.drawEllipse(QPointF(8.5 + i * 3 + row * 1.5, 14 + row * 5), 1.2, 1.2);
}

void DrawWarning(QPainter& p) { // trouble codes: the warning triangle
    QPainterPath t;
    t.moveTo(16, 3);
    t.lineTo(30, 28);
    t.lineTo(2, 28);
    t.closeSubpath();
    Outline(p, kYellow);
    p.drawPath(t);
    p.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16, 12), QPointF(16, 20));
    p.drawPoint(QPointF(16, 24.5));
}

void DrawGauge(QPainter& p) { // live sensor data
    Outline(p, kWhite);
    p.drawPie(QRectF(2, 6, 28, 28), 0, 180 * 16);
    p.setPen(QPen(kInk, 1));
    for (int i = 0; i <= 6; ++i) {
        const double a = M_PI * i / 6;
        p.drawLine(QPointF(16 - 11 * std::cos(a), 20 - 11 * std::sin(a)),
                   QPointF(16 - 13 * std::cos(a), 20 - 13 * std::sin(a)));
    }
    p.setPen(QPen(kRed, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16, 20), QPointF(24, 11));
    Outline(p, kInk);
    p.drawEllipse(QPointF(16, 20), 2, 2);
}

void DrawSnowflake(QPainter& p) { // freeze frames
    p.setPen(QPen(kBlue, 2.5, Qt::SolidLine, Qt::RoundCap));
    for (int i = 0; i < 3; ++i) {
        const double a = M_PI * i / 3;
        const QPointF d(13 * std::cos(a), 13 * std::sin(a));
        p.drawLine(QPointF(16, 16) - d, QPointF(16, 16) + d);
        for (int s : {-1, 1}) {
            const QPointF tip = QPointF(16, 16) + s * d * 0.65;
            const double b1 = a + M_PI / 4, b2 = a - M_PI / 4;
            p.drawLine(tip, tip + s * QPointF(4 * std::cos(b1), 4 * std::sin(b1)));
            p.drawLine(tip, tip + s * QPointF(4 * std::cos(b2), 4 * std::sin(b2)));
        }
    }
}

void DrawOxygen(QPainter& p) { // oxygen sensors: the probe and "O2"
    Outline(p, kGrey);
    p.drawRect(QRectF(12, 2, 8, 8));
    Outline(p, kYellow);
    p.drawRoundedRect(QRectF(9, 10, 14, 19), 4, 4);
    p.setPen(kInk);
    QFont f = p.font();
    f.setPixelSize(9);
    f.setBold(true);
    p.setFont(f);
    p.drawText(QRectF(9, 12, 14, 15), Qt::AlignCenter, QStringLiteral("O2"));
}

void DrawTerminal(QPainter& p) { // terminal: a screen with a prompt
    Outline(p, kInk);
    p.drawRoundedRect(QRectF(2, 4, 28, 20), 2, 2);
    Outline(p, kGrey);
    p.drawRect(QRectF(12, 24, 8, 3));
    p.drawRect(QRectF(8, 27, 16, 2));
    p.setPen(QPen(kGreen, 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPolyline(QPolygonF({QPointF(7, 9), QPointF(11, 13), QPointF(7, 17)}));
    p.drawLine(QPointF(14, 18), QPointF(21, 18));
}

void DrawGear(QPainter& p) { // general options
    QPainterPath gear;
    constexpr int teeth = 8;
    for (int i = 0; i < teeth * 4; ++i) {
        const double a = 2 * M_PI * i / (teeth * 4);
        const double r = (i % 4 < 2) ? 14 : 10.5;
        const QPointF pt(16 + r * std::cos(a), 16 + r * std::sin(a));
        i == 0 ? gear.moveTo(pt) : gear.lineTo(pt);
    }
    gear.closeSubpath();
    gear.addEllipse(QPointF(16, 16), 4.5, 4.5);
    Outline(p, kGrey);
    p.drawPath(gear);
}

void DrawPerson(QPainter& p) { // customer
    Outline(p, kBlue);
    QPainterPath body;
    body.moveTo(4, 30);
    body.cubicTo(4, 18, 28, 18, 28, 30);
    body.closeSubpath();
    p.drawPath(body);
    Outline(p, kYellow);
    p.drawEllipse(QPointF(16, 10), 6.5, 6.5);
}

void DrawCar(QPainter& p) { // vehicle
    QPainterPath car;
    car.moveTo(2, 22);
    car.lineTo(2, 16);
    car.lineTo(8, 15);
    car.lineTo(12, 9);
    car.lineTo(22, 9);
    car.lineTo(26, 15);
    car.lineTo(30, 16);
    car.lineTo(30, 22);
    car.closeSubpath();
    Outline(p, kRed);
    p.drawPath(car);
    Outline(p, kWhite, 1);
    p.drawPolygon(QPolygonF({QPointF(10, 15), QPointF(13, 11), QPointF(16, 11), QPointF(16, 15)}));
    p.drawPolygon(QPolygonF({QPointF(18, 15), QPointF(18, 11), QPointF(21, 11), QPointF(24, 15)}));
    Outline(p, kInk);
    p.drawEllipse(QPointF(9, 22), 3.5, 3.5);
    p.drawEllipse(QPointF(23, 22), 3.5, 3.5);
}

void DrawCodeBook(QPainter& p) { // the trouble-code texts
    Outline(p, kGreen);
    p.drawRoundedRect(QRectF(5, 2, 22, 28), 2, 2);
    Outline(p, kWhite, 1);
    p.drawRect(QRectF(9, 6, 15, 20));
    p.setPen(QPen(kInk, 1.5));
    for (int y = 10; y <= 22; y += 4)
        p.drawLine(QPointF(11, y), QPointF(y == 22 ? 17 : 22, y));
}

// Tool-bar glyphs, drawn on a 24 x 24 canvas.

void DrawOpen(QPainter& p) {
    Outline(p, kYellow);
    p.drawPolygon(QPolygonF({QPointF(2, 6), QPointF(9, 6), QPointF(11, 8), QPointF(20, 8),
                             QPointF(20, 19), QPointF(2, 19)}));
    Outline(p, QColor(255, 226, 140));
    p.drawPolygon(QPolygonF({QPointF(5, 11), QPointF(23, 11), QPointF(20, 19), QPointF(2, 19)}));
}

void DrawSave(QPainter& p) {
    Outline(p, kBlue);
    p.drawPolygon(QPolygonF(
        {QPointF(3, 3), QPointF(18, 3), QPointF(21, 6), QPointF(21, 21), QPointF(3, 21)}));
    Outline(p, kWhite, 1);
    p.drawRect(QRectF(7, 3, 10, 6));
    p.drawRect(QRectF(6, 13, 12, 8));
}

void DrawPrint(QPainter& p) {
    Outline(p, kWhite);
    p.drawRect(QRectF(6, 2, 12, 8));
    Outline(p, kGrey);
    p.drawRoundedRect(QRectF(2, 9, 20, 9), 2, 2);
    Outline(p, kWhite);
    p.drawRect(QRectF(6, 14, 12, 8));
    p.setPen(QPen(kInk, 1));
    p.drawLine(QPointF(8, 17), QPointF(16, 17));
    p.drawLine(QPointF(8, 19.5), QPointF(14, 19.5));
}

void DrawInfo(QPainter& p) {
    Outline(p, kBlue);
    p.drawEllipse(QPointF(12, 12), 10, 10);
    p.setPen(QPen(kWhite, 2.5, Qt::SolidLine, Qt::RoundCap));
    p.drawPoint(QPointF(12, 7));
    p.drawLine(QPointF(12, 11), QPointF(12, 17));
}

void DrawExit(QPainter& p) { // leave the program: a door and an arrow
    Outline(p, kGrey);
    p.drawRect(QRectF(3, 2, 11, 20));
    p.setPen(QPen(kRed, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(9, 12), QPointF(21, 12));
    p.drawPolyline(QPolygonF({QPointF(17, 8), QPointF(21, 12), QPointF(17, 16)}));
}

using Draw = void (*)(QPainter&);

constexpr Draw kNavDrawings[kNavIconCount] = {
    DrawStart,    DrawWarning, DrawGauge,  DrawSnowflake, DrawOxygen,
    DrawTerminal, DrawGear,    DrawPerson, DrawCar,       DrawCodeBook,
};
constexpr Draw kToolDrawings[kToolGlyphCount] = {DrawOpen, DrawSave, DrawPrint, DrawInfo, DrawExit};

QPixmap Render(int size, Draw draw) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    draw(p);
    return pixmap;
}

template <std::size_t N> std::array<QPixmap, N> RenderAll(int size, const Draw (&drawings)[N]) {
    std::array<QPixmap, N> all;
    for (std::size_t i = 0; i < N; ++i)
        all[i] = Render(size, drawings[i]);
    return all;
}

} // namespace

const QPixmap& NavigationIcon(NavIcon icon) {
    static const auto icons = RenderAll(kNavIconSize, kNavDrawings);
    return icons[static_cast<std::size_t>(icon)];
}

const QPixmap& ToolBarGlyph(ToolGlyph glyph) {
    static const auto glyphs = RenderAll(kToolGlyphSize, kToolDrawings);
    return glyphs[static_cast<std::size_t>(glyph)];
}

} // namespace obd
