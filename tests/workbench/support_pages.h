// Fixture for the page tests: a workbench context of its own (program folder
// with the delivered tables, recorded message boxes with scripted answers) and
// the Python oracle for the written table files.
#pragma once

#include "link/support_link.h"
#include "workbench/context.h"
#include "workbench/messages.h"

#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

namespace obd::test {

struct ShownBox {
    QString caption;
    QString text;
};

class PageFixture {
public:
    PageFixture();
    ~PageFixture();

    // Opens the four tables copied from the build's data folder.
    void openTables();
    // Port, protocol log and exchange; chip boxes land in notifier. With a
    // port path the port is opened there, otherwise demo mode is switched on.
    void openLink(const QString& portPath = {});
    // Switches the link from demo mode to elmsim started with args, echo off.
    void useSimulator(const QStringList& args = {});
    QStringList logLines() const;
    // The commands of the log's " - S: " lines from line `from` on.
    QStringList sentCommands(int from = 0) const;

    WorkbenchContext ctx;
    MessageBoxes boxes;
    QList<ShownBox> shown;
    QList<BoxButton> answers; // taken in order; OK when none is left
    RecordingNotifier notifier;
    std::unique_ptr<Simulator> simulator;

private:
    QTemporaryDir m_folder;
};

// The control of a page by its object name; a missing one ends the test run.
template <class W> W* child(const QWidget* page, const QString& name) {
    auto* w = page->findChild<W*>(name);
    if (!w)
        qFatal("control %s missing", qPrintable(name));
    return w;
}

// Runs a Python script with /usr/bin/python3 (dbfread lives there) and returns
// its standard output, trimmed; a failing script fails the test through qFatal.
QString runPython(const QString& script, const QStringList& args = {});

} // namespace obd::test
