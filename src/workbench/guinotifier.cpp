#include "workbench/guinotifier.h"

#include "workbench/messages.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>

namespace obd {

void GuiNotifier::showChipError(const QString& message) {
    showError(message);
}

void GuiNotifier::showNoCommunication(const QString& message) {
    showError(message);
}

void GuiNotifier::showError(const QString& message) {
    QCoreApplication* app = QCoreApplication::instance();
    if (QThread::currentThread() == app->thread()) {
        m_boxes.Error(message);
        return;
    }
    QMetaObject::invokeMethod(
        app, [this, message] { m_boxes.Error(message); }, Qt::BlockingQueuedConnection);
}

} // namespace obd
