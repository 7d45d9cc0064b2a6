// Small helpers the working pages share when they build their controls.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>

namespace obd {

// Gives a control its object name (the name tests and the layout refer to) and
// the same accessible name, and returns it.
template <class W> W* named(W* widget, const QString& name) {
    widget->setObjectName(name);
    widget->setAccessibleName(name);
    return widget;
}

struct WorkbenchContext;

// A page handler as a slot: its body runs through the event guard, which
// shows an error that ends it in the general error box.
template <class Boxes, class Page>
std::function<void()> guarded(Boxes* boxes, Page* page, void (Page::*handler)()) {
    return [boxes, page, handler] { boxes->Guard([page, handler] { (page->*handler)(); }); };
}

// Before a GUI-thread action uses the port: asks a running poller to stop and
// handles events until it has ended.
void StopPollerAndWait(WorkbenchContext& ctx);

// The busy cursor for as long as it lives: around every exchange the GUI
// thread starts.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace obd
