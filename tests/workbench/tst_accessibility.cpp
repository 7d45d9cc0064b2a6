// The main window as a screen reader and a keyboard user meet it: every
// control is announced by what it shows, grids by their column titles, the
// demo box answers the accessibility actions as it answers a click, buttons
// and the sensor grid work from the keyboard, and object names are unique.
#include "common/sensortable.h"
#include "link/link.h"
#include "support_main.h"
#include "widgets/qxled.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleTableInterface>
#include <QCheckBox>
#include <QStackedWidget>
#include <QTableView>
#include <QTest>
#include <QToolButton>

using namespace obd;
using namespace obd::test;

namespace {

QAccessibleInterface* accessible(QObject* object) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(object);
    if (!iface)
        qFatal("no accessible interface for %s", qPrintable(object->objectName()));
    return iface;
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { SetApplicationTitle(QStringLiteral("OBD-II Torvane")); }
    void announcedByWhatTheyShow_data();
    void announcedByWhatTheyShow();
    void gridsAnnounceTheirColumnTitles();
    void demoBoxAnswersAccessibilityActions_data();
    void demoBoxAnswersAccessibilityActions();
    void enterPressesFocusedButton();
    void spaceSwitchesPollingOfSensorRow();
    void objectNamesAreUnique();
};

void TestAccessibility::announcedByWhatTheyShow_data() {
    QTest::addColumn<QString>("control");
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("description");
    const auto row = [](const char* control, const QString& name, const QString& description = {}) {
        QTest::newRow(control) << QString::fromLatin1(control) << name << description;
    };
    // Frame, tool bar (hint text as name and tooltip) and navigation.
    row("dxContainer7", QStringLiteral("OBD-II Torvane"));
    row("tbMinimize", QStringLiteral("Minimieren"));
    row("tbMaximize", QStringLiteral("Maximieren"));
    row("tbClose", QStringLiteral("Schließen"));
    row("btnOpen", QStringLiteral("Öffnen"), QStringLiteral("Öffnen"));
    row("btnSave", QStringLiteral("Speichern"), QStringLiteral("Speichern"));
    row("btnPrint", QStringLiteral("Drucken"), QStringLiteral("Drucken"));
    row("FlatSpeedButton3", QStringLiteral("Info"), QStringLiteral("Info"));
    row("btnApplicationClose", QStringLiteral("Beenden"), QStringLiteral("Beenden"));
    row("Header1", QStringLiteral("OBD-II"));
    row("btnFehlercodes", QStringLiteral("Fehlercodes"));
    row("btnDTCs", QStringLiteral("DTC's"));
    row("DTC", QStringLiteral("Fehlercodes"));
    row("Seite2", QStringLiteral("Freeze Frames"));
    row("General Options", QStringLiteral("General"));
    // Status bar: value labels by their text, the caption as description.
    row("InterfaceLabel", QStringLiteral("Interface wird initialisiert..."));
    row("COM_Label", QStringLiteral("COM?"), QStringLiteral("Port:"));
    // Start page.
    row("LogListBox", QStringLiteral("Init-Status"));
    // Nothing read yet.
    row("labMIL_Status", QStringLiteral("N/A"), QStringLiteral("MIL Status:"));
    row("DTCCountLabel", QStringLiteral("N/A"), QStringLiteral("DTCs gelesen:"));
    row("labOxygensensorheater_C", QStringLiteral("N/A"),
        QStringLiteral("Oxygen sensor heater: Completed"));
    row("edOBDType", QStringLiteral("OBD Type"));
    row("FlatEdit4", QStringLiteral("VIN"));
    row("NeuInitialisierenBtn", QStringLiteral("Neu Initialisieren"));
    row("cbDemoMode", QStringLiteral("Demo-Mode"));
    // Trouble-code page.
    row("DTC_ListBox", QStringLiteral("DTC"), QStringLiteral("Stored DTC's (Mode 01)"));
    row("DTC_Memo", QStringLiteral("DTC-Beschreibung"));
    row("TroubleCodesDelete", QStringLiteral("Delete"));
    // Sensor page.
    row("cbShowNotSupported", QStringLiteral("Show not Supported"));
    row("btnSensorsRead", QStringLiteral("Read"));
    row("Label6", QStringLiteral("0"));
    // Terminal page.
    row("FlatButton5", QStringLiteral("Senden"));
    row("Edit1", QStringLiteral("BinToInt"));
    row("Edit3", QStringLiteral("HexToBin"));
    row("cb1", QStringLiteral("Bit7"));
    row("FlatEdit3", QStringLiteral("Result"));
    row("FlatSpeedButton1", QStringLiteral("Save to File"));
    // Customer and options pages.
    row("edCustomerNr", QStringLiteral("Customer-Nr."));
    row("edCustomerAddress", QStringLiteral("Address"));
    row("DBGrid2", QStringLiteral("Customer Vehicles"));
    row("btnCustomerAdd", QStringLiteral("Add"));
    row("FlatCheckBox1", QStringLiteral("automatisch erkennen"));
    row("FlatRadioButton1", QStringLiteral("Metrisch"));
    row("FlatRadioButton2", QStringLiteral("US"));
    // Freeze frame, O2 sensor and vehicle pages.
    row("btnFreezeFrameRead", QStringLiteral("Read"));
    row("labFreezeFrameDTC", QStringLiteral("N/A"));
    row("O2SensorGrid", QStringLiteral("O2 Sensoren"));
    row("btnO2Stop", QStringLiteral("Stop"));
    row("btnVehicleRead", QStringLiteral("Read"));
}

void TestAccessibility::announcedByWhatTheyShow() {
    QFETCH(QString, control);
    QFETCH(QString, name);
    QFETCH(QString, description);
    MainFixture f;
    TfMain& w = f.start();
    w.Timer1().stop();
    QAccessibleInterface* iface = accessible(child<QWidget>(&w, control));
    QCOMPARE(iface->text(QAccessible::Name), name);
    QCOMPARE(iface->text(QAccessible::Description), description);
}

void TestAccessibility::gridsAnnounceTheirColumnTitles() {
    MainFixture f;
    TfMain& w = f.start();
    w.Timer1().stop();
    const auto titles = [&](const char* grid) {
        QAccessibleTableInterface* table =
            accessible(child<QWidget>(&w, QString::fromLatin1(grid)))->tableInterface();
        QStringList shown;
        for (int c = 0; c < table->columnCount(); ++c)
            shown << table->columnDescription(c);
        return shown;
    };
    QCOMPARE(titles("SensorDataGrid"),
             (QStringList{QStringLiteral(" E"), QStringLiteral(" S"), QStringLiteral("PID"),
                          QStringLiteral("Sensor"), QStringLiteral("Value"), QString()}));
    QCOMPARE(titles("DBGrid1"), (QStringList{QStringLiteral("Name"), QStringLiteral("Date"),
                                             QStringLiteral("Customer-Nr.")}));
}

// A screen reader toggles or presses the box; the demo mode follows and is
// logged, as after a mouse click.
void TestAccessibility::demoBoxAnswersAccessibilityActions_data() {
    QTest::addColumn<QString>("action");
    QTest::newRow("toggle") << QAccessibleActionInterface::toggleAction();
    QTest::newRow("press") << QAccessibleActionInterface::pressAction();
}

void TestAccessibility::demoBoxAnswersAccessibilityActions() {
    QFETCH(QString, action);
    MainFixture f;
    TfMain& w = f.start();
    w.Timer1().stop();
    auto* box = child<QCheckBox>(&w, QStringLiteral("cbDemoMode"));
    QAccessibleActionInterface* actions = accessible(box)->actionInterface();
    QVERIFY(actions);
    actions->doAction(action);
    QTRY_VERIFY(box->isChecked());
    QVERIFY(w.Context().link->DemoMode);
    QVERIFY(f.logLines().last().endsWith(QStringLiteral(" - Demo-Mode ON")));
    actions->doAction(action);
    QTRY_VERIFY(!box->isChecked());
    QVERIFY(!w.Context().link->DemoMode);
    QVERIFY(f.logLines().last().endsWith(QStringLiteral(" - Demo-Mode OFF")));
}

void TestAccessibility::enterPressesFocusedButton() {
    MainFixture f;
    TfMain& w = f.start();
    w.Timer1().stop();
    QVERIFY(QTest::qWaitForWindowActive(&w));
    auto* notebook = child<QStackedWidget>(&w, QStringLiteral("Notebook"));
    auto* terminal = child<QToolButton>(&w, QStringLiteral("btnTerminal"));
    terminal->setFocus(Qt::TabFocusReason);
    QTest::keyClick(terminal, Qt::Key_Return);
    QTRY_COMPARE(notebook->currentWidget()->objectName(), QStringLiteral("Terminal"));
    auto* start = child<QToolButton>(&w, QStringLiteral("btnStart"));
    start->setFocus(Qt::TabFocusReason);
    QTest::keyClick(start, Qt::Key_Space);
    QTRY_COMPARE(notebook->currentWidget()->objectName(), QStringLiteral("Start"));
}

// Space on the sensor grid switches polling of the current row's sensor, as a
// click on its E cell does.
void TestAccessibility::spaceSwitchesPollingOfSensorRow() {
    MainFixture f;
    TfMain& w = f.start();
    w.Timer1().stop();
    auto* grid = child<QTableView>(&w, QStringLiteral("SensorDataGrid"));
    const auto cell = [grid](int column) {
        return grid->model()->index(0, column).data().toString();
    };
    SensorTable& table = w.Context().sensorTable;
    int k = 0;
    while (!table[k].IsSensor)
        ++k;
    table[k].Supported = true;
    table[k].Enabled = true;
    child<QCheckBox>(&w, QStringLiteral("cbShowNotSupported"))->click();
    grid->setCurrentIndex(grid->model()->index(0, 3));
    QCOMPARE(cell(2), table[k].Pid);
    QTest::keyClick(grid, Qt::Key_Space);
    QVERIFY(!table[k].Enabled);
    QCOMPARE(cell(0), QStringLiteral("0"));
    QTest::keyClick(grid, Qt::Key_Space);
    QVERIFY(table[k].Enabled);
    QCOMPARE(cell(0), QStringLiteral("1"));
}

void TestAccessibility::objectNamesAreUnique() {
    MainFixture f;
    TfMain& w = f.start();
    w.Timer1().stop();
    QHash<QString, int> seen;
    for (const QObject* o : w.findChildren<QObject*>()) {
        const QString name = o->objectName();
        // Qt names the parts inside its own widgets ("qt_scrollarea_viewport").
        if (!name.isEmpty() && !name.startsWith(QLatin1String("qt_")))
            ++seen[name];
    }
    QStringList twice;
    for (auto it = seen.cbegin(); it != seen.cend(); ++it)
        if (it.value() > 1)
            twice << it.key();
    QVERIFY2(twice.isEmpty(), qPrintable(twice.join(QStringLiteral(", "))));
    for (const char* lamp : {"COM_Led", "ELM_Led", "ECU_Led"})
        QCOMPARE(child<TQXLed>(&w, QString::fromLatin1(lamp))->Interval(), 200);
}

QTEST_MAIN(TestAccessibility)
#include "tst_accessibility.moc"
