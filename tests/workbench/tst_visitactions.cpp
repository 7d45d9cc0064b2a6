// "Speichern" in the main window against the simulator: the visit goes to the
// customer the user confirms, with what the pages show; without a customer,
// or when the user declines, nothing is saved and the "Customer" page shows.
#include "store/tablestore.h"
#include "store/visits.h"
#include "support_main.h"

#include "common/regional.h"

#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

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
        child<QLineEdit>(&w, QStringLiteral("FlatEdit4"))
            ->setText(QStringLiteral(" WVWZZZ1KZ6W000001"));

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
        QCOMPARE(visit->vin, QStringLiteral("WVWZZZ1KZ6W000001"));
        QCOMPARE(visit->milOn, std::optional<bool>(false));
        MonitorReadiness complete;
        complete.fill(Readiness::Complete);
        QCOMPARE(visit->readiness, complete);
        QCOMPARE(visit->codes, ctx.reading.codes);

        // Ctrl+O lists it; opening it shows it marked as a saved visit.
        QString listed;
        QString viewTitle;
        QString viewText;
        QTimer::singleShot(0, [&] {
            auto* list = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(list && list->objectName() == QStringLiteral("VisitListDialog"));
            const auto* grid = child<QTableWidget>(list, QStringLiteral("VisitGrid"));
            for (int c = 0; c < grid->columnCount(); ++c)
                listed += grid->item(0, c)->text() + QLatin1Char('|');
            QTimer::singleShot(0, [&] {
                QWidget* view = QApplication::activeModalWidget();
                viewTitle = view->windowTitle();
                viewText =
                    child<QPlainTextEdit>(view, QStringLiteral("memSavedVisit"))->toPlainText();
                view->close();
            });
            child<QPushButton>(list, QStringLiteral("btnVisitOpen"))->click();
        });
        QTest::keySequence(&w, QKeySequence::Open);
        QCOMPARE(listed, QStringLiteral("Anna|WVWZZZ1KZ6W000001|%1|1|")
                             .arg(ShortDateText(QDate::currentDate()) + QLatin1Char(' ') +
                                  visit->when.time().toString(QStringLiteral("HH:mm"))));
        QCOMPARE(viewTitle, QStringLiteral("Gespeicherte Diagnose Nr. 0 vom ") +
                                listed.section(QLatin1Char('|'), 2, 2));
        QVERIFY(viewText.contains(QStringLiteral("MIL: AUS")));
        QVERIFY(viewText.contains(QStringLiteral("P0300 (gespeichert) Zündaussetzer")));
        QCOMPARE(f.shown.size(), boxes.size());

        // A new connection may be another car: the codes read before are gone.
        child<QPushButton>(&w, QStringLiteral("NeuInitialisierenBtn"))->click();
        QTRY_COMPARE_WITH_TIMEOUT(f.statusLines().size(), 7, 5000);
        QVERIFY(ctx.reading.codes.empty());
        QCOMPARE(ctx.reading.vin, QStringLiteral("WVWZZZ1KZ6W000001"));
        QCOMPARE(ctx.reading.milOn, std::optional<bool>(false));
    }
};

QTEST_MAIN(TestVisitActions)
#include "tst_visitactions.moc"
