#include "support_pages.h"

#include "link/comport.h"
#include "link/link.h"
#include "workbench/terminalpage.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QtTest>

using namespace obd;

class TestTerminalPage : public QObject {
    Q_OBJECT

    std::unique_ptr<test::PageFixture> f;
    std::unique_ptr<TerminalPage> page;

    template <class W> W* control(const QString& name) { return test::child<W>(page.get(), name); }
    QString text(const char* name) { return control<QLineEdit>(QLatin1String(name))->text(); }
    void type(const char* name, const QString& t) {
        control<QLineEdit>(QLatin1String(name))->setText(t);
    }
    void click(const char* name) {
        QTest::mouseClick(control<QWidget>(QLatin1String(name)), Qt::LeftButton);
    }
    QByteArray savedFile() {
        QFile file(f->ctx.paths.transcriptFile());
        if (!file.open(QIODevice::ReadOnly))
            return "<missing>";
        return file.readAll();
    }
    QString bitBoxes() {
        QString ticks;
        for (int i = 1; i <= 8; ++i)
            ticks += control<QCheckBox>(QStringLiteral("cb%1").arg(i))->isChecked() ? '1' : '0';
        return ticks;
    }

private slots:
    void init() {
        f = std::make_unique<test::PageFixture>();
        page = std::make_unique<TerminalPage>(f->ctx);
        page->show();
    }
    void cleanup() {
        page.reset();
        f.reset();
    }

    // The composed request in demo mode: command, reply, transcript, saved bytes.
    void composedRequestTranscriptAndSave() {
        f->openLink();
        click("FlatButton1");
        QCOMPARE(text("FlatEdit3"), QStringLiteral("4100BE3EB811"));
        control<QComboBox>(QStringLiteral("FlatComboBox2"))->setEditText(QStringLiteral("2F"));
        click("FlatButton1");
        QCOMPARE(text("FlatEdit3"), QStringLiteral("DEMO"));
        const QString transcript = QStringLiteral("Mode: 01 PID: 00\n4100BE3EB811\n\n"
                                                  "Mode: 01 PID: 2F\nDEMO\n");
        QCOMPARE(control<QPlainTextEdit>(QStringLiteral("FlatMemo1"))->toPlainText(), transcript);
        QVERIFY(f->logLines().join('\n').contains(QStringLiteral(" - S: 012F")));

        control<QPlainTextEdit>(QStringLiteral("FlatMemo1"))
            ->appendPlainText(QStringLiteral("Grüße"));
        click("FlatSpeedButton1");
        QCOMPARE(savedFile(), QByteArray("Mode: 01 PID: 00\r\n4100BE3EB811\r\n\r\n"
                                         "Mode: 01 PID: 2F\r\nDEMO\r\n\r\nGr\xFC\xDF"
                                         "e\r\n"));
        click("FlatSpeedButton2");
        click("FlatSpeedButton1");
        QCOMPARE(savedFile(), QByteArray()); // replaced, and an empty transcript is an empty file
        QCOMPARE(f->shown.size(), 0);
    }
    // Over the real driver: the exact bytes on the line.
    void freeCommandGoesOutUnchanged() {
        test::ScriptedChip chip;
        f->openLink(chip.slavePath());
        chip.answer({"OK\r\r>"});
        click("FlatButton5"); // empty edit: a lone carriage return
        QCOMPARE(chip.finish(), QByteArray("\r"));
        QCOMPARE(text("FlatEdit2"), QStringLiteral("OK"));
        chip.answer({"41 0C 1A F8\r\r>"});
        type("FlatEdit1", QStringLiteral(" at z"));
        click("FlatButton5");
        QCOMPARE(chip.finish(), QByteArray(" at z\r"));
        QCOMPARE(text("FlatEdit2"), QStringLiteral("410C1AF8"));
    }
    void sendWaitsForPollerFirst() {
        f->openLink();
        QStringList order;
        f->ctx.waitForPollerIdle = [&] {
            order << QStringLiteral("wait %1").arg(f->logLines().size());
        };
        const int before = f->logLines().size();
        click("FlatButton5");
        click("FlatButton1");
        QCOMPARE(order, (QStringList{QStringLiteral("wait %1").arg(before),
                                     QStringLiteral("wait %1").arg(before + 2)}));
    }
    // A late reply: the busy cursor shows, and the window goes on handling its
    // events (a timer here, paints alike) while the exchange waits.
    void exchangeShowsBusyCursorAndKeepsEventsRunning() {
        f->openLink();
        f->useSimulator({"--latency", "400"});
        bool fired = false;
        Qt::CursorShape shape = Qt::ArrowCursor;
        QTimer::singleShot(100, [&] {
            fired = true;
            if (const QCursor* cursor = QGuiApplication::overrideCursor())
                shape = cursor->shape();
        });
        click("FlatButton1");
        QVERIFY(fired);
        QCOMPARE(shape, Qt::WaitCursor);
        QCOMPARE(QGuiApplication::overrideCursor(), nullptr);
        QCOMPARE(text("FlatEdit3"), QStringLiteral("4100BE3EB811"));
    }
    void exchangeErrorKeepsFields() {
        f->openLink();
        f->ctx.link->DemoMode = false; // and the port was never opened
        type("FlatEdit2", QStringLiteral("alt"));
        click("FlatButton5");
        click("FlatButton1");
        QCOMPARE(f->shown.size(), 2);
        QCOMPARE(f->shown[0].caption, QStringLiteral("Fehler"));
        QCOMPARE(text("FlatEdit2"), QStringLiteral("alt"));
        QCOMPARE(text("FlatEdit3"), QString());
        QCOMPARE(control<QPlainTextEdit>(QStringLiteral("FlatMemo1"))->toPlainText(), QString());
    }
    void saveFailureReportsFileError() {
        f->ctx.paths.folder += QStringLiteral("/missing");
        control<QPlainTextEdit>(QStringLiteral("FlatMemo1"))->setPlainText(QStringLiteral("x"));
        click("FlatSpeedButton1");
        QCOMPARE(f->shown.size(), 1);
        QCOMPARE(f->shown[0].caption, QStringLiteral("Fehler"));
        QCOMPARE(f->shown[0].text, QStringLiteral("Datei %1 kann nicht erstellt werden")
                                       .arg(f->ctx.paths.transcriptFile()));
        QCOMPARE(control<QPlainTextEdit>(QStringLiteral("FlatMemo1"))->toPlainText(),
                 QStringLiteral("x"));
    }

    void binaryConverter_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("bit7");
        QTest::newRow("first char is bit 0") << "10000000"
                                             << "1"
                                             << "0";
        QTest::newRow("last of eight is bit 7") << "00000001"
                                                << "128"
                                                << "1";
        QTest::newRow("other chars count zero") << "1x1"
                                                << "5"
                                                << "0";
        QTest::newRow("32nd digit is the sign") << QString(31, '0') + '1' << "-2147483648"
                                                << "0";
    }
    void binaryConverter() {
        QFETCH(QString, input);
        QFETCH(QString, value);
        QFETCH(QString, bit7);
        type("Edit1", input);
        QCOMPARE(text("Edit2"), value);
        QCOMPARE(control<QLabel>(QStringLiteral("Label1"))->text(), bit7);
        type("Edit1", QString()); // emptied: both show 0
        QCOMPARE(text("Edit2"), QStringLiteral("0"));
        QCOMPARE(control<QLabel>(QStringLiteral("Label1"))->text(), QStringLiteral("0"));
    }
    void hexConverter_data() {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("bits");
        QTest::newRow("ff") << "ff"
                            << "255"
                            << "11111111";
        QTest::newRow("a5") << "A5"
                            << "165"
                            << "10100101";
        QTest::newRow("bits above 7 hidden") << "1FF"
                                             << "511"
                                             << "11111111";
        QTest::newRow("eight F is -1") << "FFFFFFFF"
                                       << "-1"
                                       << "11111111";
        QTest::newRow("100") << "100"
                             << "256"
                             << "00000000";
    }
    void hexConverter() {
        QFETCH(QString, input);
        QFETCH(QString, value);
        QFETCH(QString, bits);
        type("Edit3", input);
        QCOMPARE(text("Edit5"), value);
        QCOMPARE(text("Edit4"), bits);
        QCOMPARE(bitBoxes(), bits);
        type("Edit3", QString()); // emptied: the rest keeps what it shows
        QCOMPARE(text("Edit5"), value);
        QCOMPARE(bitBoxes(), bits);
        QCOMPARE(f->shown.size(), 0);
    }
    void hexConverterErrorLeavesFields() {
        type("Edit3", QStringLiteral("a5"));
        type("Edit3", QStringLiteral("a5g"));
        QCOMPARE(f->shown.size(), 1);
        QCOMPARE(f->shown[0].caption, QStringLiteral("Fehler"));
        QCOMPARE(f->shown[0].text, QStringLiteral("'$a5g' ist kein gültiger Integerwert"));
        QCOMPARE(text("Edit5"), QStringLiteral("165"));
        QCOMPARE(text("Edit4"), QStringLiteral("10100101"));
        QCOMPARE(bitBoxes(), QStringLiteral("10100101"));
    }
};

QTEST_MAIN(TestTerminalPage)
#include "tst_terminalpage.moc"
