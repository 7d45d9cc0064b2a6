#include "workbench/visitactions.h"

#include "report/report.h"
#include "store/tablestore.h"
#include "store/visits.h"
#include "workbench/context.h"
#include "workbench/messages.h"
#include "workbench/visitdialogs.h"

#include <QFileDialog>

namespace obd {

void VisitActions::btnSaveClick() {
    Dataset& customers = m_ctx.tables->tCustomer;
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
    VisitStore(*m_ctx.tables).SaveVisit(visit);
    m_ctx.shownVisit = visit;
    m_ctx.messages->Information(QStringLiteral("Diagnose Nr. %1 gespeichert.").arg(visit.number));
}

void VisitActions::btnOpenClick() {
    const VisitStore visits(*m_ctx.tables);
    VisitListDialog list(visits, m_window);
    if (list.exec() != QDialog::Accepted)
        return;
    const std::optional<VisitRecord> visit = visits.LoadVisit(list.SelectedVisit());
    if (!visit)
        return; // the list offers only whole visits, which stay in the file
    m_ctx.shownVisit = visit;
    VisitViewDialog view(*visit, visits.CustomerName(visit->customer), m_window);
    view.exec();
}

void VisitActions::btnPrintClick(TfReport& report) {
    if (!m_ctx.shownVisit) {
        report.ShowPreview(m_window);
        return;
    }
    const VisitStore visits(*m_ctx.tables);
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
