// The status lamp: setter order, blinking, painting.
#include "widgets/qxled.h"

#include <QImage>
#include <QTest>

using obd::TLedStyle;
using obd::TQXLed;

namespace {
const QColor lime(0, 255, 0);
const QColor green(0, 128, 0);
const QColor red(255, 0, 0);

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int count = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint)
            ++count;
        return false;
    }
};
} // namespace

class TestQXLed : public QObject {
    Q_OBJECT
private slots:
    void constructionGivesDarkSteadyEllipse() {
        TQXLed led;
        QCOMPARE(led.size(), QSize(10, 10));
        QCOMPARE(led.Interval(), 500);
        QCOMPARE(led.ShownColor(), red);
        QCOMPARE(led.LedOnColor(), lime);
        QCOMPARE(led.LedStyle(), TLedStyle::Ellipse);
        QVERIFY(!led.LedOn());
        QVERIFY(!led.TimerActive());
    }

    // Restoring the stored properties in their published order: LedOn takes
    // its colour from the colours restored before it.
    void restoredPropertiesInOrder() {
        TQXLed led;
        const char* order[] = {"Interval", "LedOnColor", "LedOffColor", "Blink",
                               "LedOn",    "LedStyle",   "PenWidth",    "PenColor"};
        const QVariant values[] = {200, lime, green, false, true, 0, 1, QColor(160, 150, 131)};
        const QMetaObject* mo = led.metaObject();
        for (int i = 0; i < 8; ++i) {
            QCOMPARE(mo->property(mo->propertyOffset() + i).name(), order[i]);
            QVERIFY(led.setProperty(order[i], values[i]));
        }
        QCOMPARE(led.ShownColor(), lime);
        QCOMPARE(led.LedStyle(), TLedStyle::Rectangle);
    }

    void colourChangeWaitsForNextLedOn() {
        TQXLed led;
        led.SetLedOn(true);
        led.SetLedOnColor(QColor(Qt::blue));
        QCOMPARE(led.ShownColor(), lime);
        led.SetLedOn(true);
        QCOMPARE(led.ShownColor(), QColor(Qt::blue));
    }

    void blinkTicksAlternateOnlyWhenLit() {
        TQXLed led;
        led.SetInterval(20);
        led.SetBlink(true);
        QVERIFY(led.TimerActive());
        QTest::qWait(70);
        QCOMPARE(led.ShownColor(), red); // a dark lamp stays dark

        led.SetLedOn(true);
        QCOMPARE(led.ShownColor(), lime); // at once
        QTRY_COMPARE_WITH_TIMEOUT(led.ShownColor(), red, 500);
        QTRY_COMPARE_WITH_TIMEOUT(led.ShownColor(), lime, 500);
        QTRY_COMPARE_WITH_TIMEOUT(led.ShownColor(), red, 500);

        // Blink off in the off phase returns to the steady on colour.
        led.SetBlink(false);
        QVERIFY(!led.TimerActive());
        QCOMPARE(led.ShownColor(), lime);
        QTest::qWait(60);
        QCOMPARE(led.ShownColor(), lime);
    }

    void penInsetAndShape_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<QPoint>("penPixel");
        QTest::addColumn<QPoint>("outside");
        QTest::newRow("rectangle") << 0 << QPoint(1, 1) << QPoint(0, 0);
        QTest::newRow("rectangle far corner") << 0 << QPoint(15, 7) << QPoint(16, 8);
        QTest::newRow("ellipse keeps corners") << 1 << QPoint(8, 1) << QPoint(1, 1);
    }
    void penInsetAndShape() {
        QFETCH(int, style);
        QFETCH(QPoint, penPixel);
        QFETCH(QPoint, outside);
        QWidget ground;
        ground.setAutoFillBackground(true);
        QPalette pal;
        pal.setColor(QPalette::Window, Qt::white);
        ground.setPalette(pal);
        TQXLed led(&ground);
        led.resize(17, 9);
        led.SetLedStyle(style == 0 ? TLedStyle::Rectangle : TLedStyle::Ellipse);
        led.SetPenColor(QColor(Qt::black));
        led.SetPenWidth(3);
        led.SetLedOnColor(lime);
        led.SetLedOn(true);
        const QImage img = led.grab().toImage();
        QCOMPARE(QColor(img.pixel(penPixel)), QColor(Qt::black));
        QCOMPARE(QColor(img.pixel(outside)), QColor(Qt::white));
        QCOMPARE(QColor(img.pixel(8, 4)), lime);
    }

    void equalShapeValueDoesNotRepaint() {
        TQXLed led;
        led.show();
        QVERIFY(QTest::qWaitForWindowExposed(&led));
        PaintCounter counter;
        led.installEventFilter(&counter);
        led.SetLedStyle(TLedStyle::Ellipse);
        led.SetPenWidth(1);
        led.SetPenColor(QColor(Qt::black));
        QCOMPARE(counter.count, 0);
        led.SetLedStyle(TLedStyle::Rectangle); // repaints at once
        QCOMPARE(counter.count, 1);
    }
};

QTEST_MAIN(TestQXLed)
#include "tst_qxled.moc"
