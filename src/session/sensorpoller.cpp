#include "session/sensorpoller.h"

#include "common/sensortable.h"
#include "link/link.h"
#include "services/ecuanswers.h"
#include "services/j1979.h"
#include "services/pidvalues.h"
#include "session/requestform.h"
#include "session/vehiclebus.h"
#include "session/vehicledata.h"

#include <vector>

namespace obd {

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
    // The further rows wait for the walk of the further ranges.
    for (int k = SensorTable::Size; k < m_table.Count(); ++k)
        m_table[k].Supported = false;
    m_furtherRangesRead = m_table.Count() == SensorTable::Size;
}

bool SensorPoller::readFurtherRanges(Link& link, SensorThread& thread) {
    Elm323Bus elm323;
    Elm327Bus elm327;
    if (m_framing)
        elm327.SetFraming(*m_framing);
    const VehicleBus& bus = m_framing ? static_cast<const VehicleBus&>(elm327) : elm323;
    const PidSupport support = ReadFurtherPidRanges(bus, link, SupportBitmap(m_supported),
                                                    [&] { return thread.StopRequested(); });
    // A walk cut short is made again by the next run.
    if (thread.StopRequested())
        return false;
    for (int k = SensorTable::Size; k < m_table.Count(); ++k)
        m_table[k].Supported = support[size_t(m_table[k].Number)];
    m_furtherRangesRead = true;
    return true;
}

void SensorPoller::store(int first, const QList<SensorReading>& readings) {
    const int pid = m_table[first].Number;
    for (int k = first; k < m_table.Count() && m_table[k].Number == pid; ++k) {
        const TSensorData& e = m_table[k];
        if (!(e.IsSensor && e.Supported && e.Enabled))
            continue;
        m_table.SetReading(k, e.Field < readings.size()
                                  ? readings[e.Field]
                                  : SensorReading{ReplyError, std::nullopt, 0});
    }
}

void SensorPoller::poll(SensorThread& thread) {
    Link& link = *m_link.load();
    RequestForm form;
    if (m_fastRequests) {
        if (thread.StopRequested())
            return;
        form = PrepareFastRequests(link, m_framing);
    }
    std::vector<int> batch; // the first rows of the PIDs that go into the next request
    std::vector<int> pids;
    const auto request = [&] {
        pids.clear();
        for (const int k : batch)
            pids.push_back(m_table[k].Number);
        const QList<QList<SensorReading>> readings = ReadPids(link, form, pids);
        for (size_t n = 0; n < batch.size(); ++n)
            store(batch[n], readings[qsizetype(n)]);
        batch.clear();
    };
    while (true) {
        for (int k = 0; k < m_table.Count();) {
            // The rows of PIDs 01..20 come first, then the further PIDs once
            // the vehicle has said which of them it has.
            if (k == SensorTable::Size && !m_furtherRangesRead) {
                if (!batch.empty()) {
                    if (thread.StopRequested())
                        return;
                    request();
                }
                if (!readFurtherRanges(link, thread))
                    return;
            }
            // The rows of one PID, one per value.
            const int first = k;
            const int pid = m_table[first].Number;
            bool polled = false;
            for (; k < m_table.Count() && m_table[k].Number == pid; ++k) {
                const TSensorData& e = m_table[k];
                const bool supported = e.Supported;
                if (!e.IsSensor || !(supported || m_table.ShowNotSupported))
                    continue;
                if (supported && e.Enabled)
                    polled = true;
                else
                    m_table.SetValue(k, NotAvailable);
            }
            if (!polled)
                continue;
            // A PID without a decoder is not asked for.
            if (const PidInfo* info = FindPid(pid); info && info->decoder == PidDecoder::None) {
                m_table.SetValue(first, ReplyError);
                continue;
            }
            if (!form.fast) {
                if (thread.StopRequested())
                    return;
                store(first, ReadPidAlone(link, m_framing, m_supported, pid));
                continue;
            }
            batch.push_back(first);
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
