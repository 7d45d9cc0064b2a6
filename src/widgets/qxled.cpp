#include "widgets/qxled.h"

#include <QPaintEvent>
#include <QPainter>

namespace obd {

TQXLed::TQXLed(QWidget* parent) : QWidget(parent) {
    // State changes repaint over the old picture without erasing it first, so
    // a switching or blinking lamp does not flicker.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(10, 10);
}

TQXLed::~TQXLed() {
    m_timer.stop();
}

void TQXLed::SetLedOn(bool on) {
    m_ledOn = on;
    m_shownColor = on ? m_ledOnColor : m_ledOffColor;
    update();
}

void TQXLed::SetBlink(bool on) {
    if (on) {
        m_timer.start(m_interval, this);
        m_blink = true;
        return;
    }
    m_timer.stop();
    m_blink = false;
    SetLedOn(m_ledOn);
}

void TQXLed::SetInterval(int ms) {
    m_interval = ms;
    if (m_blink)
        m_timer.start(m_interval, this);
}

void TQXLed::SetLedStyle(TLedStyle style) {
    if (style == m_ledStyle)
        return;
    m_ledStyle = style;
    RepaintErased();
}

void TQXLed::SetPenWidth(int width) {
    if (width == m_penWidth)
        return;
    m_penWidth = width;
    RepaintErased();
}

void TQXLed::SetPenColor(const QColor& c) {
    if (c == m_penColor)
        return;
    m_penColor = c;
    RepaintErased();
}

void TQXLed::RepaintErased() {
    m_eraseNext = true;
    repaint();
}

void TQXLed::resizeEvent(QResizeEvent* event) {
    m_eraseNext = true;
    QWidget::resizeEvent(event);
}

void TQXLed::timerEvent(QTimerEvent* event) {
    if (event->timerId() != m_timer.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    if (!m_ledOn)
        return;
    m_shownColor = m_shownColor == m_ledOnColor ? m_ledOffColor : m_ledOnColor;
    update();
}

void TQXLed::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (m_eraseNext) {
        p.fillRect(rect(), palette().window());
        m_eraseNext = false;
    }
    p.setBrush(m_shownColor);
    QPen pen(m_penColor);
    pen.setWidth(m_penWidth);
    pen.setJoinStyle(Qt::MiterJoin);
    p.setPen(m_penWidth > 0 ? pen : QPen(Qt::NoPen));
    const int d = m_penWidth / 2;
    // The shape covers the pixels from (d, d) up to, not including,
    // (width - d, height - d); the outline lies inside that box.
    const QRectF box(d, d, width() - 2 * d, height() - 2 * d);
    const qreal half = m_penWidth / 2.0;
    const QRectF shape = box.adjusted(half, half, -half, -half);
    if (m_ledStyle == TLedStyle::Rectangle)
        p.drawRect(shape);
    else
        p.drawEllipse(shape);
}

} // namespace obd
