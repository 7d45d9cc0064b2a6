#include "workbench/pagelook.h"

#include "workbench/context.h"

#include <QAbstractButton>
#include <QAbstractItemView>
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

void WaitForPoller(WorkbenchContext& ctx) {
    if (ctx.waitForPollerIdle)
        ctx.waitForPollerIdle();
}

} // namespace obd
