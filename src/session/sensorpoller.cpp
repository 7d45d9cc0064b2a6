#include "session/sensorpoller.h"

#include "common/bits.h"
#include "common/sensortable.h"
#include "services/j1979.h"

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

void SensorPoller::SetSupportedPids(const TSupportedPids& flags) {
    m_supported = flags;
    for (int k = 0; k < SensorTable::Size; ++k)
        m_table[k].Supported = flags[size_t(k)];
}

void SensorPoller::poll(SensorThread& thread) {
    Link& link = *m_link.load();
    const QString service = QStringLiteral("01");
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
            if (thread.StopRequested())
                return;
            QString value;
            if (m_framing)
                value = RequestSensorValue(link, *m_framing, m_supported, HexToInt(e.Pid));
            else
                ReadSensorData(link, m_supported, service, e.Pid, value);
            m_table.SetValue(k, value);
        }
        if (thread.StopRequested())
            return;
        thread.Synchronize([this] { emit passCompleted(); });
    }
}

} // namespace obd
