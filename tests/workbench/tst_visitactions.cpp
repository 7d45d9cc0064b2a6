// "Speichern" and "Öffnen" in the main window against the simulator: the visit
// goes to the customer the user confirms, with what the pages show; without a
// customer, or when the user declines, nothing is saved and the "Customer"
// page shows. An opened visit takes the pages' place until the car is read.
#include "store/records.h"
#include "store/visits.h"
#include "support_main.h"

#include "common/regional.h"

#include <QApplication>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

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
            ctx.records->Customers().Insert();
            ctx.records->Customers().FieldByName("NAME").SetAsString("Anna");
            ctx.records->Customers().Post();
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

        const std::optional<VisitRecord> visit = ctx.records->LoadVisit(0);
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

        // Ctrl+O lists it; opening it shows it on the pages, marked as a saved visit.
        QString listed;
        QTimer::singleShot(0, [&] {
            auto* list = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            QVERIFY(list && list->objectName() == QStringLiteral("VisitListDialog"));
            const auto* grid = child<QTableWidget>(list, QStringLiteral("VisitGrid"));
            for (int c = 0; c < grid->columnCount(); ++c)
                listed += grid->item(0, c)->text() + QLatin1Char('|');
            child<QPushButton>(list, QStringLiteral("btnVisitOpen"))->click();
        });
        QTest::keySequence(&w, QKeySequence::Open);
        QCOMPARE(listed, QStringLiteral("Anna|WVWZZZ1KZ6W000001|%1|1|")
                             .arg(ShortDateText(QDate::currentDate()) + QLatin1Char(' ') +
                                  visit->when.time().toString(QStringLiteral("HH:mm"))));
        QCOMPARE(child<QLabel>(&w, QStringLiteral("labSavedVisit"))->text(),
                 QStringLiteral("Gespeicherte Diagnose Nr. 0 vom ") +
                     listed.section(QLatin1Char('|'), 2, 2));
        QCOMPARE(f.shown.size(), boxes.size());

        // A new connection may be another car: the codes read before are gone.
        child<QPushButton>(&w, QStringLiteral("NeuInitialisierenBtn"))->click();
        QTRY_COMPARE_WITH_TIMEOUT(f.statusLines().size(), 7, 5000);
        QVERIFY(ctx.reading.codes.empty());
        QCOMPARE(ctx.reading.vin, QStringLiteral("WVWZZZ1KZ6W000001"));
        QCOMPARE(ctx.reading.milOn, std::optional<bool>(false));
    }

    // A visit holds what the car said: nothing read, stored codes that could
    // not be read, or a reading saved already are refused with the reason.
    void saveRefusesAnUnfitReading_data() {
        QTest::addColumn<QStringList>("simulator");
        QTest::addColumn<bool>("readCodes");
        QTest::addColumn<QString>("refusal");
        QTest::addColumn<int>("visits");
        QTest::newRow("nothing read")
            << QStringList{"--chip", "elm327", "--ignition-off", "--search-ms", "0"} << false
            << "Es wurde noch nichts aus dem Fahrzeug gelesen, daher gibt es keine Diagnose zu "
               "speichern. Bitte zuerst das Interface initialisieren und die Fehlercodes lesen."
            << 0;
        QTest::newRow("stored codes cut short")
            << QStringList{"--reply", "03=43 01 33 03 00 00"} << true
            << "Die Fehlercodes konnten nicht gelesen werden; eine Diagnose ohne sie wäre falsch. "
               "Bitte die Fehlercodes erneut lesen und dann speichern."
            << 0;
        QTest::newRow("saved twice")
            << QStringList{} << false << "Diese Lesung ist bereits als Diagnose Nr. 0 gespeichert."
            << 1;
    }
    void saveRefusesAnUnfitReading() {
        QFETCH(QStringList, simulator);
        QFETCH(bool, readCodes);
        QFETCH(QString, refusal);
        QFETCH(int, visits);
        Simulator sim(simulator);
        MainFixture f;
        f.storePort(sim.slavePath());
        TfMain& w = f.start();
        w.Timer1().stop();
        f.runTimer();
        WorkbenchContext& ctx = w.Context();
        ctx.records->Customers().Insert();
        ctx.records->Customers().FieldByName("NAME").SetAsString("Anna");
        ctx.records->Customers().Post();
        if (readCodes)
            child<QPushButton>(&w, QStringLiteral("TroubleCodesRead"))->click();
        if (visits > 0) {
            f.answers = {BoxButton::Yes};
            QTest::keySequence(&w, QKeySequence::Save);
            QCOMPARE(f.shown.last().text, QStringLiteral("Diagnose Nr. 0 gespeichert."));
        }
        const qsizetype before = f.shown.size();
        QTest::keySequence(&w, QKeySequence::Save);
        QCOMPARE(f.shown.size(), before + 1);
        QCOMPARE(f.shown.last().caption + '|' + f.shown.last().text, "Information|" + refusal);
        QCOMPARE(ctx.records->LoadVisit(0).has_value(), visits > 0);
        QVERIFY(!ctx.records->LoadVisit(1).has_value());
    }

    // A visit saved with a remark, opened after the program was started
    // again, at another car: the pages show the visit, read-only and marked,
    // until the car is read. The first car, on CAN, has pending and permanent
    // codes, a freeze frame and an odometer.
    void openedVisitShowsUntilTheCarIsRead() {
        Simulator first({"--chip", "elm327", "--reply", "0101=7E8 06 41 01 82 07 65 00", "--reply",
                         "03=7E8 06 43 02 01 71 03 00"});
        Simulator demoCar; // lamp off, 15 codes
        MainFixture f;
        f.storePort(first.slavePath());
        const QString remark = QStringLiteral("Kunde meldet Ruckeln beim Anfahren");
        QStringList frame; // the freeze frame page's rows: name | value
        const auto frameRows = [](QWidget* w) {
            const auto* grid = child<QTableWidget>(w, QStringLiteral("FreezeFrameGrid"));
            QStringList rows;
            for (int r = 0; r < grid->rowCount(); ++r)
                rows << grid->item(r, 1)->text() + QStringLiteral(" | ") + grid->item(r, 2)->text();
            return rows;
        };
        {
            TfMain& w = f.start();
            QTRY_VERIFY_WITH_TIMEOUT(!w.Context().link->CommFailure, 10000);
            Dataset& customers = w.Context().records->Customers();
            customers.Insert();
            customers.FieldByName("NAME").SetAsString("Anna");
            customers.Post();
            child<QPushButton>(&w, QStringLiteral("TroubleCodesRead"))->click();
            child<QPushButton>(&w, QStringLiteral("btnFreezeFrameRead"))->click();
            frame = frameRows(&w);
            QCOMPARE(frame.size(), 7);
            QTest::keyClicks(child<QLineEdit>(&w, QStringLiteral("edRemark")), remark);
            f.answers = {BoxButton::Yes};
            QTest::keySequence(&w, QKeySequence::Save);
            QCOMPARE(f.shown.last().text, QStringLiteral("Diagnose Nr. 0 gespeichert."));
        }
        f.window->close();
        f.window.reset();
        f.shown.clear();
        f.storePort(demoCar.slavePath());
        TfMain& w = f.start();
        QTRY_COMPARE_WITH_TIMEOUT(f.statusLines().size(), 7, 5000);
        QCOMPARE(f.label("labMIL_Status"), QStringLiteral("AUS"));

        QTimer::singleShot(0, [] {
            child<QPushButton>(QApplication::activeModalWidget(), QStringLiteral("btnVisitOpen"))
                ->click();
        });
        QTest::keySequence(&w, QKeySequence::Open);
        const auto* mark = child<QLabel>(&w, QStringLiteral("labSavedVisit"));
        QVERIFY(mark->isVisible());
        QVERIFY(mark->text().startsWith(QStringLiteral("Gespeicherte Diagnose Nr. 0 vom ")));
        QCOMPARE(mark->accessibleName(), mark->text());
        QCOMPARE(f.label("labMIL_Status"), QStringLiteral("AN"));
        QCOMPARE(f.label("DTCCountLabel"), QStringLiteral("2"));
        QCOMPARE(f.label("labCatalyst_C"), QStringLiteral("Yes"));
        const auto* codes = child<QListWidget>(&w, QStringLiteral("DTC_ListBox"));
        const auto listed = [codes] {
            QStringList texts;
            for (int i = 0; i < codes->count(); ++i)
                texts << codes->item(i)->text();
            return texts;
        };
        QCOMPARE(listed(), (QStringList{"P0171", "P0300"})); // sorted, as the list is
        const auto* pending = child<QListWidget>(&w, QStringLiteral("ListBox1"));
        QCOMPARE(pending->count(), 2);
        QCOMPARE(pending->item(0)->text(), QStringLiteral("P0171"));
        QCOMPARE(pending->item(1)->text(), QStringLiteral("P0420 (permanent)"));
        QCOMPARE(f.label("labFreezeFrameDTC"), QStringLiteral("P0133"));
        QCOMPARE(frameRows(&w), frame);
        for (const auto& [box, text] :
             {std::pair{"edProtocol", "ISO 15765-4 (CAN 11/500)"},
              std::pair{"edOdometer", "12346 km"}, std::pair{"edDistanceSinceClear", "1234 km"}})
            QCOMPARE(child<QLineEdit>(&w, QString::fromLatin1(box))->text(),
                     QString::fromLatin1(text));
        // The description saved with the code.
        QCOMPARE(child<QPlainTextEdit>(&w, QStringLiteral("DTC_Memo"))->toPlainText(),
                 QStringLiteral("Mixture too lean, bank 1: the fuel trim adds fuel at its limit; "
                                "Look for intake air leaks, a weak fuel pump or a dirty air flow "
                                "sensor"));
        auto* remarkBox = child<QLineEdit>(&w, QStringLiteral("edRemark"));
        QCOMPARE(remarkBox->text(), remark);
        QVERIFY(remarkBox->isReadOnly());
        QCOMPARE(w.Context().shownVisit->number, 0); // what the report prints

        // Not saved again as a new visit.
        child<QToolButton>(&w, QStringLiteral("btnSave"))->click();
        QCOMPARE(f.shown.size(), 1);
        QVERIFY(f.shown[0].text.contains(QStringLiteral("bereits gespeichert")));
        QCOMPARE(w.Context().records->ListVisits().size(), size_t(1));

        // Reading the car ends the view.
        child<QPushButton>(&w, QStringLiteral("TroubleCodesRead"))->click();
        QVERIFY(!mark->isVisible());
        QCOMPARE(f.label("labMIL_Status"), QStringLiteral("AUS"));
        QCOMPARE(listed().size(), 15);
        QCOMPARE(f.label("labFreezeFrameDTC"), QStringLiteral("N/A"));
        QCOMPARE(child<QLineEdit>(&w, QStringLiteral("edProtocol"))->text(),
                 QStringLiteral("ISO 9141-2 / ISO 14230-4"));
        QCOMPARE(remarkBox->text(), QString());
        QVERIFY(!remarkBox->isReadOnly());
        QVERIFY(!w.Context().shownVisit);
    }
};

QTEST_MAIN(TestVisitActions)
#include "tst_visitactions.moc"
