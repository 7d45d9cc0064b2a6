#include "workbench/mainwindow.h"

#include "link/comport.h"
#include "link/link.h"
#include "link/protocollog.h"
#include "report/report.h"
#include "store/records.h"
#include "session/offthread.h"
#include "widgets/elidinglabel.h"
#include "widgets/pictures.h"
#include "widgets/qxled.h"
#include "workbench/customerpage.h"
#include "workbench/dtcpage.h"
#include "workbench/freezeframepage.h"
#include "workbench/guinotifier.h"
#include "workbench/historypages.h"
#include "workbench/infobox.h"
#include "workbench/look.h"
#include "workbench/o2sensorpage.h"
#include "workbench/optionspage.h"
#include "workbench/pagelook.h"
#include "workbench/sensorpage.h"
#include "workbench/terminalpage.h"
#include "workbench/visitdialogs.h"

#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QShortcut>
#include <QStackedWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace obd {

namespace {

const QString Placeholder = QStringLiteral("In dieser Version nich möglich");

TQXLed* makeLamp(QWidget* parent, const QString& name, int x) {
    auto* lamp = named(new TQXLed(parent), name);
    lamp->SetInterval(200);
    lamp->SetLedStyle(TLedStyle::Rectangle);
    lamp->SetLedOnColor(look::LampOn);
    lamp->SetLedOffColor(look::LampOff);
    lamp->SetPenColor(look::LampPen);
    lamp->SetPenWidth(1);
    lamp->SetBlink(false);
    lamp->SetLedOn(false);
    lamp->setGeometry(x, 6, 17, 9);
    return lamp;
}

QWidget* panel(QWidget* parent, const QString& name, QRect geometry) {
    auto* p = named(new QFrame(parent), name);
    p->setFrameShape(QFrame::StyledPanel);
    p->setGeometry(geometry);
    return p;
}

struct NavButton {
    const char* name;
    const char* caption;
    int tag;
    NavIcon icon;
};
constexpr NavButton ObdButtons[] = {
    {"btnStart", "Start", 0, NavIcon::Start},
    {"btnFehlercodes", "Fehlercodes", 1, NavIcon::Fehlercodes},
    {"btnSensorData", "Sensordaten", 5, NavIcon::Sensordaten},
    {"btnFreezeFrames", "Freeze Frames", 2, NavIcon::FreezeFrames},
    {"btnO2Sensor", "O2 Sensors", 3, NavIcon::O2Sensors},
    {"btnTerminal", "Terminal", 4, NavIcon::Terminal},
};
constexpr NavButton OptionButtons[] = {
    {"btnGeneral", "General", 7, NavIcon::General},
    {"btnCustomer", "Customer", 6, NavIcon::Customer},
    {"btnVehicle", "Vehicle", 8, NavIcon::Vehicle},
    {"btnDTCs", "DTC's", 9, NavIcon::DTCs},
};
// The page each tag shows.
const char* const PageOfTag[] = {"Start",    "DTC",         "Seite2",   "Seite3",
                                 "Terminal", "Sensordaten", "Customer", "General Options",
                                 "Vehicle",  "DTC's"};

} // namespace

TfMain::TfMain(const ProgramPaths& paths, std::unique_ptr<QSettings> settings, Answer answer,
               QWidget* parent)
    : QWidget(parent), m_messages(this), m_settings(std::move(settings)) {
    m_messages.answer = std::move(answer);
    m_ctx.paths = paths;
    m_ctx.messages = &m_messages;
    m_ctx.records = RecordsFromSettings(*m_settings, paths, PasswordBox(this));
    m_notifier = std::make_unique<GuiNotifier>(m_messages);

    setObjectName(QStringLiteral("fMain"));
    setWindowTitle(QStringLiteral("OBD Torvane"));
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowSystemMenuHint);
    setGeometry(220, 105, 632, 546);
    setMouseTracking(true);
    look::Fill(this, look::Window);
    QFont font(QStringLiteral("Tahoma"));
    font.setPixelSize(11);
    setFont(font);

    // The port object exists before any page is built, so every handler can
    // rely on it; the exchange follows once the log is open (FormCreate).
    m_ctx.port = CreatePort();

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(BorderWidth, BorderWidth, BorderWidth, BorderWidth);
    outer->setSpacing(0);
    outer->addWidget(makeTitleStrip());
    auto* spacer = named(new QWidget(this), QStringLiteral("Panel7"));
    spacer->setFixedHeight(2);
    outer->addWidget(spacer);
    outer->addWidget(makeToolBar());

    auto* middle = new QHBoxLayout;
    middle->setSpacing(0);
    middle->addWidget(makeOutlookBar());
    auto* pageArea = new QVBoxLayout;
    pageArea->setSpacing(0);
    InfoPanel = named(new QLabel(QStringLiteral("  Start"), this), QStringLiteral("InfoPanel"));
    InfoPanel->setFixedHeight(25);
    look::Fill(InfoPanel, look::Heading);
    QFont headingFont(font);
    headingFont.setPixelSize(13);
    headingFont.setBold(true);
    InfoPanel->setFont(headingFont);
    QPalette hp = InfoPanel->palette();
    hp.setColor(QPalette::WindowText, look::Gold);
    InfoPanel->setPalette(hp);
    InfoPanel->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    pageArea->addWidget(InfoPanel);
    labSavedVisit = named(new QLabel(this), QStringLiteral("labSavedVisit"));
    labSavedVisit->setContentsMargins(6, 3, 6, 3);
    labSavedVisit->setStyleSheet(look::SavedVisitStyle());
    labSavedVisit->hide();
    pageArea->addWidget(labSavedVisit);
    Notebook = named(new QStackedWidget(this), QStringLiteral("Notebook"));
    look::Fill(Notebook, look::Page);
    // The pages lay out within the designed window size rather than widen it.
    Notebook->setMinimumSize(1, 1);
    pageArea->addWidget(Notebook, 1);
    middle->addLayout(pageArea, 1);
    outer->addLayout(middle, 1);
    // The status bar comes before the pages: the start page writes to it.
    QWidget* statusBar = makeStatusBar();
    outer->addWidget(statusBar);

    m_startPage = new StartPage(
        m_ctx, m_status,
        [this](const TSupportedPids& flags) { m_sensorPage->ApplySupportedPids(flags); }, Notebook);
    m_ctx.settings = m_settings.get();
    m_sensorPage = new SensorPage(m_ctx, Notebook);
    for (QWidget* page :
         {static_cast<QWidget*>(m_startPage),
          static_cast<QWidget*>(m_dtcPage = new DtcPage(m_ctx, Notebook)),
          static_cast<QWidget*>(m_sensorPage),
          static_cast<QWidget*>(m_freezeFramePage = new FreezeFramePage(m_ctx, Notebook)),
          static_cast<QWidget*>(new O2SensorPage(m_ctx, Notebook)),
          static_cast<QWidget*>(new TerminalPage(m_ctx, Notebook)),
          static_cast<QWidget*>(new CustomerPage(m_ctx, Notebook)),
          static_cast<QWidget*>(m_optionsPage = new OptionsPage(m_ctx, *m_settings, Notebook)),
          static_cast<QWidget*>(new DtcsPage(m_ctx, Notebook)),
          static_cast<QWidget*>(new VehiclePage(m_ctx, Notebook))})
        Notebook->addWidget(page);
    // A page is announced by the heading it shows: its navigation caption.
    const auto nameAfter = [this](const auto& buttons) {
        for (const NavButton& nb : buttons)
            Notebook
                ->findChild<QWidget*>(QString::fromUtf8(PageOfTag[nb.tag]),
                                      Qt::FindDirectChildrenOnly)
                ->setAccessibleName(QString::fromUtf8(nb.caption));
    };
    nameAfter(ObdButtons);
    nameAfter(OptionButtons);
    m_ctx.showMonitorStatus = [this](const TMonitorStatus& s) {
        m_startPage->ShowMonitorStatus(s);
    };
    m_ctx.showMilLamp = [this](bool on) { m_startPage->ShowMilLamp(on); };
    m_ctx.showMonitorStatusUnknown = [this] { m_startPage->ShowMonitorStatusUnknown(); };
    m_ctx.showReadValues = [this] { m_startPage->ShowReadValues(); };
    m_ctx.showPage = [this](const QString& page) { showPage(page); };
    m_ctx.showSavedVisit = [this](const VisitRecord& visit) { showSavedVisit(visit); };
    m_ctx.endSavedVisit = [this] { endSavedVisit(); };

    m_timer1.setObjectName(QStringLiteral("Timer1"));
    m_timer1.setInterval(500);
    m_timer1.setSingleShot(true);
    connect(&m_timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    // An action that finds the adapter gone offers to connect again.
    m_messages.reconnect = [this] { m_startPage->NeuInitialisierenBtnClick(); };
    m_closeRetry.setInterval(10);
    connect(&m_closeRetry, &QTimer::timeout, this, [this] {
        if (OffThreadWorkRunning())
            return;
        m_closeRetry.stop();
        close();
    });

    FormCreate();
    m_info = new TfInfo(this);
    m_report = new TfReport(this);
    m_report->setObjectName(QStringLiteral("fReport"));
}

TfMain::~TfMain() {
    // A poller still running ends before the exchange it uses goes.
    delete m_sensorPage;
    // The exchange refers to the port and the log: it goes first.
    m_ctx.link.reset();
    ClosePort(m_ctx.port);
}

QWidget* TfMain::makeToolBar() {
    auto* bar = named(new QWidget(this), QStringLiteral("FlatPanel2"));
    bar->setFixedHeight(40);
    const auto button = [&](const char* name, int left, const QString& tip, ToolGlyph g) {
        auto* b = named(new QToolButton(bar), QString::fromLatin1(name));
        b->setGeometry(left, 2, 36, 36);
        b->setIcon(QIcon(ToolBarGlyph(g)));
        b->setIconSize({kToolGlyphSize, kToolGlyphSize});
        b->setAutoRaise(true);
        b->setToolTip(tip);
        b->setAccessibleName(tip);
        return b;
    };
    QToolButton* open = button("btnOpen", 2, QStringLiteral("Öffnen"), ToolGlyph::Open);
    QToolButton* save = button("btnSave", 40, QStringLiteral("Speichern"), ToolGlyph::Save);
    QToolButton* print = button("btnPrint", 84, QStringLiteral("Drucken"), ToolGlyph::Print);
    QToolButton* about = button("FlatSpeedButton3", 138, QStringLiteral("Info"), ToolGlyph::Info);
    QToolButton* quit =
        button("btnApplicationClose", 192, QStringLiteral("Beenden"), ToolGlyph::Close);
    const auto openVisit = [this] { m_messages.Guard([this] { m_visitActions.btnOpenClick(); }); };
    const auto saveVisit = [this] { m_messages.Guard([this] { m_visitActions.btnSaveClick(); }); };
    connect(open, &QToolButton::clicked, this, openVisit);
    connect(save, &QToolButton::clicked, this, saveVisit);
    connect(new QShortcut(QKeySequence::Open, this), &QShortcut::activated, this, openVisit);
    connect(new QShortcut(QKeySequence::Save, this), &QShortcut::activated, this, saveVisit);
    connect(print, &QToolButton::clicked, this, guarded(&m_messages, this, &TfMain::btnPrintClick));
    connect(about, &QToolButton::clicked, this,
            guarded(&m_messages, this, &TfMain::FlatSpeedButton3Click));
    connect(quit, &QToolButton::clicked, this, [this] { close(); });
    return bar;
}

QWidget* TfMain::makeOutlookBar() {
    auto* bar = named(new QWidget(this), QStringLiteral("OutlookBar"));
    bar->setFixedWidth(108);
    auto* layout = new QVBoxLayout(bar);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const auto group = [&](const char* header, const QString& caption, const auto& buttons) {
        auto* h = named(new QPushButton(caption, bar), QString::fromLatin1(header));
        h->setFixedHeight(20);
        h->setStyleSheet(look::NavHeaderStyle());
        layout->addWidget(h);
        auto* g = new QWidget(bar);
        auto* gl = new QVBoxLayout(g);
        gl->setContentsMargins(5, 4, 5, 4);
        gl->setSpacing(2);
        for (const NavButton& nb : buttons) {
            auto* b = named(new QToolButton(g), QString::fromLatin1(nb.name));
            b->setText(QString::fromUtf8(nb.caption));
            b->setProperty("Tag", nb.tag);
            b->setFixedSize(98, 56);
            b->setIcon(QIcon(NavigationIcon(nb.icon)));
            b->setIconSize({kNavIconSize, kNavIconSize});
            b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
            b->setAutoRaise(true);
            connect(b, &QToolButton::clicked, this,
                    [this, b] { m_messages.Guard([this, b] { MenuBarBtnClick(b); }); });
            gl->addWidget(b);
        }
        gl->addStretch(1);
        layout->addWidget(g, 1);
        return std::pair{h, g};
    };
    auto [header2, options] = group("Header2", QStringLiteral("Optionen"), OptionButtons);
    auto [header1, obd] = group("Header1", QStringLiteral("OBD-II"), ObdButtons);
    m_groupOptions = options;
    m_groupObd = obd;
    connect(header1, &QPushButton::clicked, this, [this] {
        m_groupOptions->hide();
        m_groupObd->show();
    });
    connect(header2, &QPushButton::clicked, this, [this] {
        m_groupObd->hide();
        m_groupOptions->show();
    });
    return bar;
}

QWidget* TfMain::makeStatusBar() {
    auto* bar = named(new QFrame(this), QStringLiteral("FlatPanel1"));
    bar->setFixedHeight(21);
    auto* icon = named(new QLabel(bar), QStringLiteral("Image2"));
    icon->setGeometry(3, 3, 16, 16);
    icon->setPixmap(StatusBarIcon());
    m_status.InterfaceLabel =
        named(new ElidingLabel(QStringLiteral("Interface wird initialisiert..."), bar),
              QStringLiteral("InterfaceLabel"));
    // In a font wider than Tahoma the label widens to its first text, and
    // the panels move right by as much.
    const int interfaceWidth = std::max(136, m_status.InterfaceLabel->sizeHint().width());
    m_status.InterfaceLabel->setGeometry(22, 4, interfaceWidth, 14);
    const int left = 160 + interfaceWidth - 136;

    // Device paths ("/dev/ttyUSB0") are longer than "COM1": the port panel is
    // wider by this much, so the whole name shows, and the lamps move right.
    constexpr int PortExtra = 200;
    QWidget* com = panel(bar, QStringLiteral("FlatPanel21"), {left, 0, 86 + PortExtra, 21});
    auto* portCaption = named(new QLabel(QStringLiteral("Port:"), com), QStringLiteral("labPort"));
    const int captionWidth = std::max(26, portCaption->sizeHint().width() + 3);
    portCaption->setGeometry(3, 4, captionWidth, 14);
    m_status.COM_Label =
        named(new ElidingLabel(QStringLiteral("COM?"), com), QStringLiteral("COM_Label"));
    m_status.COM_Label->setAccessibleDescription(portCaption->text());
    m_status.COM_Label->setGeometry(3 + captionWidth, 4, 62 + PortExtra - captionWidth, 14);
    m_status.COM_Led = makeLamp(com, QStringLiteral("COM_Led"), 66 + PortExtra);
    m_status.COM_Led->setAccessibleName(QStringLiteral("Port"));

    const auto lampPanel = [&](const char* name, const char* caption, const char* captionName,
                               const char* lampName, int x) {
        QWidget* p = panel(bar, QString::fromLatin1(name), {x, 0, 50, 21});
        named(new QLabel(QString::fromLatin1(caption), p), QString::fromLatin1(captionName))
            ->setGeometry(4, 4, 24, 14);
        TQXLed* lamp = makeLamp(p, QString::fromLatin1(lampName), 29);
        lamp->setAccessibleName(QString::fromLatin1(caption));
        return lamp;
    };
    m_status.ELM_Led = lampPanel("FlatPanel13", "ELM", "labELM", "ELM_Led", left + 85 + PortExtra);
    m_status.ECU_Led = lampPanel("FlatPanel22", "ECU", "labECU", "ECU_Led", left + 134 + PortExtra);
    // Right of the lamps: the vehicle's protocol, short ("CAN 11/500"), the
    // whole name in its tooltip.
    m_status.ProtocolLabel = named(new ElidingLabel(bar), QStringLiteral("ProtocolLabel"));
    m_status.ProtocolLabel->setAccessibleDescription(QStringLiteral("Protokoll"));
    m_status.ProtocolLabel->setGeometry(left + 188 + PortExtra, 4, 84, 14);
    // The recording's elapsed time and row count, while one runs.
    auto* recording = named(new ElidingLabel(QString(), bar), QStringLiteral("RecordingLabel"));
    recording->setGeometry(left + 276 + PortExtra, 4,
                           std::max(90, width() - left - 280 - PortExtra), 14);
    recording->hide();
    m_ctx.showRecording = [recording](const QString& text) {
        recording->setText(text);
        recording->setVisible(!text.isEmpty());
    };
    return bar;
}

void TfMain::showPage(const QString& name) {
    QWidget* page = Notebook->findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
    Notebook->setCurrentWidget(page);
    // The heading names the page, as after a click in the navigation bar.
    InfoPanel->setText(QStringLiteral("  ") + page->accessibleName());
}

void TfMain::showSavedVisit(const VisitRecord& visit) {
    m_ctx.shownVisit = visit;
    m_ctx.savedVisitOnPages = true;
    const QString mark = QStringLiteral("Gespeicherte Diagnose Nr. %1 vom %2")
                             .arg(visit.number)
                             .arg(VisitTimeText(visit.when));
    labSavedVisit->setText(mark);
    labSavedVisit->setAccessibleName(mark);
    labSavedVisit->show();
    m_startPage->ShowSavedVisit(visit);
    m_dtcPage->ShowSavedVisit(visit);
    m_freezeFramePage->ShowSavedVisit(visit);
    showPage(QStringLiteral("Start"));
}

void TfMain::endSavedVisit() {
    if (!m_ctx.savedVisitOnPages)
        return;
    m_ctx.savedVisitOnPages = false;
    // The report no longer fills with the visit the pages stopped showing.
    m_ctx.shownVisit.reset();
    labSavedVisit->hide();
    m_startPage->EndSavedVisit();
    m_dtcPage->EndSavedVisit();
    m_freezeFramePage->EndSavedVisit();
}

void TfMain::MenuBarBtnClick(QToolButton* sender) {
    if (m_ctx.pollerRunning && m_ctx.pollerRunning() && m_ctx.requestPollerStop)
        m_ctx.requestPollerStop();
    const int tag = sender->property("Tag").toInt();
    if (tag >= 0 && tag < int(std::size(PageOfTag)))
        showPage(QString::fromUtf8(PageOfTag[tag]));
    else
        InDieserVersionNichtMoeglich();
    InfoPanel->setText(QStringLiteral("  ") + sender->text());
}

void TfMain::btnPrintClick() {
    m_visitActions.btnPrintClick(*m_report);
}

void TfMain::FlatSpeedButton3Click() {
    m_info->ShowModal();
}

void TfMain::InDieserVersionNichtMoeglich() {
    m_messages.Plain(Placeholder);
}

void TfMain::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (!m_painted) {
        m_painted = true;
        emit firstPaint();
    }
}

} // namespace obd
