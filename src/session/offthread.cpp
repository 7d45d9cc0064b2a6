#include "session/offthread.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QEventLoop>
#include <atomic>
#include <exception>
#include <thread>

namespace obd {

namespace {

std::atomic<int> runningCalls{0};

// Counts a RunOffThread call from its start to its return.
struct RunningCall {
    RunningCall() { runningCalls.fetch_add(1); }
    ~RunningCall() { runningCalls.fetch_sub(1); }
    RunningCall(const RunningCall&) = delete;
    RunningCall& operator=(const RunningCall&) = delete;
};

} // namespace

bool OffThreadWorkRunning() {
    return runningCalls.load() > 0;
}

void RunOffThread(const std::function<void()>& body) {
    const RunningCall running;
    // The worker sets the flag and wakes this thread's dispatcher; nothing is
    // handed over through Qt's event queue, whose locking the thread checker
    // cannot see. The join orders everything the body wrote before our reads.
    std::atomic<bool> done{false};
    std::exception_ptr failure; // written by the worker, read after the join
    QAbstractEventDispatcher* dispatcher = QAbstractEventDispatcher::instance();
    std::thread worker([&] {
        try {
            body();
        } catch (...) {
            failure = std::current_exception();
        }
        done.store(true, std::memory_order_release);
        if (dispatcher)
            dispatcher->wakeUp();
    });
    while (!done.load(std::memory_order_acquire))
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                        QEventLoop::WaitForMoreEvents);
    worker.join();
    // Signals the body queued for this thread were posted before the flag was
    // set: deliver them before the caller goes on.
    QCoreApplication::sendPostedEvents();
    if (failure)
        std::rethrow_exception(failure);
}

} // namespace obd
