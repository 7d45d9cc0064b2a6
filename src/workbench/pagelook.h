// Small helpers the working pages share when they build their controls.
#pragma once

#include <QString>
#include <QWidget>

namespace obd {

// Gives a control its object name (the name tests and the layout refer to) and
// the same accessible name, and returns it.
template <class W> W* named(W* widget, const QString& name) {
    widget->setObjectName(name);
    widget->setAccessibleName(name);
    return widget;
}

} // namespace obd
