// Live polling of the sensor table: the worker asks the vehicle for every
// polled row in turn and reports each finished pass; it looks at its stop
// request before every request, so a stop takes at most one reply wait. On
// an adapter with the faster request forms several rows share one request.
// The rows of PIDs beyond 20 are asked once the vehicle has told, in the
// first pass after the rows 01..20, which of them it supports; a PID with
// several values is asked once for all its rows.
#pragma once

#include "common/obdtypes.h"
#include "common/sensortable.h"
#include "services/adapterrequests.h"
#include "session/sensorthread.h"

#include <QList>
#include <QObject>
#include <QString>
#include <atomic>
#include <optional>

namespace obd {

class Link;

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
    // Supported column; the further rows count as unsupported until the next
    // run has read the further ranges. Only while no worker runs.
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
    // Reads the ranges after 01 00 as far as 01 00 announces them and takes
    // them over into the further rows; false when a stop cut the walk short.
    bool readFurtherRanges(Link& link, SensorThread& thread);
    // The readings of a PID's values into its polled rows from first on.
    void store(int first, const QList<SensorReading>& readings);

    SensorTable& m_table;
    TSupportedPids m_supported{}; // changed only while no worker runs
    bool m_fastRequests = false;  // likewise
    // Whether the further rows' Supported flags hold the vehicle's answer:
    // written by the worker, or while no worker runs.
    bool m_furtherRangesRead = true;
    std::atomic<Link*> m_link{nullptr};
    std::optional<BusFraming> m_framing; // changed only while no worker runs
    SensorThread m_thread;
};

} // namespace obd
