// The trend chart under a fast poller: thousands of points a second are
// folded, yet a one-point spike and dip are still drawn; points older than the
// longest span are gone; points it cannot draw or place are ignored.
#include "widgets/trendchart.h"

#include <QImage>
#include <QTest>
#include <cmath>
#include <limits>

using namespace obd;

namespace {

using Moment = std::array<std::optional<double>, TrendChart::MaxSeries>;

// The rows below the legend where the first series' blue line is drawn.
std::pair<int, int> BlueRows(const QImage& img, int below) {
    int top = img.height(), bottom = -1;
    for (int y = below; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            if (c.blue() - c.red() > 60) {
                top = std::min(top, y);
                bottom = std::max(bottom, y);
            }
        }
    return {top, bottom};
}

} // namespace

class TestTrendChart : public QObject {
    Q_OBJECT
private slots:
    void shortSpikeAndDipSurviveFolding() {
        TrendChart chart;
        chart.resize(400, 300);
        chart.SetSeries(0, QStringLiteral("Engine RPM"), QStringLiteral("rpm"));
        chart.SetSpan(2);
        // 4000 points in two seconds, flat but for one high and one low point
        // in the middle of a bucket.
        for (int i = 0; i < 4000; ++i) {
            const double v = i == 1013 ? 3000 : i == 2987 ? 500 : 800;
            chart.Append(i * 0.0005, Moment{v});
        }
        const QImage img = chart.grab().toImage();
        const int legendBottom = 14 * TrendChart::MaxSeries + 6;
        const int plotBottom = img.height() - 20;
        const auto [top, bottom] = BlueRows(img, legendBottom);
        // The spike reaches the top of the plot, the dip its bottom; a flat
        // line alone would sit in one row.
        QVERIFY2(top <= legendBottom + 4, qPrintable(QString::number(top)));
        QVERIFY2(bottom >= plotBottom - 4, qPrintable(QString::number(bottom)));
    }

    void newestValueEndsTheLine() {
        TrendChart chart;
        chart.resize(400, 300);
        chart.SetSeries(0, QStringLiteral("Speed"), QStringLiteral("km/h"));
        chart.SetSpan(1);
        // Within one bucket: the newest equal value is the one kept, and a new
        // high replaces the older high.
        double t = 10.0;
        for (double v : {50.0, 40.0, 40.0, 60.0, 61.0})
            chart.Append(t += 0.001, Moment{v});
        QVERIFY2(chart.ValuesAt(chart.width() - 8).contains(QStringLiteral("Speed: 61 km/h")),
                 qPrintable(chart.ValuesAt(chart.width() - 8)));
    }

    void pointsOlderThanTheLongestSpanAreDropped() {
        TrendChart chart;
        chart.resize(400, 300);
        chart.SetSeries(0, QStringLiteral("Load"), QStringLiteral("%"));
        chart.SetSpan(TrendChart::MaxSpanSeconds);
        chart.Append(0, Moment{42.0});
        chart.Append(TrendChart::MaxSpanSeconds + 100, Moment{7.0});
        // At the left edge the nearest point kept is the newest one.
        const QString left = chart.ValuesAt(9);
        QVERIFY2(left.contains(QStringLiteral("Load: 7 %")), qPrintable(left));
    }

    void undrawablePointsAreIgnored() {
        TrendChart chart;
        chart.resize(400, 300);
        chart.SetSpan(2);
        chart.SetSeries(0, QStringLiteral("Temp"), QStringLiteral("°C"));
        for (const QPointF p : {QPointF{0, 1},
                                {1, std::numeric_limits<double>::quiet_NaN()},
                                {1.5, std::numeric_limits<double>::infinity()},
                                {2, 3},
                                {0.5, 99}})
            chart.Append(p.x(), Moment{p.y()});
        for (int x = 0; x < chart.width(); ++x) {
            const QString v = chart.ValuesAt(x).section(QLatin1Char(';'), 1);
            QVERIFY2(v == QStringLiteral(" Temp: 1 °C") || v == QStringLiteral(" Temp: 3 °C"),
                     qPrintable(v));
        }
        QVERIFY(chart.ValuesAt(chart.width() - 9).contains(QStringLiteral("Temp: 3 °C")));
        chart.grab(); // draws without fault
    }

    // The time axis counts from the start in readable units, never below
    // 0 s: live values before and after the span filled, and a recording,
    // shown whole however much longer than the longest live span it is.
    void timeAxisFromTheStart_data() {
        QTest::addColumn<bool>("recording");
        QTest::addColumn<double>("newest");
        QTest::addColumn<QString>("left");
        QTest::addColumn<QString>("right");
        QTest::newRow("live, first seconds") << false << 5.0 << "0 s"
                                             << "1:00 min";
        QTest::newRow("live, long run") << false << 67482.0 << "18:43:42 h"
                                        << "18:44:42 h";
        QTest::newRow("recording") << true << 150.0 << "0 s"
                                   << "2:30 min";
        QTest::newRow("long recording") << true << 4000.0 << "0 s"
                                        << "1:06:40 h";
    }
    void timeAxisFromTheStart() {
        QFETCH(bool, recording);
        QFETCH(double, newest);
        QFETCH(QString, left);
        QFETCH(QString, right);
        TrendChart chart;
        chart.resize(400, 300);
        chart.SetSeries(0, QStringLiteral("Load"), QStringLiteral("%"));
        chart.SetSpan(60);
        if (recording) {
            std::array<TrendChart::Recorded, TrendChart::MaxSeries> series;
            series[0].name = QStringLiteral("Load");
            series[0].unit = QStringLiteral("%");
            series[0].points.Start(TrendChart::BucketSeconds, 0, TrendChart::SeriesCapacity);
            for (double t = 1; t <= newest; t += 1)
                series[0].points.Add({t, t});
            chart.ShowRecording(newest, series);
        } else {
            chart.Append(newest - 1, Moment{1.0});
            chart.Append(newest, Moment{2.0});
        }
        const int plotLeft = 8, plotRight = chart.width() - 8;
        QCOMPARE(chart.ValuesAt(plotLeft).section(QLatin1Char(';'), 0, 0), left);
        QCOMPARE(chart.ValuesAt(plotRight).section(QLatin1Char(';'), 0, 0), right);
        if (recording) {
            // The first and the last recorded value are at the axis' ends.
            QVERIFY(chart.ValuesAt(plotLeft).contains(QStringLiteral("Load: 1 %")));
            QVERIFY(chart.ValuesAt(plotRight).contains(QStringLiteral("Load: %1 %").arg(newest)));
            // Live values do not mix into a recording; a new span leaves it.
            chart.Append(newest + 1, Moment{77.0});
            QVERIFY(!chart.ValuesAt(plotRight).contains(QStringLiteral("77")));
            chart.SetSpan(60);
            QVERIFY(!chart.ShowsRecording());
        }
    }
};

QTEST_MAIN(TestTrendChart)
#include "tst_trendchart.moc"
