// The polling worker: one QThread at high priority running an execute routine
// that its owner supplies. Start and termination notices arrive on the
// GUI thread; a stop request only marks the worker, which looks at the flag
// itself; a synchronized call runs a routine on the GUI thread while the worker
// waits, and is skipped once a stop has been requested.
#pragma once

#include <QObject>
#include <QString>
#include <QThread>
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace obd {

class SensorThread : public QObject {
    Q_OBJECT
public:
    using Routine = std::function<void(SensorThread&)>;

    // Lives on the GUI thread; execute runs on the worker thread.
    explicit SensorThread(Routine execute, QObject* parent = nullptr);
    // Requests a stop and waits for the worker, handling events meanwhile so
    // that a pending synchronized call cannot deadlock the wait.
    ~SensorThread() override;

    // When no worker runs: emits Started() here, then runs the execute routine
    // on a new worker thread. Does nothing while a worker runs.
    void Start();
    // Marks the running worker as asked to stop; returns at once.
    void RequestStop();
    // True from Start() until the termination notice has been delivered.
    bool Running() const { return m_running.load(); }
    // For the execute routine: whether a stop has been requested.
    bool StopRequested() const { return m_stopRequested.load(); }
    // From the worker: runs routine on the GUI thread and waits for it. Returns
    // false without running it when a stop has been requested.
    bool Synchronize(const std::function<void()>& routine);
    // Handles events (user input held back) until the worker has ended.
    void WaitUntilIdle();

signals:
    void Started();
    // Internal: posted by the worker to run the pending synchronized routine.
    void synchronizeRequested();
    // Delivered once per run on the GUI thread; error is the text of the error
    // that ended the execute routine, empty when it returned normally.
    void Terminated(const QString& error);

private:
    void finish();
    void runPending();

    Routine m_execute;
    std::unique_ptr<QThread> m_thread;
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_stopRequested{false};
    // The hand-over of a synchronized call and of the worker's error. Plain
    // standard primitives, so that the thread sanitizer sees every hand-over.
    std::mutex m_lock;
    std::condition_variable m_pendingDone;
    const std::function<void()>* m_pending = nullptr; // guarded by m_lock
    bool m_pendingRan = false;                        // guarded by m_lock
    QString m_error;                                  // guarded by m_lock
};

} // namespace obd
