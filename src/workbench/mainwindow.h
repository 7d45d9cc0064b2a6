// The main window fMain: a caption-less frame with its own title strip, the
// tool bar, the navigation bar, the heading over the page stack and the status
// bar with its three lamps. It owns the objects that live from start-up to
// shutdown (the workbench context) and runs start-up and shutdown. The frame
// (title strip, edge resizing) is in mainframe.cpp, start-up and shutdown in
// mainstartup.cpp.
#pragma once

#include "workbench/context.h"
#include "workbench/messages.h"
#include "workbench/startpage.h"
#include "workbench/visitactions.h"

#include <QTimer>
#include <QWidget>
#include <memory>

class QLabel;
class QSettings;
class QStackedWidget;
class QToolButton;

namespace obd {

class DtcPage;
class FreezeFramePage;
class GuiNotifier;
class OptionsPage;
class SensorPage;
class TfReport;
class TfInfo;

// Width of the frame's edges by which the window is resized.
constexpr int BorderWidth = 3;

class TfMain : public QWidget {
    Q_OBJECT
public:
    using Answer = std::function<BoxButton(const QString& caption, const QString& text)>;

    // paths places the log, dtc-gb.dat and the data folder; settings is the
    // store of the port settings. A test passes answer to reply to the boxes
    // of start-up without showing them.
    TfMain(const ProgramPaths& paths, std::unique_ptr<QSettings> settings, Answer answer = {},
           QWidget* parent = nullptr);
    ~TfMain() override;

    WorkbenchContext& Context() { return m_ctx; }
    MessageBoxes& Messages() { return m_messages; }
    QTimer& Timer1() { return m_timer1; }

    void MenuBarBtnClick(QToolButton* sender);
    void InDieserVersionNichtMoeglich();
    void btnPrintClick();
    void FlatSpeedButton3Click();
    void tbMaximizeClick();
    void tbMinimizeClick();
    void Timer1Timer();
    // Before the first Timer1Timer: connect over port instead of the stored
    // one (when not empty) and start in demo mode (when demo), both without
    // storing anything.
    void StartWith(const QString& port, bool demo);

signals:
    // The first paint of the window (start-up measurement).
    void firstPaint();

protected:
    void closeEvent(QCloseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void FormCreate();
    void FormClose();
    QWidget* makeTitleStrip();
    QWidget* makeToolBar();
    QWidget* makeOutlookBar();
    QWidget* makeStatusBar();
    void showPage(const QString& name);
    void showSavedVisit(const VisitRecord& visit);
    void endSavedVisit();
    Qt::Edges edgesAt(QPoint position) const;

    WorkbenchContext m_ctx;
    MessageBoxes m_messages;
    std::unique_ptr<GuiNotifier> m_notifier;
    std::unique_ptr<QSettings> m_settings;
    QTimer m_timer1;
    // Tries the close again while line work that was aborted for it ends.
    QTimer m_closeRetry;
    bool m_closed = false;
    bool m_painted = false;

    ConnectionStatus m_status;
    StartPage* m_startPage = nullptr;
    SensorPage* m_sensorPage = nullptr;
    DtcPage* m_dtcPage = nullptr;
    FreezeFramePage* m_freezeFramePage = nullptr;
    TfInfo* m_info = nullptr;
    TfReport* m_report = nullptr;
    VisitActions m_visitActions{m_ctx, this, [this] { showPage(QStringLiteral("Customer")); }};
    QLabel* InfoPanel = nullptr;
    // Over the pages while they show a saved visit: its number and date.
    QLabel* labSavedVisit = nullptr;
    QStackedWidget* Notebook = nullptr;
    OptionsPage* m_optionsPage = nullptr;
    QToolButton* tbMaximize = nullptr;
    QWidget* m_groupObd = nullptr;
    QWidget* m_groupOptions = nullptr;
};

} // namespace obd
