// TfReport: the diagnostic report form (title, section headings and rules on
// A4), laid out in millimetres, printed through QPrinter and shown in Qt's
// print preview; blank, or filled with a workshop visit, whose sections
// continue on further pages with their headings repeated when they do not
// fit their place on the form.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <functional>

class QPainter;
class QPrinter;
class QWidget;

namespace obd {

// What the filled form shows, section by section, one entry per printed line.
// In a line, a tab separates a narrow first column (a code) from the text.
struct ReportContent {
    QStringList customer;     // "Customer Information"
    QStringList mil;          // "MIL Status"
    QStringList storedCodes;  // "Stored DTC's"
    QStringList pendingCodes; // "Pending DTC's"
    QStringList freezeFrame;  // "Freeze Frame Data"
    QStringList readiness;    // "Tasts Supported - Readiness Status", two columns
    QStringList notes;        // "Notes"
};

class TfReport : public QObject {
    Q_OBJECT
public:
    explicit TfReport(QObject* parent = nullptr);

    // Sets up a printer for the form: A4 portrait, the form's margins,
    // one copy, no duplex, all pages.
    static void SetUpPrinter(QPrinter& printer);
    // Lays the pages out afresh on a printer set up by SetUpPrinter: the
    // blank form, or the form filled with content and its continuation pages.
    static void Print(QPrinter& printer, const ReportContent* content = nullptr);
    // Writes the report as a PDF file; throws FileError when it cannot.
    static void SavePdf(const QString& path, const ReportContent* content);
    // Opens the print preview and returns when it is closed. With savePdf,
    // the preview's tool bar offers "Als PDF speichern", which calls it.
    void ShowPreview(QWidget* parent, const ReportContent* content = nullptr,
                     const std::function<void()>& savePdf = {});

private:
    // Draws the form's elements, or only its first `elements` ones.
    static void PaintPage(QPainter& painter, double dotsPerMm, size_t elements = SIZE_MAX);
};

} // namespace obd
