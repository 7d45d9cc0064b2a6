// Qt's own dialogs speak German under a German locale, like the program: the
// translations Debian installs for Qt are found and loaded.
#include "workbench/qttranslations.h"

#include <QCoreApplication>
#include <QFileDialog>
#include <QLabel>
#include <QLocale>
#include <QTest>

class TestQtTranslations : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QVERIFY(obd::InstallQtTranslations(QLocale(QLocale::German, QLocale::Germany)));
    }

    // Texts of the file, print and print preview dialogs.
    void qtTextsInGerman_data() {
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("english");
        QTest::addColumn<QString>("german");
        QTest::newRow("file dialog") << "QFileDialog"
                                     << "Look in:"
                                     << "Suchen in:";
        QTest::newRow("preview") << "QPrintPreviewDialog"
                                 << "Print Preview"
                                 << "Druckvorschau";
        QTest::newRow("zoom") << "QPrintPreviewDialog"
                              << "Zoom in" << QString::fromUtf8("Vergrößern");
        QTest::newRow("page setup") << "QPrintPreviewDialog"
                                    << "Page setup"
                                    << "Seite einrichten";
    }
    void qtTextsInGerman() {
        QFETCH(QString, context);
        QFETCH(QString, english);
        QFETCH(QString, german);
        QCOMPARE(QCoreApplication::translate(context.toLatin1().constData(),
                                             english.toLatin1().constData()),
                 german);
    }

    // The file dialog the program opens shows them.
    void fileDialogInGerman() {
        QFileDialog dialog;
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        auto* lookIn = dialog.findChild<QLabel*>(QStringLiteral("lookInLabel"));
        QVERIFY(lookIn);
        QCOMPARE(lookIn->text(), QStringLiteral("Suchen in:"));
    }
};

QTEST_MAIN(TestQtTranslations)
#include "tst_qttranslations.moc"
