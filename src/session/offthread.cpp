#include "session/offthread.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QObject>
#include <QThread>
#include <exception>
#include <mutex>
#include <thread>

namespace obd {

void RunOffThread(const std::function<void()>& body) {
    // Set on this thread by the notice the worker posts last: every signal the
    // body queued for this thread was posted before it and is delivered first.
    bool done = false;
    QObject receiver;
    std::mutex lock;
    std::exception_ptr failure; // guarded by lock
    std::thread worker([&] {
        try {
            body();
        } catch (...) {
            std::lock_guard guard(lock);
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(
            &receiver, [&done] { done = true; }, Qt::QueuedConnection);
    });
    while (!done)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                        QEventLoop::WaitForMoreEvents);
    worker.join();
    std::exception_ptr raised;
    {
        std::lock_guard guard(lock);
        raised = failure;
    }
    if (raised)
        std::rethrow_exception(raised);
}

} // namespace obd
