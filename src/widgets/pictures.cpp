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

// The small marks, drawn plain and crisp for their 13 and 15 pixel cells.

void Tick(QPainter& p, QPointF a, QPointF b, QPointF c) {
    QPainterPath path(a);
    path.lineTo(b);
    path.lineTo(c);
    p.drawPath(path);
}

void DrawOk(QPainter& p) {
    p.setPen(QPen(QColor(0, 160, 0), 2.2));
    Tick(p, {2, 6.5}, {5.5, 10.5}, {13, 2});
}

void DrawError(QPainter& p) {
    p.setPen(QPen(QColor(210, 0, 0), 2.2));
    p.drawLine(QPointF(3, 2), QPointF(12, 11));
    p.drawLine(QPointF(12, 2), QPointF(3, 11));
}

void DrawBoxOff(QPainter& p) {
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(64, 64, 64));
    p.setBrush(Qt::white);
    p.drawRect(1, 1, 12, 12);
    p.setRenderHint(QPainter::Antialiasing);
}

void DrawBoxOn(QPainter& p) {
    DrawBoxOff(p);
    p.setPen(QPen(QColor(0, 150, 0), 2));
    p.setBrush(Qt::NoBrush);
    Tick(p, {3.5, 7.5}, {6, 10.5}, {11, 3.5});
}

// Title strip glyphs: one-pixel black lines, no smoothing.

void DrawClose(QPainter& p) {
    p.drawLine(4, 4, 10, 10);
    p.drawLine(10, 4, 4, 10);
    p.drawLine(5, 4, 11, 10);
    p.drawLine(11, 4, 5, 10);
}

void DrawMaximize(QPainter& p) {
    p.drawRect(3, 3, 8, 8);
    p.drawLine(3, 4, 11, 4);
}

void DrawRestore(QPainter& p) {
    p.drawRect(5, 2, 7, 6);
    p.drawRect(2, 6, 7, 6);
    p.fillRect(3, 7, 6, 5, QColor(212, 208, 200));
    p.drawLine(2, 7, 9, 7);
}

void DrawMinimize(QPainter& p) {
    p.fillRect(4, 10, 7, 2, Qt::black);
}

// The MIL: the engine filled when lit, a dim outline when not.
void DrawMil(QPainter& p, bool lit) {
    const QColor colour = lit ? QColor(255, 210, 0) : QColor(90, 90, 70);
    QPainterPath engine;
    engine.addPolygon(QPolygonF({{10, 6},
                                 {30, 6},
                                 {34, 10},
                                 {38, 10},
                                 {38, 8},
                                 {42, 8},
                                 {42, 19},
                                 {38, 19},
                                 {38, 17},
                                 {34, 17},
                                 {30, 21},
                                 {12, 21},
                                 {10, 17},
                                 {6, 17},
                                 {6, 10},
                                 {10, 10}}));
    engine.closeSubpath();
    engine.moveTo(16, 6);
    engine.lineTo(16, 3);
    engine.lineTo(24, 3);
    engine.lineTo(24, 6);
    if (lit) {
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
    } else {
        p.setPen(QPen(colour, 1.2));
        p.setBrush(Qt::NoBrush);
    }
    p.drawPath(engine);
    QFont font;
    font.setPixelSize(8);
    font.setBold(true);
    p.setFont(font);
    p.setPen(colour);
    p.drawText(QRect(0, 22, 48, 10), Qt::AlignCenter, QStringLiteral("CHECK"));
}

void DrawMilOn(QPainter& p) {
    DrawMil(p, true);
}
void DrawMilOff(QPainter& p) {
    DrawMil(p, false);
}

// The status bar's icon: the interface box with its three lamps.
void DrawInterface(QPainter& p) {
    p.setPen(QColor(40, 40, 40));
    p.setBrush(QColor(51, 102, 153));
    p.drawRoundedRect(1, 4, 14, 9, 2, 2);
    p.setBrush(kYellow);
    for (int x : {4, 8, 12})
        p.drawEllipse(QPointF(x, 8.5), 1.3, 1.3);
}

using Draw = void (*)(QPainter&);

// One picture of the set: its drawing, its size, its ground, and whether
// its lines are smoothed.
struct Drawing {
    Draw draw;
    int width, height;
    Qt::GlobalColor ground = Qt::transparent;
    bool smooth = true;
};

constexpr Drawing kNavDrawings[kNavIconCount] = {
    {DrawStart, kNavIconSize, kNavIconSize},  {DrawWarning, kNavIconSize, kNavIconSize},
    {DrawGauge, kNavIconSize, kNavIconSize},  {DrawSnowflake, kNavIconSize, kNavIconSize},
    {DrawOxygen, kNavIconSize, kNavIconSize}, {DrawTerminal, kNavIconSize, kNavIconSize},
    {DrawGear, kNavIconSize, kNavIconSize},   {DrawPerson, kNavIconSize, kNavIconSize},
    {DrawCar, kNavIconSize, kNavIconSize},    {DrawCodeBook, kNavIconSize, kNavIconSize},
};
constexpr Drawing kToolDrawings[kToolGlyphCount] = {
    {DrawOpen, kToolGlyphSize, kToolGlyphSize},  {DrawSave, kToolGlyphSize, kToolGlyphSize},
    {DrawPrint, kToolGlyphSize, kToolGlyphSize}, {DrawInfo, kToolGlyphSize, kToolGlyphSize},
    {DrawExit, kToolGlyphSize, kToolGlyphSize},
};
constexpr Drawing kMarkDrawings[] = {
    {DrawOk, 15, 13}, {DrawError, 15, 13}, {DrawBoxOn, 15, 15}, {DrawBoxOff, 15, 15}};
constexpr Drawing kTitleDrawings[] = {{DrawClose, 15, 15, Qt::transparent, false},
                                      {DrawMaximize, 15, 15, Qt::transparent, false},
                                      {DrawRestore, 15, 15, Qt::transparent, false},
                                      {DrawMinimize, 15, 15, Qt::transparent, false}};
constexpr Drawing kMilDrawings[] = {{DrawMilOff, 48, 32, Qt::black},
                                    {DrawMilOn, 48, 32, Qt::black}};
constexpr Drawing kStatusDrawings[] = {{DrawInterface, 16, 16}};

QPixmap Render(const Drawing& d) {
    QPixmap pixmap(d.width, d.height);
    pixmap.fill(d.ground);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing, d.smooth);
    p.setPen(Qt::black);
    d.draw(p);
    return pixmap;
}

template <std::size_t N> std::array<QPixmap, N> RenderAll(const Drawing (&drawings)[N]) {
    std::array<QPixmap, N> all;
    for (std::size_t i = 0; i < N; ++i)
        all[i] = Render(drawings[i]);
    return all;
}

} // namespace

const QPixmap& NavigationIcon(NavIcon icon) {
    static const auto icons = RenderAll(kNavDrawings);
    return icons[static_cast<std::size_t>(icon)];
}

const QPixmap& ToolBarGlyph(ToolGlyph glyph) {
    static const auto glyphs = RenderAll(kToolDrawings);
    return glyphs[static_cast<std::size_t>(glyph)];
}

const QPixmap& MarkPicture(Mark mark) {
    static const auto marks = RenderAll(kMarkDrawings);
    return marks[static_cast<std::size_t>(mark)];
}

const QPixmap& TitleButtonGlyph(TitleGlyph glyph) {
    static const auto glyphs = RenderAll(kTitleDrawings);
    return glyphs[static_cast<std::size_t>(glyph)];
}

const QPixmap& MilPicture(bool lit) {
    static const auto pictures = RenderAll(kMilDrawings);
    return pictures[lit ? 1 : 0];
}

const QPixmap& StatusBarIcon() {
    static const auto icon = RenderAll(kStatusDrawings);
    return icon[0];
}

void PreparePictures() {
    NavigationIcon(NavIcon::Start);
    ToolBarGlyph(ToolGlyph::Open);
    MarkPicture(Mark::Ok);
    TitleButtonGlyph(TitleGlyph::Close);
    MilPicture(false);
    StatusBarIcon();
}

} // namespace obd
