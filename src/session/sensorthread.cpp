#include "session/sensorthread.h"

#include "common/errors.h"

#include <QCoreApplication>
#include <QEventLoop>

namespace obd {

SensorThread::SensorThread(Routine execute, QObject* parent)
    : QObject(parent), m_execute(std::move(execute)) {
    connect(this, &SensorThread::synchronizeRequested, this, &SensorThread::runPending,
            Qt::QueuedConnection);
}

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
    {
        std::lock_guard lock(m_lock);
        m_error.clear();
    }
    m_running = true;
    emit Started();
    m_thread.reset(QThread::create([this] {
        try {
            m_execute(*this);
        } catch (const Error& e) {
            std::lock_guard lock(m_lock);
            m_error = e.text();
        } catch (const std::exception& e) {
            std::lock_guard lock(m_lock);
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
    QString error;
    {
        std::lock_guard lock(m_lock);
        error = m_error;
    }
    m_running = false;
    emit Terminated(error);
}

void SensorThread::RequestStop() {
    if (m_running.load())
        m_stopRequested = true;
}

bool SensorThread::Synchronize(const std::function<void()>& routine) {
    std::unique_lock lock(m_lock);
    m_pending = &routine;
    m_pendingRan = false;
    lock.unlock();
    emit synchronizeRequested();
    lock.lock();
    m_pendingDone.wait(lock, [this] { return m_pending == nullptr; });
    return m_pendingRan;
}

void SensorThread::runPending() {
    const std::function<void()>* routine = nullptr;
    {
        std::lock_guard lock(m_lock);
        routine = m_pending;
    }
    if (!routine)
        return;
    // The worker waits until it is told, whatever the routine does.
    bool ran = false;
    struct Release {
        SensorThread* self;
        bool& ran;
        ~Release() {
            {
                std::lock_guard lock(self->m_lock);
                self->m_pending = nullptr;
                self->m_pendingRan = ran;
            }
            self->m_pendingDone.notify_all();
        }
    } release{this, ran};
    if (m_stopRequested.load())
        return;
    (*routine)();
    ran = true;
}

void SensorThread::WaitUntilIdle() {
    while (m_running.load())
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                        QEventLoop::WaitForMoreEvents);
}

} // namespace obd
