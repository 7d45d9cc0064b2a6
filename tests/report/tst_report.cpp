// The report form printed to PDF and read back with poppler.
#include "report/report.h"

#include "common/errors.h"

#include <QApplication>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

QString run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        qFatal("%s failed", qPrintable(program));
    return QString::fromUtf8(p.readAllStandardOutput());
}

constexpr double kPtPerMm = 72.0 / 25.4;

} // namespace

class TestReport : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_pdf;

private slots:
    void initTestCase() {
        QVERIFY(m_dir.isValid());
        m_pdf = m_dir.filePath(QStringLiteral("report.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        obd::TfReport::SetUpPrinter(printer);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_pdf);
        obd::TfReport::Print(printer);
    }

    void oneA4Page() {
        const QString info = run(QStringLiteral("pdfinfo"), {m_pdf});
        QVERIFY2(info.contains(QRegularExpression(QStringLiteral("Pages:\\s+1\\n"))),
                 qPrintable(info));
        const QRegularExpression size(QStringLiteral("Page size:\\s+([0-9.]+) x ([0-9.]+) pts"));
        const auto m = size.match(info);
        QVERIFY(m.hasMatch());
        QCOMPARE(qRound(m.captured(1).toDouble()), 595);
        QCOMPARE(qRound(m.captured(2).toDouble()), 842);
    }

    void titleAndHeadings_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("leftMm"); // on the page
        QTest::addColumn<double>("topMm");
        QTest::newRow("title") << "OBD-II VEHICLE DIAGNOSTIC REPORT" << -1.0 << 10.26;
        QTest::newRow("customer") << "Customer Information" << 20.0 << 20.58;
        QTest::newRow("mil") << "MIL Status" << 20.0 << 52.33;
        QTest::newRow("stored") << "Stored DTC's" << 20.0 << 65.03;
        QTest::newRow("pending") << "Pending DTC's" << 20.0 << 86.20;
        QTest::newRow("freeze") << "Freeze Frame Data" << 20.0 << 104.99;
        QTest::newRow("readiness") << "Tasts Supported - Readiness Status" << 20.0 << 122.71;
        QTest::newRow("oxygen") << "Results of On-board Oxygen Sensor Monitorin Tests" << 20.0
                                << 143.88;
        QTest::newRow("snapshot") << "Snapshot Data" << 20.0 << 156.58;
        QTest::newRow("notes") << "Notes" << 20.0 << 171.40;
    }
    // Each text stands on the page in full, with its first word where the
    // form puts it (the title centred in the band).
    void titleAndHeadings() {
        QFETCH(QString, text);
        QFETCH(double, leftMm);
        QFETCH(double, topMm);
        const QString plain = run(QStringLiteral("pdftotext"), {m_pdf, QStringLiteral("-")});
        QVERIFY2(plain.contains(text), qPrintable(plain));

        const QString html =
            run(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), m_pdf, QStringLiteral("-")});
        const QStringList words = text.split(QLatin1Char(' '));
        const QRegularExpression first(QStringLiteral("<word xMin=\"([0-9.]+)\" yMin=\"([0-9.]+)\" "
                                                      "xMax=\"([0-9.]+)\" yMax=\"[0-9.]+\">") +
                                       QRegularExpression::escape(words.first()) +
                                       QStringLiteral("</word>"));
        const auto m = first.match(html);
        QVERIFY2(m.hasMatch(), qPrintable(html));
        const double x = m.captured(1).toDouble() / kPtPerMm;
        const double y = m.captured(2).toDouble() / kPtPerMm;
        QVERIFY2(qAbs(y - topMm) < 2.0, qPrintable(QString::number(y)));
        if (leftMm >= 0) {
            QVERIFY2(qAbs(x - leftMm) < 1.0, qPrintable(QString::number(x)));
        } else {
            // Title: its last word ends as far from the band's right edge as
            // its first word begins from the left one.
            const QRegularExpression last(QStringLiteral("xMax=\"([0-9.]+)\" yMax=\"[0-9.]+\">") +
                                          QRegularExpression::escape(words.last()) +
                                          QStringLiteral("</word>"));
            const double right = last.match(html).captured(1).toDouble() / kPtPerMm;
            QVERIFY2(qAbs((x - 20.26) - (20.26 + 179.65 - right)) < 2.0,
                     qPrintable(QStringLiteral("%1 %2").arg(x).arg(right)));
        }
    }

    // A filled form whose code list does not fit its place: every code is
    // printed, the further pages repeat the title and the heading.
    void longCodeListContinues() {
        obd::ReportContent content;
        content.customer << QStringLiteral("Anna Muster (Kunden-Nr. 7)");
        content.readiness << QStringLiteral("Misfire: abgeschlossen")
                          << QStringLiteral("Catalyst: nicht abgeschlossen");
        for (int i = 0; i < 150; ++i)
            content.storedCodes << QStringLiteral("P%1\tBeschreibung %1").arg(1000 + i);
        const QString pdf = m_dir.filePath(QStringLiteral("filled.pdf"));
        obd::TfReport::SavePdf(pdf, &content);

        const QRegularExpression pagesLine(QStringLiteral("Pages:\\s+(\\d+)\\n"));
        const int pages =
            pagesLine.match(run(QStringLiteral("pdfinfo"), {pdf})).captured(1).toInt();
        QVERIFY2(pages >= 3, qPrintable(QString::number(pages)));
        QString all;
        for (int page = 1; page <= pages; ++page) {
            const QString text =
                run(QStringLiteral("pdftotext"),
                    {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                     QString::number(page), pdf, QStringLiteral("-")});
            QVERIFY(text.contains(QStringLiteral("OBD-II VEHICLE DIAGNOSTIC REPORT")));
            if (page > 1)
                QVERIFY2(text.contains(QStringLiteral("Stored DTC's (Fortsetzung)")),
                         qPrintable(text));
            all += text;
        }
        QVERIFY(all.contains(QStringLiteral("Anna Muster (Kunden-Nr. 7)")));
        QVERIFY(all.contains(QStringLiteral("Catalyst: nicht abgeschlossen")));
        for (const QString& line : content.storedCodes)
            QCOMPARE(all.count(line.section(QLatin1Char('\t'), 0, 0) + QLatin1Char('\n')) +
                         all.count(line.section(QLatin1Char('\t'), 0, 0) + QLatin1Char(' ')),
                     1);
    }

    void unwritablePdfIsAnError() {
        const QString pdf = m_dir.filePath(QStringLiteral("missing/folder/report.pdf"));
        obd::ReportContent content;
        try {
            obd::TfReport::SavePdf(pdf, &content);
            QFAIL("no error");
        } catch (const obd::FileError& e) {
            QVERIFY(e.text().contains(pdf));
        }
    }

    // The preview opens without any vehicle state and returns once closed.
    void previewReturnsWhenClosed() {
        obd::TfReport report;
        bool opened = false;
        QTimer::singleShot(0, this, [&] {
            auto* dialog = qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
            QVERIFY(dialog);
            opened = true;
            dialog->reject();
        });
        report.ShowPreview(nullptr);
        QVERIFY(opened);
    }
};

QTEST_MAIN(TestReport)
#include "tst_report.moc"
