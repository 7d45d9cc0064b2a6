#include "workbench/mainwindow.h"

#include "link/comport.h"
#include "link/link.h"
#include "link/portsettings.h"
#include "link/protocollog.h"
#include "session/offthread.h"
#include "store/dtctexts.h"
#include "store/records.h"
#include "widgets/pictures.h"
#include "workbench/guinotifier.h"
#include "workbench/optionspage.h"
#include "workbench/pagelook.h"
#include "workbench/sensorpage.h"

#include <QApplication>
#include <QCloseEvent>
#include <QSettings>

// Start-up and shutdown of the main window: the steps of FormCreate in their
// order, the command line's choices, the one-shot timer that starts the
// connection sequence, and FormClose.

namespace obd {

void TfMain::FormCreate() {
    const auto step = [this](const std::function<void()>& body) { m_messages.Guard(body); };
    // Each step reports its own error; the later steps that do not depend on
    // it still run, so a missing file leaves the rest of start-up intact.
    step([this] { CopyMissingTables(m_ctx.paths); });
    step([this] {
        m_ctx.records->Open();
        // Where the files are and why (a copy on a write-protected stick), and
        // tables this copy only shows (that one, or another copy writes them).
        QStringList notes;
        if (!m_ctx.paths.notice.isEmpty())
            notes << m_ctx.paths.notice;
        if (!m_ctx.records->ReadOnlyNotice().isEmpty())
            notes << m_ctx.records->ReadOnlyNotice();
        if (!notes.isEmpty())
            m_messages.Warning(notes.join(QStringLiteral("\n\n")));
    });
    step([this] {
        QStringList ports;
        ListComPorts(ports);
        m_optionsPage->AddPorts(ports);
    });
    step([this] { m_ctx.log = std::make_unique<ProtocolLog>(m_ctx.paths.logFile()); });
    // Without the log the exchange runs and drops its lines.
    m_ctx.link = std::make_unique<Link>(*m_ctx.port, m_ctx.log.get(), *m_notifier);
    step([this] { m_ctx.TroubleCodeTexts = LoadTroubleCodeTexts(m_ctx.paths.troubleCodeFile()); });
    PreparePictures();
    step([this] { LoadOrStorePortSettings(*m_ctx.port, *m_settings); });
    m_optionsPage->SelectPortInUse();
    step([this] { m_sensorPage->FillSensorGrid(); });
    m_groupOptions->hide();
    m_groupObd->show();
    showPage(QStringLiteral("Start"));
    m_timer1.start();
}

void TfMain::Timer1Timer() {
    m_timer1.stop();
    QApplication::setOverrideCursor(Qt::WaitCursor);
    m_messages.Guard([this] { m_startPage->InitInterface(); });
    QApplication::restoreOverrideCursor();
}

void TfMain::StartWith(const QString& port, bool demo) {
    if (!port.isEmpty()) {
        m_ctx.port->SetPort(port);
        m_optionsPage->SelectPortInUse();
    }
    if (demo)
        m_startPage->StartInDemoMode();
}

void TfMain::closeEvent(QCloseEvent* event) {
    if (!m_closed && OffThreadWorkRunning()) {
        // Line work runs on another thread (the connection sequence) and its
        // caller goes on with the port and the log when it returns: it is
        // aborted, and the window closes once it has ended, so no descriptor
        // closes under it.
        m_ctx.link->Abort();
        m_closeRetry.start();
        event->ignore();
        return;
    }
    if (!m_closed) {
        m_closed = true;
        m_messages.Guard([this] { FormClose(); });
    }
    event->accept();
}

void TfMain::FormClose() {
    // Closing does not wait for a reply under way: the poller's exchange ends
    // at once, and so does the poller at its next look at the stop request.
    if (m_ctx.pollerRunning && m_ctx.pollerRunning()) {
        m_ctx.requestPollerStop();
        m_ctx.link->Abort();
    }
    StopPollerAndWait(m_ctx);
    m_ctx.link->Resume();
    // The port object itself stays until the window is destroyed: the
    // exchange refers to it.
    m_ctx.port->Close();
    if (m_ctx.log)
        m_ctx.log->Close();
}

} // namespace obd
