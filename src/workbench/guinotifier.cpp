#include "workbench/guinotifier.h"

#include "workbench/messages.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <condition_variable>
#include <memory>
#include <mutex>

namespace obd {

void GuiNotifier::showChipError(const QString& message) {
    showError(message);
}

void GuiNotifier::showNoCommunication(const QString& message) {
    showError(message);
}

void GuiNotifier::showLogFailure(const QString& message) {
    showError(message);
}

void GuiNotifier::showError(const QString& message) {
    QCoreApplication* app = QCoreApplication::instance();
    if (QThread::currentThread() == app->thread()) {
        m_boxes.Error(message);
        return;
    }
    // The worker is released when the posted call is destroyed: after the box
    // was closed, or unshown if the application drops the call on its way
    // out. The hand-over goes through a standard mutex, which thread checkers
    // see (Qt's blocking connection hands over through a futex they do not).
    struct Handover {
        std::mutex lock;
        std::condition_variable released;
        bool done = false;
    };
    struct Release {
        explicit Release(std::shared_ptr<Handover> h) : handover(std::move(h)) {}
        Release(const Release&) = delete;
        Release& operator=(const Release&) = delete;
        ~Release() {
            {
                std::lock_guard guard(handover->lock);
                handover->done = true;
            }
            handover->released.notify_all();
        }
        std::shared_ptr<Handover> handover;
    };
    auto handover = std::make_shared<Handover>();
    auto release = std::make_shared<Release>(handover);
    QMetaObject::invokeMethod(
        app, [this, message, release] { m_boxes.Error(message); }, Qt::QueuedConnection);
    release.reset();
    std::unique_lock guard(handover->lock);
    handover->released.wait(guard, [&] { return handover->done; });
}

} // namespace obd
