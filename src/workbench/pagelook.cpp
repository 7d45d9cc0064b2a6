#include "workbench/pagelook.h"

#include "workbench/context.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QGuiApplication>
#include <QLabel>
#include <algorithm>

namespace obd {

int buttonWidth(const QAbstractButton* button, int designed) {
    constexpr int Padding = 6;
    const QString caption = QString(button->text()).remove(QLatin1Char('&'));
    return std::max(designed, button->fontMetrics().horizontalAdvance(caption) + 2 * Padding);
}

void labelFor(QLabel* caption, QWidget* control) {
    caption->setBuddy(control);
    if (qobject_cast<QAbstractItemView*>(control))
        control->setAccessibleName(caption->text());
}

void StopPollerAndWait(WorkbenchContext& ctx) {
    if (ctx.pollerRunning && ctx.pollerRunning() && ctx.requestPollerStop)
        ctx.requestPollerStop();
    if (ctx.waitForPollerIdle)
        ctx.waitForPollerIdle();
}

BusyCursor::BusyCursor() {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
}

BusyCursor::~BusyCursor() {
    QGuiApplication::restoreOverrideCursor();
}

} // namespace obd
