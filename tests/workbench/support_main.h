// Fixture for the main-window tests: a program folder of its own with the
// delivered tables and trouble-code texts, a settings file whose stored port
// the test chooses, recorded message boxes, and the real window.
#pragma once

#include "support_pages.h"
#include "workbench/mainwindow.h"

#include <QHash>
#include <QTemporaryDir>
#include <atomic>
#include <memory>
#include <thread>

class QListWidget;

namespace obd::test {

class MainFixture {
public:
    enum Omit { Nothing, TroubleCodeFile, CustomerTable, LogFile };
    explicit MainFixture(Omit omit = Nothing);
    ~MainFixture();

    // Writes the stored port settings as a previous run would have left them.
    void storePort(const QString& port);
    // Builds the window (start-up runs inside) and shows it.
    TfMain& start();
    // Runs the connection sequence as the start timer does.
    void runTimer();

    QStringList statusLines() const;
    // The picture of each status line: true for the OK picture.
    QList<bool> statusPictures() const;
    bool lamp(const char* name) const;
    QString label(const char* name) const;
    QStringList logLines() const;

    QString folder() const { return m_folder.path(); }
    QString settingsFile() const { return m_folder.filePath(QStringLiteral("OBDTorvane.conf")); }

    QList<ShownBox> shown;
    QList<BoxButton> answers;
    std::unique_ptr<TfMain> window;

private:
    QTemporaryDir m_folder;
};

// A pseudo-terminal playing an interface chip from a table: each command (up
// to CR) is answered with its entry, or with "?" when it has none, then the
// prompt. A command mapped to an empty text gets no answer at all.
class TableChip {
public:
    explicit TableChip(QHash<QByteArray, QByteArray> replies);
    ~TableChip();
    const QString& slavePath() const { return m_slavePath; }

private:
    void serve();
    QHash<QByteArray, QByteArray> m_replies;
    int m_master = -1;
    QString m_slavePath;
    std::atomic<bool> m_stop{false};
    std::thread m_thread;
};

} // namespace obd::test
