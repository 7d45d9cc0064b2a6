#include "support_pages.h"

#include "link/comport.h"
#include "link/link.h"
#include "services/j1979.h"
#include "widgets/pictures.h"
#include "workbench/dtcpage.h"

#include <QListWidget>
#include <QPlainTextEdit>
#include <QtTest>

using namespace obd;

namespace {

const QStringList DemoCodes = {"B1390", "B1491", "B1992", "B2427", "C1141",
                               "C1184", "C1954", "P0125", "P0455", "P0736",
                               "P1107", "P1198", "P1299", "U1451", "U2500"};

const QString DeleteQuestion =
    QStringLiteral("ACHTUNG!!!\r\n\r\nEs werden folgende Daten gelöscht:\r\n\r\n    Fehlercodes\r\n"
                   "    Freeze-Frame Daten\r\n    On-Board-Diagnostic Testergebnisse\r\n\r\n"
                   "Wollen Sie alle diese Daten wirklich löschen?");

} // namespace

class TestDtcPage : public QObject {
    Q_OBJECT

    std::unique_ptr<test::PageFixture> f;
    std::unique_ptr<DtcPage> page;
    QStringList display; // what the page asked of the start page's display

    QListWidget* list() {
        return test::child<QListWidget>(page.get(), QStringLiteral("DTC_ListBox"));
    }
    QString memo() {
        return test::child<QPlainTextEdit>(page.get(), QStringLiteral("DTC_Memo"))->toPlainText();
    }
    QStringList listed() {
        QStringList codes;
        for (int i = 0; i < list()->count(); ++i)
            codes << list()->item(i)->text();
        return codes;
    }
    void click(const char* name) {
        QTest::mouseClick(test::child<QWidget>(page.get(), QLatin1String(name)), Qt::LeftButton);
    }
private slots:
    void init() {
        f = std::make_unique<test::PageFixture>();
        f->openLink();
        f->ctx.TroubleCodeTexts = {{QStringLiteral("B1390"), QStringLiteral("erste Zeile")},
                                   {QStringLiteral("P0125"), QStringLiteral("Kühlmittel")},
                                   {QStringLiteral("B1390"), QStringLiteral("zweite Zeile")},
                                   {QStringLiteral("b1390"), QStringLiteral("nicht diese")},
                                   {QStringLiteral("B1390"), QStringLiteral("dritte Zeile")}};
        display.clear();
        f->ctx.showMonitorStatus = [this](const TMonitorStatus& s) {
            display << QStringLiteral("status %1 %2").arg(s.DtcCount).arg(s.MilOn);
        };
        f->ctx.showMilLamp = [this](bool on) { display << QStringLiteral("lamp %1").arg(on); };
        f->ctx.showMonitorStatusUnknown = [this] { display << QStringLiteral("unknown"); };
        page = std::make_unique<DtcPage>(f->ctx);
        page->show();
    }
    void cleanup() {
        page.reset();
        f.reset();
    }

    void readListsDemoCodesSortedWithDescription() {
        const int from = f->logLines().size();
        click("TroubleCodesRead");
        QVERIFY(f->logLines()[from].endsWith(QStringLiteral(" - Read DTC")));
        QCOMPARE(f->sentCommands(from), (QStringList{"0101", "03"}));
        QCOMPARE(display, QStringList{"status 0 0"});
        QCOMPARE(listed(), DemoCodes);
        QCOMPARE(list()->currentRow(), 0);
        QVERIFY(list()->currentItem()->isSelected());
        QCOMPARE(memo(), QStringLiteral("erste Zeile\nzweite Zeile\ndritte Zeile"));
        // Another code: its line; one without an entry: an empty box.
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {},
                          list()->visualItemRect(list()->item(7)).center());
        QCOMPARE(memo(), QStringLiteral("Kühlmittel"));
        QTest::mouseClick(list()->viewport(), Qt::LeftButton, {},
                          list()->visualItemRect(list()->item(1)).center());
        QCOMPARE(memo(), QString());
        QCOMPARE(f->shown.size(), 0);
    }
    // Codes of several control units carry their unit: each shows whole
    // beside its picture, its description is the code's, and the visit keeps
    // code and unit apart.
    void codeWithItsUnitShowsWholeWithDescription() {
        page->ShowTroubleCodes({{"P0125", "7E8"}, {"P0A80", "7E9"}});
        QCOMPARE(memo(), QStringLiteral("Kühlmittel"));
        QCOMPARE(list()->item(0)->text(), QStringLiteral("P0125 (Motor)"));
        QCOMPARE(list()->item(1)->text(), QStringLiteral("P0A80 (Getriebe)"));
        // The visit keeps code and unit apart.
        QCOMPARE(f->ctx.reading.codes.size(), size_t(2));
        QCOMPARE(f->ctx.reading.codes[1].code, QStringLiteral("P0A80"));
        QCOMPARE(f->ctx.reading.codes[1].unit, QStringLiteral("7E9"));
        for (int i = 0; i < list()->count(); ++i) {
            const QListWidgetItem* item = list()->item(i);
            const int textRoom =
                list()->visualItemRect(item).width() - MarkPicture(Mark::Error).width() - 6;
            QVERIFY(textRoom >= list()->fontMetrics().horizontalAdvance(item->text()));
        }
    }

    void readWithoutCodesLeavesListEmpty() {
        f->useSimulator({"--reply", "03=43 00 00 00 00 00 00"});
        click("TroubleCodesRead");
        QCOMPARE(list()->count(), 0);
        QCOMPARE(memo(), QString());
    }
    void refusedWhileCommFailure_data() {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("phrase");
        QTest::newRow("read") << "TroubleCodesRead"
                              << " - Read DTC";
        QTest::newRow("delete") << "TroubleCodesDelete"
                                << " - Delete DTC";
    }
    void refusedWhileCommFailure() {
        QFETCH(QString, button);
        QFETCH(QString, phrase);
        f->ctx.link->CommFailure = true;
        const int from = f->logLines().size();
        click(qPrintable(button));
        QCOMPARE(f->logLines().size(), from + 1);
        QVERIFY(f->logLines().last().endsWith(phrase));
        QCOMPARE(f->notifier.boxes().size(), 1);
        QCOMPARE(f->shown.size(), 0); // not even the question
    }
    void deleteAnsweredNoOrCancelSendsNothing_data() {
        QTest::addColumn<BoxButton>("answer");
        QTest::newRow("no") << BoxButton::No;
        QTest::newRow("cancel") << BoxButton::Cancel;
    }
    void deleteAnsweredNoOrCancelSendsNothing() {
        QFETCH(BoxButton, answer);
        click("TroubleCodesRead");
        display.clear();
        const int from = f->logLines().size();
        f->answers = {answer};
        click("TroubleCodesDelete");
        QCOMPARE(f->shown.size(), 1);
        QCOMPARE(f->shown[0].caption, QStringLiteral("Warnung"));
        QCOMPARE(f->shown[0].text, DeleteQuestion);
        QCOMPARE(f->sentCommands(from), QStringList());
        QCOMPARE(listed(), DemoCodes);
        QCOMPARE(display, QStringList());
    }
    void deleteConfirmedOrRefused_data() {
        QTest::addColumn<QStringList>("simulator");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("cleared"); // only then the lamp goes off and the list empties
        QTest::newRow("44") << QStringList() << "Information"
                            << "Löschvorgang erfolgreich abgeschlossen!" << true;
        QTest::newRow("refused") << QStringList{"--reply", "04=7F 04 22"} << "Fehler"
                                 << "Löschvorgang fehlerhaft!\r\nDas Steuergerät lehnt ab: "
                                    "Bedingungen nicht erfüllt – läuft der Motor? (7F 04 22)."
                                 << false;
        QTest::newRow("no answer") << QStringList{"--reply", "04="} << "Fehler"
                                   << "Löschvorgang fehlerhaft!\r\nkeine gültige Antwort des "
                                      "Fahrzeugs auf 04."
                                   << false;
    }
    void deleteConfirmedOrRefused() {
        QFETCH(QStringList, simulator);
        QFETCH(QString, caption);
        QFETCH(QString, text);
        QFETCH(bool, cleared);
        f->useSimulator(simulator);
        click("TroubleCodesRead");
        const QStringList codes = listed();
        const QString description = memo();
        QVERIFY(!codes.isEmpty());
        display.clear();
        const int from = f->logLines().size();
        f->answers = {BoxButton::Yes};
        click("TroubleCodesDelete");
        QCOMPARE(f->sentCommands(from), QStringList{"04"});
        QCOMPARE(display, cleared ? QStringList{"lamp 0"} : QStringList());
        QCOMPARE(listed(), cleared ? QStringList() : codes);
        QCOMPARE(memo(), cleared ? QString() : description);
        QCOMPARE(f->shown.size(), 2);
        QCOMPARE(f->shown[1].caption, caption);
        QCOMPARE(f->shown[1].text, text);
    }
    // A part the vehicle did not answer usably shows no state and is named in
    // an error box; the part that was read is shown.
    void unreadableReadShowsNoStateAndSaysSo_data() {
        QTest::addColumn<QStringList>("simulator");
        QTest::addColumn<QStringList>("shownStatus");
        QTest::addColumn<QStringList>("codes");
        QTest::addColumn<QString>("named");
        QTest::newRow("0101 another PID") << QStringList{"--reply", "0101=41 0C 1A F8"}
                                          << QStringList{"unknown"} << DemoCodes << "Monitorstatus";
        QTest::newRow("03 another service")
            << QStringList{"--reply", "03=41 00 BE 3E B8 11"} << QStringList{"status 0 0"}
            << QStringList() << "Fehlercodes";
    }
    void unreadableReadShowsNoStateAndSaysSo() {
        QFETCH(QStringList, simulator);
        QFETCH(QStringList, shownStatus);
        QFETCH(QStringList, codes);
        QFETCH(QString, named);
        click("TroubleCodesRead"); // the demo vehicle's codes are listed
        display.clear();
        f->useSimulator(simulator);
        click("TroubleCodesRead");
        QCOMPARE(display, shownStatus);
        QCOMPARE(listed(), codes);
        QCOMPARE(f->shown.size(), 1);
        QCOMPARE(f->shown[0].caption, QStringLiteral("Fehler"));
        QVERIFY2(f->shown[0].text.contains(named), qPrintable(f->shown[0].text));
    }
    void readWaitsForPoller() {
        QStringList order;
        f->ctx.waitForPollerIdle = [&] { order << QString::number(f->sentCommands().size()); };
        click("TroubleCodesRead");
        QCOMPARE(order, QStringList{"0"});
    }
};

QTEST_MAIN(TestDtcPage)
#include "tst_dtcpage.moc"
