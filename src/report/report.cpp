#include "report/report.h"

#include "common/errors.h"

#include <QAction>
#include <QFont>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QToolBar>
#include <algorithm>
#include <cmath>
#include <span>

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

constexpr double kBandHeightMm = 179.12;

// The filled form: which content goes under which heading, in how many columns.
struct Section {
    const char* heading; // element name in kBand
    QStringList ReportContent::*lines;
    int columns;
};
constexpr Section kSections[] = {
    {"QRLabel2", &ReportContent::customer, 1},    {"QRLabel3", &ReportContent::mil, 1},
    {"QRLabel4", &ReportContent::storedCodes, 1}, {"QRLabel5", &ReportContent::pendingCodes, 1},
    {"QRLabel6", &ReportContent::freezeFrame, 1}, {"QRLabel7", &ReportContent::readiness, 2},
    {"QRLabel10", &ReportContent::notes, 1},
};

// Content lines: 8 point text, one line every 3.8 mm; the text under a heading
// starts below the heading's own line and ends above the next element.
constexpr int kLinePoints = 8;
constexpr double kLineMm = 3.8;
constexpr double kBelowHeadingMm = 4.8;
constexpr double kCodeColumnMm = 16.0;
// Continuation pages: the title and its rule as on the form, then the sections.
constexpr double kContinuationTopMm = 12.0;
constexpr double kHeadingMm = 5.5;

const QString kContinued = QStringLiteral("... Fortsetzung auf den folgenden Seiten");

// Draws one content line with its top-left corner at (left, top), within width.
void drawLine(QPainter& painter, double dotsPerMm, double left, double top, double width,
              const QString& line) {
    const auto mm = [dotsPerMm](double v) { return v * dotsPerMm; };
    const QFontMetricsF metrics(painter.font(), painter.device());
    const qsizetype tab = line.indexOf(QLatin1Char('\t'));
    double textLeft = left;
    if (tab >= 0) {
        painter.drawText(QRectF(mm(left), mm(top), mm(kCodeColumnMm), mm(kLineMm)),
                         Qt::AlignLeft | Qt::AlignTop, line.left(tab));
        textLeft += kCodeColumnMm;
    }
    const QString text = tab >= 0 ? line.mid(tab + 1) : line;
    const double room = mm(left + width - textLeft);
    painter.drawText(QRectF(mm(textLeft), mm(top), room, mm(kLineMm)), Qt::AlignLeft | Qt::AlignTop,
                     metrics.elidedText(text, Qt::ElideRight, room));
}

struct Overflow {
    QString heading;
    QStringList lines;
};

// Fills each section's place on the form; what does not fit is returned for
// the continuation pages, and its place ends with a line saying so.
std::vector<Overflow> fillForm(QPainter& painter, double dotsPerMm, const ReportContent& content) {
    std::vector<Overflow> rest;
    for (const Section& section : kSections) {
        const BandElement* heading = nullptr;
        double bottom = kBandHeightMm;
        for (size_t i = 0; i < std::size(kBand); ++i) {
            if (heading) {
                bottom = kBand[i].top;
                break;
            }
            if (QLatin1String(kBand[i].name) == QLatin1String(section.heading))
                heading = &kBand[i];
        }
        QStringList lines = content.*section.lines;
        const double top = heading->top + kBelowHeadingMm;
        const int perColumn = int(std::floor((bottom - top) / kLineMm));
        const int capacity = perColumn * section.columns;
        if (lines.size() > capacity) {
            rest.push_back({QString::fromLatin1(heading->text), lines.mid(capacity - 1)});
            lines = lines.mid(0, capacity - 1);
            lines << kContinued;
        }
        const double columnWidth = kBandWidthMm / section.columns;
        for (int i = 0; i < lines.size(); ++i)
            drawLine(painter, dotsPerMm, (i / perColumn) * columnWidth,
                     top + (i % perColumn) * kLineMm, columnWidth - 2.0, lines[i]);
    }
    return rest;
}

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

void TfReport::Print(QPrinter& printer, const ReportContent* content) {
    QPainter painter;
    if (!painter.begin(&printer))
        throw FileError(QStringLiteral("Der Bericht kann nicht ausgegeben werden: \"%1\"")
                            .arg(printer.outputFileName()));
    const double dotsPerMm = printer.resolution() / 25.4;
    PaintPage(painter, dotsPerMm);
    if (!content)
        return;
    painter.setFont(FormFont(kLinePoints, false));
    const std::vector<Overflow> rest = fillForm(painter, dotsPerMm, *content);
    if (rest.empty())
        return;

    const double pageHeight = printer.pageLayout().paintRect(QPageLayout::Millimeter).height();
    const auto mm = [dotsPerMm](double v) { return v * dotsPerMm; };
    double y = pageHeight; // the first section starts a page
    for (const Overflow& section : rest) {
        bool headed = false;
        for (const QString& line : section.lines) {
            if (y + kLineMm > pageHeight || !headed) {
                if (y + kHeadingMm + kLineMm > pageHeight) {
                    printer.newPage();
                    // The title and its rule, as on the form.
                    PaintPage(painter, dotsPerMm, 2);
                    y = kContinuationTopMm;
                }
                painter.setFont(FormFont(10, false));
                painter.drawText(QRectF(0, mm(y), mm(kBandWidthMm), mm(kHeadingMm)),
                                 Qt::AlignLeft | Qt::AlignTop,
                                 section.heading + QStringLiteral(" (Fortsetzung)"));
                painter.setFont(FormFont(kLinePoints, false));
                y += kHeadingMm;
                headed = true;
            }
            drawLine(painter, dotsPerMm, 0, y, kBandWidthMm, line);
            y += kLineMm;
        }
        y += kLineMm; // a blank line between sections
    }
}

void TfReport::SavePdf(const QString& path, const ReportContent* content) {
    QPrinter printer(QPrinter::HighResolution);
    SetUpPrinter(printer);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    Print(printer, content);
}

void TfReport::PaintPage(QPainter& painter, double dotsPerMm, size_t elements) {
    // The painter's origin is the top-left corner of the margins, which is
    // also the band's corner.
    auto mm = [dotsPerMm](double v) { return v * dotsPerMm; };
    QPen rulePen(Qt::black);
    rulePen.setWidthF(mm(kRuleWidthMm));
    for (const BandElement& e : std::span(kBand, std::min(elements, std::size(kBand)))) {
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

void TfReport::ShowPreview(QWidget* parent, const ReportContent* content,
                           const std::function<void()>& savePdf) {
    QPrinter printer(QPrinter::HighResolution);
    SetUpPrinter(printer);
    QPrintPreviewDialog preview(&printer, parent);
    preview.setObjectName(QStringLiteral("fReportPreview"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [content](QPrinter* target) { Print(*target, content); });
    if (savePdf) {
        if (auto* bar = preview.findChild<QToolBar*>()) {
            bar->addSeparator();
            QAction* action = bar->addAction(QStringLiteral("Als PDF speichern"));
            action->setObjectName(QStringLiteral("actSavePdf"));
            connect(action, &QAction::triggered, &preview, [&savePdf] { savePdf(); });
        }
    }
    preview.exec();
}

} // namespace obd
