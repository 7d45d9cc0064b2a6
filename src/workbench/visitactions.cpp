#include "workbench/visitactions.h"

#include "store/tablestore.h"
#include "store/visits.h"
#include "workbench/context.h"
#include "workbench/messages.h"
#include "workbench/visitdialogs.h"

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
    VisitViewDialog view(*visit, visits.CustomerName(visit->customer), m_window);
    view.exec();
}

} // namespace obd
