// Small helpers the working pages share when they build their controls.
#pragma once

#include <QString>
#include <QWidget>
#include <functional>

class QAbstractButton;
class QLabel;

namespace obd {

// Gives a control its object name (the internal name tests and the layout
// refer to) and returns it. What a screen reader announces is what the control
// shows: its caption, its text, or the caption of the label that names it.
template <class W> W* named(W* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

// A caption names the control it stands over or beside: the label-for
// relation, and for an item view (which does not look at relations) its
// accessible name.
void labelFor(QLabel* caption, QWidget* control);

struct WorkbenchContext;

// A button's designed width, or more where its caption needs it in a font
// wider than the designed one.
int buttonWidth(const QAbstractButton* button, int designed);

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
