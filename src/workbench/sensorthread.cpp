#include "workbench/sensorthread.h"

#include "common/errors.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace obd {

SensorThread::SensorThread(Routine execute, QObject* parent)
    : QObject(parent), m_execute(std::move(execute)) {}

SensorThread::~SensorThread() {
    RequestStop();
    if (m_thread) {
        while (!m_thread->wait(10))
            QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
}

void SensorThread::Start() {
    if (m_running.load())
        return;
    m_thread.reset();
    m_stopRequested = false;
    m_error.clear();
    m_running = true;
    emit Started();
    m_thread.reset(QThread::create([this] {
        try {
            m_execute(*this);
        } catch (const Error& e) {
            m_error = e.text();
        } catch (const std::exception& e) {
            m_error = QString::fromLocal8Bit(e.what());
        }
    }));
    connect(m_thread.get(), &QThread::finished, this, &SensorThread::finish, Qt::QueuedConnection);
    m_thread->start(QThread::HighPriority);
}

void SensorThread::finish() {
    if (!m_running.load())
        return;
    m_thread->wait();
    m_running = false;
    emit Terminated(m_error);
}

void SensorThread::RequestStop() {
    if (m_running.load())
        m_stopRequested = true;
}

bool SensorThread::Synchronize(const std::function<void()>& routine) {
    bool ran = false;
    QMetaObject::invokeMethod(
        this,
        [&] {
            if (m_stopRequested.load())
                return;
            routine();
            ran = true;
        },
        Qt::BlockingQueuedConnection);
    return ran;
}

void SensorThread::WaitUntilIdle() {
    while (m_running.load())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                        QEventLoop::WaitForMoreEvents);
}

} // namespace obd
