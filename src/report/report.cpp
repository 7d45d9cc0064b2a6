#include "report/report.h"

#include <QFont>
#include <QPageLayout>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>

namespace obd {

namespace {

enum class Kind { Title, Heading, Rule };

// One element of the detail band; positions in millimetres from the band's
// top-left corner.
struct BandElement {
    const char* name;
    Kind kind;
    double top, left, width, height;
    const char* text;
};

constexpr double kBandWidthMm = 180.18;

constexpr BandElement kBand[] = {
    {"QRLabel1", Kind::Title, 0.26, 0.26, 179.65, 8.47, "OBD-II VEHICLE DIAGNOSTIC REPORT"},
    {"QRShape1", Kind::Rule, 8.47, 0, kBandWidthMm, 2.38, nullptr},
    {"QRLabel2", Kind::Heading, 10.58, 0, 33.34, 4.50, "Customer Information"},
    {"QRShape2", Kind::Rule, 40.22, 0, kBandWidthMm, 2.38, nullptr},
    {"QRLabel3", Kind::Heading, 42.33, 0, 16.14, 4.50, "MIL Status"},
    {"QRShape3", Kind::Rule, 52.92, 0, kBandWidthMm, 2.38, nullptr},
    {"QRLabel4", Kind::Heading, 55.03, 0, 20.11, 4.50, "Stored DTC's"},
    {"QRShape4", Kind::Rule, 74.08, 0, kBandWidthMm, 2.38, nullptr},
    {"QRLabel5", Kind::Heading, 76.20, 0, 21.96, 4.50, "Pending DTC's"},
    {"QRShape5", Kind::Rule, 93.13, 0, kBandWidthMm, 2.38, nullptr},
    {"QRLabel6", Kind::Heading, 94.99, 0, 29.37, 4.50, "Freeze Frame Data"},
    {"QRShape6", Kind::Rule, 110.07, 0, kBandWidthMm, 2.38, nullptr},
    {"QRLabel7", Kind::Heading, 112.71, 0, 54.50, 4.50, "Tasts Supported - Readiness Status"},
    {"QRLabel8", Kind::Heading, 133.88, 0, 78.58, 4.50,
     "Results of On-board Oxygen Sensor Monitorin Tests"},
    {"QRLabel9", Kind::Heading, 146.58, 0, 22.23, 4.50, "Snapshot Data"},
    {"QRLabel10", Kind::Heading, 161.40, 0, 8.73, 4.50, "Notes"},
};

// The form's default font; Tahoma where installed, else the sans-serif
// fallback the font matcher picks for it.
QFont FormFont(int points, bool bold) {
    QFont font(QStringLiteral("Tahoma"), points, bold ? QFont::Bold : QFont::Normal);
    font.setStyleHint(QFont::SansSerif);
    return font;
}

// A rule is one pixel wide on the screen preview at zoom 100 %.
constexpr double kRuleWidthMm = 25.4 / 96.0;

} // namespace

TfReport::TfReport(QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("fReport"));
}

void TfReport::SetUpPrinter(QPrinter& printer) {
    printer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                      QMarginsF(20, 10, 10, 10), QPageLayout::Millimeter));
    printer.setCopyCount(1);
    printer.setDuplex(QPrinter::DuplexNone);
    printer.setPrintRange(QPrinter::AllPages);
    printer.setPaperSource(QPrinter::Auto);
    printer.setFullPage(false);
}

void TfReport::Print(QPrinter& printer) {
    QPainter painter(&printer);
    PaintPage(painter, printer.resolution() / 25.4);
}

void TfReport::PaintPage(QPainter& painter, double dotsPerMm) {
    // The painter's origin is the top-left corner of the margins, which is
    // also the band's corner.
    auto mm = [dotsPerMm](double v) { return v * dotsPerMm; };
    QPen rulePen(Qt::black);
    rulePen.setWidthF(mm(kRuleWidthMm));
    for (const BandElement& e : kBand) {
        const QRectF box(mm(e.left), mm(e.top), mm(e.width), mm(e.height));
        switch (e.kind) {
        case Kind::Rule:
            painter.setPen(rulePen);
            painter.drawLine(QPointF(box.left(), box.center().y()),
                             QPointF(box.right(), box.center().y()));
            break;
        case Kind::Title:
            painter.setPen(Qt::black);
            painter.setFont(FormFont(14, true));
            painter.drawText(box, Qt::AlignHCenter | Qt::AlignTop, QString::fromLatin1(e.text));
            break;
        case Kind::Heading:
            // Headings size themselves to their text: never clipped.
            painter.setPen(Qt::black);
            painter.setFont(FormFont(10, false));
            painter.drawText(box, Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
                             QString::fromLatin1(e.text));
            break;
        }
    }
}

void TfReport::ShowPreview(QWidget* parent) {
    QPrinter printer(QPrinter::HighResolution);
    SetUpPrinter(printer);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setObjectName(QStringLiteral("fReportPreview"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [](QPrinter* target) { Print(*target); });
    preview.exec();
}

} // namespace obd
