// US units: known conversions, the setting's texts, and every unit of the PID
// tables either converted or explicitly the same in both systems.
#include "common/units.h"
#include "services/pidspecs.h"

#include <QTest>

using namespace obd;

class TestUnits : public QObject {
    Q_OBJECT
private slots:
    void convert_data();
    void convert();
    void metricKeepsValues();
    void settingTexts();
    void everyTableUnitHasItsUsForm();
};

void TestUnits::convert_data() {
    QTest::addColumn<double>("metric");
    QTest::addColumn<QString>("unit");
    QTest::addColumn<double>("us");
    QTest::addColumn<QString>("usUnit");
    QTest::newRow("boiling") << 100.0 << "°C" << 212.0 << "°F";
    QTest::newRow("-40 meets") << -40.0 << "°C" << -40.0 << "°F";
    QTest::newRow("speed") << 160.9344 << "kph" << 100.0 << "mph";
    QTest::newRow("distance") << 1.609344 << "km" << 1.0 << "miles";
    QTest::newRow("fuel pressure") << 689.4757 << "KPa" << 100.0 << "psi";
    QTest::newRow("air flow") << 453.59237 << "gm/sec" << 60.0 << "lb/min";
    QTest::newRow("fuel rate") << 3.785411784 << "L/h" << 1.0 << "gal/h";
    QTest::newRow("exhaust flow") << 27215.5422 << "kg/h" << 1000.0 << "lb/min";
    QTest::newRow("volts stay") << 0.45 << "V" << 0.45 << "V";
}

void TestUnits::convert() {
    QFETCH(double, metric);
    QFETCH(QString, unit);
    QFETCH(double, us);
    QFETCH(QString, usUnit);
    const ShownValue shown = InUnitSystem(metric, unit, 1, UnitSystem::Us);
    QCOMPARE(shown.unit, usUnit);
    QVERIFY2(qAbs(shown.value - us) < 1e-6 * qMax(1.0, qAbs(us)),
             qPrintable(QString::number(shown.value, 'g', 17)));
}

void TestUnits::metricKeepsValues() {
    const ShownValue shown = InUnitSystem(100, QStringLiteral("kPa"), 0, UnitSystem::Metric);
    QCOMPARE(shown.value, 100.0);
    QCOMPARE(shown.unit, QStringLiteral("kPa"));
    QCOMPARE(shown.decimals, 0);
    // psi is coarser than kPa: one more digit is shown.
    QCOMPARE(InUnitSystem(100, QStringLiteral("kPa"), 0, UnitSystem::Us).decimals, 1);
}

void TestUnits::settingTexts() {
    QCOMPARE(UnitSystemText(UnitSystem::Metric), QStringLiteral("Metrisch"));
    QCOMPARE(UnitSystemText(UnitSystem::Us), QStringLiteral("US"));
    QCOMPARE(UnitSystemFromText(QStringLiteral("US")), UnitSystem::Us);
    QCOMPARE(UnitSystemFromText(QStringLiteral("Metrisch")), UnitSystem::Metric);
    QVERIFY(!UnitSystemFromText(QStringLiteral("metric")));
}

void TestUnits::everyTableUnitHasItsUsForm() {
    QStringList units;
    for (const PidInfo& info : PidTable)
        units.append(QString::fromUtf8(info.unit));
    for (const PidSpec& spec : PidSpecs)
        for (const PidField& f : FieldsOf(spec))
            units.append(QString::fromUtf8(f.unit));
    for (const QString& unit : units) {
        const bool same = std::any_of(UnitsWithoutUsForm.begin(), UnitsWithoutUsForm.end(),
                                      [&](const char* u) { return unit == QString::fromUtf8(u); });
        QVERIFY2(same != (UsConversionOf(unit) != nullptr), qPrintable(unit));
        if (!same)
            QVERIFY2(InUnitSystem(1, unit, 0, UnitSystem::Us).unit != unit, qPrintable(unit));
    }
}

QTEST_GUILESS_MAIN(TestUnits)
#include "tst_units.moc"
