// The sensor grid's model: a refill or a change of units announces exactly
// the cells whose text changed, and rows come and go in place.
#include "common/sensortable.h"
#include "session/sensormodel.h"

#include <QPoint>
#include <QSignalSpy>
#include <QtTest>
#include <functional>

using namespace obd;

namespace {

// PIDs 03, 04 and 05 are sensor rows (fuel system, load in %, coolant in °C).
void SetUpThreeRows(SensorTable& table) {
    table.SetUp([](int pid) {
        const char* units[] = {"", "%", "°C"};
        return SensorRowInfo{QStringLiteral("PID %1").arg(pid),
                             pid >= 3 && pid <= 5 ? QString::fromUtf8(units[pid - 3]) : QString(),
                             pid >= 3 && pid <= 5};
    });
}

// The cells (column, row) a spy of dataChanged saw, one per signal.
QList<QPoint> Announced(const QSignalSpy& spy) {
    QList<QPoint> cells;
    for (const QList<QVariant>& signal : spy) {
        const auto from = signal.at(0).value<QModelIndex>();
        const auto to = signal.at(1).value<QModelIndex>();
        for (int r = from.row(); r <= to.row(); ++r)
            for (int c = from.column(); c <= to.column(); ++c)
                cells << QPoint(c, r);
    }
    return cells;
}

} // namespace

class TestSensorModel : public QObject {
    Q_OBJECT
private slots:
    void onlyChangedCellsAreAnnounced_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QList<QPoint>>("cells");
        QTest::newRow("nothing") << "nothing" << QList<QPoint>{};
        QTest::newRow("one value") << "one value" << QList<QPoint>{{SensorModel::ColValue, 1}};
        QTest::newRow("same text again") << "same text again" << QList<QPoint>{};
        QTest::newRow("polling off")
            << "polling off"
            << QList<QPoint>{{SensorModel::ColEnabled, 2}, {SensorModel::ColValue, 2}};
        QTest::newRow("US units") << "US units"
                                  << QList<QPoint>{{SensorModel::ColValue, 2},
                                                   {SensorModel::ColUnit, 2}};
    }
    void onlyChangedCellsAreAnnounced() {
        QFETCH(QString, change);
        QFETCH(QList<QPoint>, cells);
        SensorTable table;
        SetUpThreeRows(table);
        for (int k = 2; k <= 4; ++k)
            table[k].Supported = true;
        table.SetReading(4, {QStringLiteral("80"), 80.0, 0});
        SensorModel model(table);
        model.Refill(false);
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.index(2, SensorModel::ColValue).data().toString(), QStringLiteral("80"));

        const QHash<QString, std::function<void()>> changes{
            {"nothing", [] {}},
            {"one value",
             [&] {
                 table.SetReading(3, {QStringLiteral("12,5"), 12.5, 1});
             }},
            {"same text again", [&] { table.SetValue(2, QStringLiteral("0")); }},
            {"polling off", [&] { table[4].Enabled = false; }},
            {"US units", [&] { model.SetUnitSystem(UnitSystem::Us); }},
        };
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
        changes[change]();
        model.Refill(false);
        QCOMPARE(Announced(changed), cells);
        QCOMPARE(reset.size(), 0);
        if (change == QLatin1String("US units")) {
            QCOMPARE(model.index(2, SensorModel::ColValue).data().toString(),
                     QStringLiteral("176"));
            QCOMPARE(model.index(2, SensorModel::ColUnit).data().toString(), QStringLiteral("°F"));
        }
    }

    // "Show not Supported" inserts the unsupported row where it belongs and
    // takes it out again; the other rows are left alone.
    void unsupportedRowComesAndGoesInPlace() {
        SensorTable table;
        SetUpThreeRows(table);
        table[2].Supported = true;
        table[4].Supported = true;
        SensorModel model(table);
        model.Refill(false);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        model.Refill(true);
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(inserted.at(0).at(1).toInt(), 1);
        QCOMPARE(model.EntryOf(1), 3);
        QCOMPARE(model.index(1, SensorModel::ColValue).data().toString(), QStringLiteral("N/A"));
        model.Refill(false);
        QCOMPARE(removed.size(), 1);
        QCOMPARE(removed.at(0).at(1).toInt(), 1);
        QCOMPARE(model.EntryOf(1), 4);
        QVERIFY(changed.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestSensorModel)
#include "tst_sensormodel.moc"
