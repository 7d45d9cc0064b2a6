// The message boxes as the user sees them (captions, button texts, the answer
// given back), the guard, and boxes raised on the polling worker's thread.
#include "common/errors.h"
#include "workbench/guinotifier.h"
#include "workbench/messages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <thread>

using namespace obd;

Q_DECLARE_METATYPE(obd::BoxButton)

class TestMessages : public QObject {
    Q_OBJECT

private slots:
    void boxes_data();
    void boxes();
    void guardShowsErrorsAndGoesOn();
    void workerBoxWaitsForGuiThread();
};

namespace {

using Ask = std::function<BoxButton(MessageBoxes&)>;

const QString Escape = QStringLiteral("<Escape>");

// Presses the button labelled `press` (or the Escape key) in the next modal box and records what
// the box showed.
struct BoxReader {
    QString caption;
    QStringList buttons;
    void pressLater(const QString& press) {
        QTimer::singleShot(0, [this, press] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            caption = box->windowTitle();
            for (QAbstractButton* b : box->buttons())
                buttons << b->text();
            if (press == Escape)
                QTest::keyClick(box, Qt::Key_Escape);
            for (QAbstractButton* b : box->buttons())
                if (b->text() == press)
                    b->click();
        });
    }
};

} // namespace

void TestMessages::boxes_data() {
    QTest::addColumn<Ask>("ask");
    QTest::addColumn<QString>("caption");
    QTest::addColumn<QStringList>("buttons");
    QTest::addColumn<QString>("press");
    QTest::addColumn<BoxButton>("answer");

    QTest::newRow("error") << Ask([](MessageBoxes& m) {
        m.Error("x");
        return BoxButton::Ok;
    }) << "Fehler" << QStringList{"OK"}
                           << "OK" << BoxButton::Ok;
    QTest::newRow("yes/no") << Ask([](MessageBoxes& m) { return m.AskYesNo("x"); }) << "Warnung"
                            << QStringList{"&Ja", "&Nein"} << "&Nein" << BoxButton::No;
    QTest::newRow("yes/no/cancel")
        << Ask([](MessageBoxes& m) { return m.AskYesNoCancel("x"); }) << "Warnung"
        << QStringList{"&Ja", "&Nein", "Abbrechen"} << "Abbrechen" << BoxButton::Cancel;
    QTest::newRow("ok/cancel") << Ask([](MessageBoxes& m) { return m.AskOkCancel("x"); })
                               << "Bestätigung" << QStringList{"OK", "Abbrechen"} << "OK"
                               << BoxButton::Ok;
    QTest::newRow("error yes/no") << Ask([](MessageBoxes& m) { return m.ErrorYesNo("x"); })
                                  << "Fehler" << QStringList{"&Ja", "&Nein"} << "&Ja"
                                  << BoxButton::Yes;
    // Escape closes a box with the answer that changes nothing.
    QTest::newRow("yes/no/cancel, Escape")
        << Ask([](MessageBoxes& m) { return m.AskYesNoCancel("x"); }) << "Warnung"
        << QStringList{"&Ja", "&Nein", "Abbrechen"} << Escape << BoxButton::Cancel;
    QTest::newRow("yes/no, Escape")
        << Ask([](MessageBoxes& m) { return m.AskYesNo("x"); }) << "Warnung"
        << QStringList{"&Ja", "&Nein"} << Escape << BoxButton::No;
    // The notice is captioned with the application title alone.
    QTest::newRow("plain") << Ask([](MessageBoxes& m) {
        SetApplicationTitle(QStringLiteral("OBD-II Torvane"));
        m.Plain("x");
        return BoxButton::Ok;
    }) << "OBD-II Torvane" << QStringList{"OK"}
                           << "OK" << BoxButton::Ok;
}

void TestMessages::boxes() {
    QFETCH(Ask, ask);
    QFETCH(QString, caption);
    QFETCH(QStringList, buttons);
    QFETCH(QString, press);
    QFETCH(BoxButton, answer);
    MessageBoxes messages;
    BoxReader reader;
    reader.pressLater(press);
    QCOMPARE(ask(messages), answer);
    QCOMPARE(reader.caption, caption);
    QStringList shown = reader.buttons;
    shown.sort();
    buttons.sort();
    QCOMPARE(shown, buttons);
}

void TestMessages::guardShowsErrorsAndGoesOn() {
    MessageBoxes messages;
    QStringList shown;
    messages.answer = [&](const QString& caption, const QString& text) {
        shown << caption + ": " + text;
        return BoxButton::Ok;
    };
    messages.Guard([] { throw DriverError("Unable to open com port (win error code: 2)"); });
    messages.Guard([] { throw std::runtime_error("bad"); });
    bool ran = false;
    messages.Guard([&] { ran = true; });
    QVERIFY(ran);
    QCOMPARE(shown,
             (QStringList{"Fehler: Unable to open com port (win error code: 2)", "Fehler: bad"}));
}

void TestMessages::workerBoxWaitsForGuiThread() {
    MessageBoxes messages;
    QThread* shownOn = nullptr;
    QString shownText;
    messages.answer = [&](const QString&, const QString& text) {
        shownOn = QThread::currentThread();
        shownText = text;
        return BoxButton::Ok;
    };
    GuiNotifier notifier(messages);
    std::atomic<bool> done{false};
    std::thread worker([&] {
        notifier.showChipError(QStringLiteral("ERROR Message: NODATA"));
        // The call returns only after the GUI thread has shown the box.
        done = shownOn != nullptr;
    });
    QTRY_VERIFY(done);
    worker.join();
    QCOMPARE(shownOn, QApplication::instance()->thread());
    QCOMPARE(shownText, QStringLiteral("ERROR Message: NODATA"));
}

QTEST_MAIN(TestMessages)
#include "tst_messages.moc"
