// TQXLed: a small self-drawn lamp (rectangle or ellipse) in an on or off
// colour that can blink between the two on its own timer.
#pragma once

#include <QBasicTimer>
#include <QColor>
#include <QWidget>

namespace obd {

enum class TLedStyle { Rectangle = 0, Ellipse = 1 };

class TQXLed : public QWidget {
    Q_OBJECT
    // Stored and restored in this order; the setters then run in this order.
    Q_PROPERTY(int Interval READ Interval WRITE SetInterval)
    Q_PROPERTY(QColor LedOnColor READ LedOnColor WRITE SetLedOnColor)
    Q_PROPERTY(QColor LedOffColor READ LedOffColor WRITE SetLedOffColor)
    Q_PROPERTY(bool Blink READ Blink WRITE SetBlink)
    Q_PROPERTY(bool LedOn READ LedOn WRITE SetLedOn)
    Q_PROPERTY(int LedStyle READ LedStyleValue WRITE SetLedStyleValue)
    Q_PROPERTY(int PenWidth READ PenWidth WRITE SetPenWidth)
    Q_PROPERTY(QColor PenColor READ PenColor WRITE SetPenColor)

public:
    explicit TQXLed(QWidget* parent = nullptr);
    ~TQXLed() override;

    int Interval() const { return m_interval; }
    QColor LedOnColor() const { return m_ledOnColor; }
    QColor LedOffColor() const { return m_ledOffColor; }
    bool Blink() const { return m_blink; }
    bool LedOn() const { return m_ledOn; }
    TLedStyle LedStyle() const { return m_ledStyle; }
    int PenWidth() const { return m_penWidth; }
    QColor PenColor() const { return m_penColor; }
    // The fill colour the next paint uses.
    QColor ShownColor() const { return m_shownColor; }
    // The blink timer runs (also while the lamp is dark).
    bool TimerActive() const { return m_timer.isActive(); }

    void SetInterval(int ms);
    void SetLedOnColor(const QColor& c) { m_ledOnColor = c; }
    void SetLedOffColor(const QColor& c) { m_ledOffColor = c; }
    void SetBlink(bool on);
    void SetLedOn(bool on);
    void SetLedStyle(TLedStyle style);
    void SetPenWidth(int width);
    void SetPenColor(const QColor& c);

    QSize sizeHint() const override { return {10, 10}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    int LedStyleValue() const { return static_cast<int>(m_ledStyle); }
    void SetLedStyleValue(int v) {
        SetLedStyle(v == 0 ? TLedStyle::Rectangle : TLedStyle::Ellipse);
    }
    // Shape and outline changes: background erased and painted at once.
    void RepaintErased();

    QColor m_shownColor{255, 0, 0};
    QColor m_ledOnColor{0, 255, 0};
    QColor m_ledOffColor{255, 0, 0};
    QColor m_penColor{Qt::black};
    int m_penWidth = 1;
    QBasicTimer m_timer;
    bool m_blink = false;
    int m_interval = 500;
    bool m_ledOn = false;
    TLedStyle m_ledStyle = TLedStyle::Ellipse;
    bool m_eraseNext = true;
};

} // namespace obd
