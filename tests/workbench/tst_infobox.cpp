// The about box: size, texts, contact look, centring and reuse.
#include "common/version.h"
#include "workbench/infobox.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using obd::TfInfo;

class TestInfoBox : public QObject {
    Q_OBJECT
private slots:
    void layoutAndTexts() {
        QWidget main;
        QPalette p;
        p.setColor(QPalette::Window, QColor(215, 215, 200));
        main.setPalette(p);
        TfInfo box(&main);
        QCOMPARE(box.objectName(), QStringLiteral("fInfo"));
        QCOMPARE(box.windowTitle(), QStringLiteral("Info"));
        QCOMPARE(box.size(), QSize(179, 138));
        QCOMPARE(box.palette().color(QPalette::Window), QColor(215, 215, 200));
        auto* name = box.findChild<QLabel*>(QStringLiteral("lblProgram"));
        QVERIFY(name);
        QCOMPARE(name->text(), QStringLiteral("OBD-II Torvane"));
        QCOMPARE(name->font().pixelSize(), 16);
        // The version of the project, as --version and the package give it.
        auto* version = box.findChild<QLabel*>(QStringLiteral("lblVersion"));
        QVERIFY(version);
        QCOMPARE(version->text(), QStringLiteral("Version ") + QLatin1String(obd::ProgramVersion));
        for (const char* link : {"lblWeb", "lblMail"}) {
            auto* l = box.findChild<QLabel*>(QString::fromLatin1(link));
            QVERIFY(l);
            QVERIFY(l->font().underline());
            QCOMPARE(l->palette().color(QPalette::WindowText), QColor(Qt::blue));
            QCOMPARE(l->cursor().shape(), Qt::PointingHandCursor);
            QVERIFY(l->openExternalLinks() == false);
        }
    }

    // OK closes the box; the same box shows again, centred over the window.
    void okClosesAndBoxIsReused() {
        QWidget main;
        main.setGeometry(220, 105, 632, 546);
        main.show();
        TfInfo box(&main);
        for (int showing = 0; showing < 2; ++showing) {
            bool shown = false;
            QPoint centre;
            QTimer::singleShot(0, &box, [&] {
                shown = box.isVisible();
                centre = box.frameGeometry().center();
                box.findChild<QPushButton*>(QStringLiteral("dxButton1"))->click();
            });
            box.ShowModal();
            QVERIFY(shown);
            QVERIFY2((centre - main.frameGeometry().center()).manhattanLength() <= 3,
                     qPrintable(QStringLiteral("%1,%2").arg(centre.x()).arg(centre.y())));
            QVERIFY(!box.isVisible());
            QCOMPARE(box.result(), int(QDialog::Accepted));
        }
    }
};

QTEST_MAIN(TestInfoBox)
#include "tst_infobox.moc"
