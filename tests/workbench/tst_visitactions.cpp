// "Speichern" in the main window against the simulator: the visit goes to the
// customer the user confirms, with what the pages show; without a customer,
// or when the user declines, nothing is saved and the "Customer" page shows.
#include "store/tablestore.h"
#include "store/visits.h"
#include "support_main.h"

#include <QStackedWidget>
#include <QTest>

using namespace obd;
using namespace obd::test;

class TestVisitActions : public QObject {
    Q_OBJECT

private slots:
    void saveAsksForTheCustomer_data() {
        QTest::addColumn<bool>("withCustomer");
        QTest::addColumn<BoxButton>("answer");
        QTest::addColumn<QStringList>("boxes");
        QTest::addColumn<bool>("saved");
        QTest::newRow("no customer")
            << false << BoxButton::Ok
            << QStringList{QStringLiteral("Information|Bitte wählen Sie zuerst den Kunden aus oder "
                                          "legen Sie ihn an; danach die Diagnose speichern.")}
            << false;
        const QString question =
            QStringLiteral("Warnung|Diagnose für den Kunden \"Anna\" (Nr. 0) speichern?");
        QTest::newRow("declined") << true << BoxButton::No << QStringList{question} << false;
        QTest::newRow("saved")
            << true << BoxButton::Yes
            << QStringList{question, QStringLiteral("Information|Diagnose Nr. 0 gespeichert.")}
            << true;
    }
    void saveAsksForTheCustomer() {
        QFETCH(bool, withCustomer);
        QFETCH(BoxButton, answer);
        QFETCH(QStringList, boxes);
        QFETCH(bool, saved);
        Simulator sim;
        MainFixture f;
        f.storePort(sim.slavePath());
        TfMain& w = f.start();
        QTRY_COMPARE_WITH_TIMEOUT(f.statusLines().size(), 7, 5000);
        WorkbenchContext& ctx = w.Context();
        if (withCustomer) {
            ctx.tables->tCustomer.Insert();
            ctx.tables->tCustomer.FieldByName("NAME").SetAsString("Anna");
            ctx.tables->tCustomer.Post();
        }
        ctx.reading.codes = {{"P0300", CodeKind::Stored, "Zündaussetzer", {}}};

        f.answers = {answer};
        QTest::keySequence(&w, QKeySequence::Save);
        QStringList shown;
        for (const ShownBox& b : f.shown)
            shown << b.caption + '|' + b.text;
        QCOMPARE(shown, boxes);
        const auto* pages = child<QStackedWidget>(&w, QStringLiteral("Notebook"));
        QCOMPARE(pages->currentWidget()->objectName() == QStringLiteral("Customer"), !saved);

        const std::optional<VisitRecord> visit = VisitStore(*ctx.tables).LoadVisit(0);
        QCOMPARE(visit.has_value(), saved);
        if (!saved)
            return;
        // The simulated car: lamp off, every monitor supported and complete.
        QCOMPARE(visit->customer, 0);
        QCOMPARE(visit->milOn, std::optional<bool>(false));
        MonitorReadiness complete;
        complete.fill(Readiness::Complete);
        QCOMPARE(visit->readiness, complete);
        QCOMPARE(visit->codes, ctx.reading.codes);
    }
};

QTEST_MAIN(TestVisitActions)
#include "tst_visitactions.moc"
