#include "workbench/visitactions.h"

#include "report/report.h"
#include "store/records.h"
#include "workbench/context.h"
#include "workbench/messages.h"
#include "workbench/visitdialogs.h"

#include <QFileDialog>

namespace obd {

void VisitActions::btnSaveClick() {
    if (m_ctx.savedVisitOnPages) {
        m_ctx.messages->Information(
            QStringLiteral("Die angezeigte Diagnose Nr. %1 ist bereits gespeichert. Eine neue "
                           "Diagnose wird gespeichert, nachdem das Fahrzeug neu gelesen wurde.")
                .arg(m_ctx.shownVisit->number));
        return;
    }
    if (!refuseUnfitReading())
        return;
    Dataset& customers = m_ctx.records->Customers();
    // A customer being added or edited is stored first, so it has its number.
    if (customers.Active() &&
        (customers.State() == DatasetState::Edit || customers.State() == DatasetState::Insert))
        customers.Post();
    const QString number = customers.Active() && customers.RecordCount() > 0
                               ? customers.FieldByName(QStringLiteral("CUST_NR")).AsString()
                               : QString();
    if (number.isEmpty()) {
        m_ctx.messages->Information(
            QStringLiteral("Bitte wählen Sie zuerst den Kunden aus oder legen Sie ihn an; "
                           "danach die Diagnose speichern."));
        m_showCustomerPage();
        return;
    }
    const QString name = customers.FieldByName(QStringLiteral("NAME")).AsString();
    if (m_ctx.messages->AskYesNo(
            QStringLiteral("Diagnose für den Kunden \"%1\" (Nr. %2) speichern?")
                .arg(name, number)) != BoxButton::Yes) {
        m_showCustomerPage();
        return;
    }
    VisitRecord visit = m_ctx.reading;
    visit.customer = number.toInt();
    visit.when = QDateTime::currentDateTime();
    m_ctx.records->SaveVisit(visit);
    m_ctx.shownVisit = visit;
    m_ctx.savedReading = {m_ctx.reading, visit.number};
    m_ctx.messages->Information(QStringLiteral("Diagnose Nr. %1 gespeichert.").arg(visit.number));
}

bool VisitActions::refuseUnfitReading() {
    const VisitRecord& r = m_ctx.reading;
    const auto refuse = [this](const QString& text) {
        m_ctx.messages->Information(text);
        return false;
    };
    if (!r.milOn && r.codes.empty() && r.freezeFrame.isEmpty() && !r.odometerKm &&
        !r.distanceSinceClearKm)
        return refuse(QStringLiteral("Es wurde noch nichts aus dem Fahrzeug gelesen, daher gibt es "
                                     "keine Diagnose zu speichern. Bitte zuerst das Interface "
                                     "initialisieren und die Fehlercodes lesen."));
    if (m_ctx.storedCodesUnread)
        return refuse(QStringLiteral("Die Fehlercodes konnten nicht gelesen werden; eine Diagnose "
                                     "ohne sie wäre falsch. Bitte die Fehlercodes erneut lesen "
                                     "und dann speichern."));
    if (m_ctx.savedReading && m_ctx.savedReading->first == r)
        return refuse(QStringLiteral("Diese Lesung ist bereits als Diagnose Nr. %1 gespeichert.")
                          .arg(m_ctx.savedReading->second));
    return true;
}

void VisitActions::btnOpenClick() {
    VisitListDialog list(*m_ctx.records, m_window);
    if (list.exec() != QDialog::Accepted)
        return;
    OpenVisit(m_ctx, list.SelectedVisit());
}

void OpenVisit(WorkbenchContext& ctx, qint32 number) {
    const std::optional<VisitRecord> visit = ctx.records->LoadVisit(number);
    if (visit) // the lists offer only whole visits, which stay in the file
        ctx.showSavedVisit(*visit);
}

void VisitActions::btnPrintClick(TfReport& report) {
    if (!m_ctx.shownVisit) {
        report.ShowPreview(m_window);
        return;
    }
    const Records& visits = *m_ctx.records;
    const VisitRecord& visit = *m_ctx.shownVisit;
    const ReportContent content = ReportOfVisit(visit, visits.CustomerName(visit.customer),
                                                visits.CustomerAddress(visit.customer));
    report.ShowPreview(m_window, &content, [this, &content] {
        m_ctx.messages->Guard([this, &content] {
            QString path =
                QFileDialog::getSaveFileName(m_window, QStringLiteral("Als PDF speichern"),
                                             QString(), QStringLiteral("PDF (*.pdf)"));
            if (path.isEmpty())
                return;
            if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
                path += QStringLiteral(".pdf");
            TfReport::SavePdf(path, &content);
        });
    });
}

} // namespace obd
