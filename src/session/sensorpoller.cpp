#include "session/sensorpoller.h"

#include "common/sensortable.h"
#include "link/link.h"
#include "services/j1979.h"
#include "session/requestform.h"

#include <vector>

namespace obd {

namespace {

const QString NotAvailable = QStringLiteral("N/A");

} // namespace

SensorPoller::SensorPoller(SensorTable& table, QObject* parent)
    : QObject(parent), m_table(table), m_thread([this](SensorThread& t) { poll(t); }) {
    connect(&m_thread, &SensorThread::Started, this, &SensorPoller::started);
    connect(&m_thread, &SensorThread::Terminated, this, &SensorPoller::ended);
}

void SensorPoller::Start(Link& link, const std::optional<BusFraming>& framing) {
    if (m_thread.Running())
        return;
    m_link = &link;
    m_framing = ActiveFraming(link, framing);
    m_thread.Start();
}

void SensorPoller::SetFastRequests(bool fast) {
    m_fastRequests = fast;
}

void SensorPoller::SetSupportedPids(const TSupportedPids& flags) {
    m_supported = flags;
    for (int k = 0; k < SensorTable::Size; ++k)
        m_table[k].Supported = flags[size_t(k)];
}

void SensorPoller::poll(SensorThread& thread) {
    Link& link = *m_link.load();
    RequestForm form;
    if (m_fastRequests) {
        if (thread.StopRequested())
            return;
        form = PrepareFastRequests(link, m_framing);
    }
    std::vector<int> batch; // entries whose PIDs go into the next request
    std::vector<int> pids;
    const auto request = [&] {
        pids.clear();
        for (const int k : batch)
            pids.push_back(m_table[k].Number);
        const QList<SensorReading> readings = ReadPids(link, form, pids);
        for (size_t n = 0; n < batch.size(); ++n)
            m_table.SetReading(batch[n], readings[qsizetype(n)]);
        batch.clear();
    };
    while (true) {
        for (int k = 0; k < SensorTable::Size; ++k) {
            const TSensorData& e = m_table[k];
            const bool supported = e.Supported;
            if (!e.IsSensor || !(supported || m_table.ShowNotSupported))
                continue;
            if (!(supported && e.Enabled)) {
                m_table.SetValue(k, NotAvailable);
                continue;
            }
            if (!form.fast) {
                if (thread.StopRequested())
                    return;
                if (m_framing)
                    m_table.SetValue(k,
                                     RequestSensorValue(link, *m_framing, m_supported, e.Number));
                else
                    m_table.SetReading(k, ReadSensorReading(link, m_supported, e.Number));
                continue;
            }
            // A PID without a decoder is not asked for, as in the plain form.
            if (FindPid(e.Number)->decoder == PidDecoder::None) {
                m_table.SetValue(k, ReplyError);
                continue;
            }
            batch.push_back(k);
            if (int(batch.size()) >= form.pidsPerRequest) {
                if (thread.StopRequested())
                    return;
                request();
            }
        }
        if (!batch.empty()) {
            if (thread.StopRequested())
                return;
            request();
        }
        if (thread.StopRequested())
            return;
        thread.Synchronize([this] { emit passCompleted(); });
    }
}

} // namespace obd
