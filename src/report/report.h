// TfReport: the one-page diagnostic report form (title, section headings and
// rules on A4), laid out in millimetres, printed through QPrinter and shown in
// Qt's print preview.
#pragma once

#include <QObject>

class QPainter;
class QPrinter;
class QWidget;

namespace obd {

class TfReport : public QObject {
    Q_OBJECT
public:
    explicit TfReport(QObject* parent = nullptr);

    // Sets up a printer for the form: A4 portrait, the form's margins,
    // one copy, no duplex, all pages.
    static void SetUpPrinter(QPrinter& printer);
    // Lays the page out afresh on a printer set up by SetUpPrinter.
    static void Print(QPrinter& printer);
    // Opens the print preview and returns when it is closed.
    void ShowPreview(QWidget* parent);

private:
    static void PaintPage(QPainter& painter, double dotsPerMm);
};

} // namespace obd
