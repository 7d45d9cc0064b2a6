// Live polling of the sensor table: the worker asks the vehicle for every
// polled row in turn and reports each finished pass; it looks at its stop
// request before every request, so a stop takes at most one reply wait. On
// an adapter with the faster request forms several rows share one request.
#pragma once

#include "common/obdtypes.h"
#include "services/adapterrequests.h"
#include "session/sensorthread.h"

#include <QObject>
#include <QString>
#include <atomic>
#include <optional>

namespace obd {

class Link;
class SensorTable;

class SensorPoller : public QObject {
    Q_OBJECT
public:
    explicit SensorPoller(SensorTable& table, QObject* parent = nullptr);

    SensorThread& Thread() { return m_thread; }
    bool Running() const { return m_thread.Running(); }
    // Starts polling over link; does nothing while a worker runs. framing:
    // how an ELM327-style adapter lays out the answers (ActiveFraming
    // decides); none for the ELM323's text dialogue.
    void Start(Link& link, const std::optional<BusFraming>& framing = std::nullopt);
    // Asks the worker to end after its current request; returns at once.
    void RequestStop() { m_thread.RequestStop(); }
    // Handles events (user input held back) until the worker has ended.
    void WaitUntilIdle() { m_thread.WaitUntilIdle(); }
    // The flags the worker polls by, taken over into the sensor table's
    // Supported column. Only while no worker runs.
    void SetSupportedPids(const TSupportedPids& flags);
    // Whether the chip takes the faster request forms (HasFastRequests of its
    // identification). Only while no worker runs.
    void SetFastRequests(bool fast);

signals:
    void started();
    // A pass has ended; delivered on the poller's thread while the worker waits.
    void passCompleted();
    // The worker has ended; error is the text of the error that ended it.
    void ended(const QString& error);

private:
    void poll(SensorThread& thread);

    SensorTable& m_table;
    TSupportedPids m_supported{}; // changed only while no worker runs
    bool m_fastRequests = false;  // likewise
    std::atomic<Link*> m_link{nullptr};
    std::optional<BusFraming> m_framing; // changed only while no worker runs
    SensorThread m_thread;
};

} // namespace obd
