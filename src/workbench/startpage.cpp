#include "workbench/startpage.h"

#include "link/link.h"
#include "session/connection.h"
#include "widgets/pictures.h"
#include "widgets/qxled.h"
#include "workbench/look.h"
#include "workbench/messages.h"
#include "workbench/pagelook.h"
#include "workbench/valuetext.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyledItemDelegate>

namespace obd {

namespace {

// The ELM323 speaks the K-line protocols and does not tell which one it found.
const QString Elm323Protocol = QStringLiteral("ISO 9141-2 / ISO 14230-4");

// One status line: the brush fills the line, the picture sits 3 pixels in
// from the top-left corner, the text starts 2 pixels in, or 6 pixels after
// the picture, 3 pixels below the top.
class StatusLineDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QRect r = option.rect;
        const bool selected = option.state & QStyle::State_Selected;
        painter->fillRect(r, selected ? option.palette.highlight() : option.palette.base());
        int x = r.left() + 2;
        const QVariant ok = index.data(StartPage::OkRole);
        if (ok.isValid()) {
            const QPixmap& picture = MarkPicture(ok.toBool() ? Mark::Ok : Mark::Error);
            painter->drawPixmap(r.left() + 3, r.top() + 3, picture);
            x = r.left() + picture.width() + 6;
        }
        painter->setPen(selected ? option.palette.highlightedText().color()
                                 : option.palette.text().color());
        painter->setFont(option.font);
        const QRect textRect(x, r.top() + 3, r.right() - x, r.height() - 3);
        // A line longer than the list ends in an ellipsis; its tooltip holds it whole.
        painter->drawText(textRect, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                          QFontMetrics(option.font)
                              .elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideRight,
                                          textRect.width()));
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), 19};
    }
};

// The status bar's short form of a protocol name: what its parentheses hold
// ("CAN 11/500" of "ISO 15765-4 (CAN 11/500)"), or the name without them.
QString ShortProtocolName(const QString& name) {
    const qsizetype open = name.indexOf(QLatin1Char('('));
    const qsizetype close = name.lastIndexOf(QLatin1Char(')'));
    return open >= 0 && close > open ? name.mid(open + 1, close - open - 1) : name;
}

QLabel* cell(QWidget* parent, const QString& name) {
    auto* label = named(new QLabel(NotAvailable, parent), name);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

struct MonitorRow {
    const char* caption;
    const char* supportedCell;
    const char* completedCell;
};

constexpr MonitorRow ContinuousRows[] = {
    {"Misfire:", "labMisfire_S", "labMisfire_C"},
    {"Fuel system:", "labFuelsystem_S", "labFuelsystem_C"},
    {"Components:", "labComponents_S", "labComponents_C"},
};
constexpr MonitorRow NonContinuousRows[] = {
    {"Catalyst:", "labCatalyst_S", "labCatalyst_C"},
    {"Evaporative system:", "labEvaporativesys_S", "labEvaporativesys_C"},
    {"Oxygen sensor:", "labOxygensensor_S", "labOxygensensor_C"},
    {"Oxygen sensor heater:", "labOxygensensorheater_S", "labOxygensensorheater_C"},
};

} // namespace

StartPage::StartPage(WorkbenchContext& ctx, ConnectionStatus status,
                     std::function<void(const TSupportedPids&)> applyEcu, QWidget* parent)
    : QWidget(parent), m_ctx(ctx), m_status(status), m_applyEcu(std::move(applyEcu)),
      m_sequence(new ConnectionSequence(std::make_unique<Elm323Dialect>(), this)) {
    setObjectName(QStringLiteral("Start"));
    m_ctx.vehicleBus = &m_sequence->Bus();

    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setSpacing(0);

    // Left column: the status list under its heading.
    auto* left = new QWidget(this);
    left->setFixedWidth(231);
    auto* leftLayout = new QVBoxLayout(left);
    leftLayout->setContentsMargins(0, 0, 0, 0);
    leftLayout->setSpacing(0);
    auto* heading =
        named(new QLabel(QStringLiteral("Init-Status"), left), QStringLiteral("labInitStatus"));
    heading->setContentsMargins(4, 4, 4, 4);
    leftLayout->addWidget(heading);
    LogListBox = named(new QListWidget(left), QStringLiteral("LogListBox"));
    labelFor(heading, LogListBox);
    LogListBox->setFrameShape(QFrame::NoFrame);
    LogListBox->setItemDelegate(new StatusLineDelegate(LogListBox));
    LogListBox->setUniformItemSizes(true);
    QPalette listPalette = LogListBox->palette();
    listPalette.setColor(QPalette::Base, look::Cell);
    LogListBox->setPalette(listPalette);
    LogListBox->setAutoFillBackground(true);
    leftLayout->addWidget(LogListBox, 1);
    grid->addWidget(left, 0, 0);

    grid->addWidget(makeMilColumn(), 0, 1);

    // Bottom strip: "Neu Initialisieren" and the demo switch.
    auto* strip = named(new QWidget(this), QStringLiteral("FlatPanel3"));
    strip->setFixedHeight(31);
    auto* stripLayout = new QHBoxLayout(strip);
    stripLayout->setContentsMargins(4, 3, 4, 3);
    NeuInitialisierenBtn = named(new QPushButton(QStringLiteral("Neu Initialisieren"), strip),
                                 QStringLiteral("NeuInitialisierenBtn"));
    NeuInitialisierenBtn->setFixedWidth(buttonWidth(NeuInitialisierenBtn, 97));
    stripLayout->addWidget(NeuInitialisierenBtn);
    cbDemoMode =
        named(new QCheckBox(QStringLiteral("Demo-Mode"), strip), QStringLiteral("cbDemoMode"));
    stripLayout->addWidget(cbDemoMode);
    stripLayout->addStretch(1);
    grid->addWidget(strip, 1, 0, 1, 2);
    grid->setRowStretch(0, 1);
    grid->setColumnStretch(1, 1);

    connect(NeuInitialisierenBtn, &QPushButton::clicked, this,
            guarded(m_ctx.messages, this, &StartPage::NeuInitialisierenBtnClick));
    // Toggled, not clicked: a screen reader's toggle action changes the box
    // without a click and must switch the demo mode just the same.
    connect(cbDemoMode, &QCheckBox::toggled, this,
            guarded(m_ctx.messages, this, &StartPage::DemoModeClick));
    connectSequence();
}

void StartPage::connectSequence() {
    ConnectionSequence* s = m_sequence;
    connect(s, &ConnectionSequence::cleared, this, &StartPage::clearRun);
    connect(s, &ConnectionSequence::portOpenFailed, this, [this](const QString& text) {
        // The answer is not used.
        m_ctx.messages->ErrorYesNo(text);
    });
    connect(s, &ConnectionSequence::statusLine, this, &StartPage::add);
    connect(s, &ConnectionSequence::portShown, this, &StartPage::showPort);
    connect(s, &ConnectionSequence::baudRateFound, this,
            [this] { m_ctx.messages->Guard(m_ctx.storePortSettings); });
    connect(s, &ConnectionSequence::chipLamp, m_status.ELM_Led, &TQXLed::SetLedOn);
    connect(s, &ConnectionSequence::ecuLamp, m_status.ECU_Led, &TQXLed::SetLedOn);
    connect(s, &ConnectionSequence::interfaceShown, this, [this](const QString& identification) {
        m_status.InterfaceLabel->setText(QStringLiteral("Interface: ") + identification);
        m_ctx.chipIdentification = identification;
    });
    connect(s, &ConnectionSequence::protocolShown, this, [this](const QString& name) {
        m_status.ProtocolLabel->setText(ShortProtocolName(name));
        m_status.ProtocolLabel->setToolTip(name);
        m_ctx.reading.protocol = name;
    });
    connect(s, &ConnectionSequence::supportedPidsRead, this,
            [this](const TSupportedPids& flags) { m_applyEcu(flags); });
    connect(s, &ConnectionSequence::obdTypeRead, edOBDType, &QLineEdit::setText);
    connect(s, &ConnectionSequence::monitorStatusRead, this, &StartPage::ShowMonitorStatus);
    connect(s, &ConnectionSequence::monitorStatusUnreadable, this,
            &StartPage::ShowMonitorStatusUnknown);
    // The VIN the vehicle gives (none: empty) fills the box unless the user
    // typed one, which stays.
    connect(s, &ConnectionSequence::vinRead, this, [this](const QString& vin) {
        const QString shown = FlatEdit4->text();
        if (shown.isEmpty() || shown == m_readVin)
            FlatEdit4->setText(vin);
        m_readVin = vin;
    });
}

QWidget* StartPage::makeMilColumn() {
    auto* column = new QWidget(this);
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(8, 8, 8, 4);

    auto* top = new QGridLayout;
    auto* milFrame = named(new QFrame(column), QStringLiteral("Panel1"));
    milFrame->setStyleSheet(look::FramedStyle(milFrame->objectName()));
    auto* milFrameLayout = new QVBoxLayout(milFrame);
    milFrameLayout->setContentsMargins(1, 1, 1, 1);
    MIL_Image = named(new QLabel(milFrame), QStringLiteral("MIL_Image"));
    MIL_Image->setFixedSize(48, 32);
    milFrameLayout->addWidget(MIL_Image);
    top->addWidget(milFrame, 0, 0, 2, 1);
    // The value labels are announced by what they show, with their caption as
    // the description.
    const QString milCaption = QStringLiteral("MIL Status:");
    top->addWidget(named(new QLabel(milCaption, column), QStringLiteral("labMIL_Status1")), 0, 1);
    labMIL_Status = named(new QLabel(column), QStringLiteral("labMIL_Status"));
    labMIL_Status->setAccessibleDescription(milCaption);
    top->addWidget(labMIL_Status, 0, 2);
    const QString countCaption = QStringLiteral("DTCs gelesen:");
    top->addWidget(named(new QLabel(countCaption, column), QStringLiteral("Label2")), 1, 1);
    DTCCountLabel = named(new QLabel(QStringLiteral("0"), column), QStringLiteral("DTCCountLabel"));
    DTCCountLabel->setAccessibleDescription(countCaption);
    top->addWidget(DTCCountLabel, 1, 2);
    top->setColumnStretch(3, 1);
    layout->addLayout(top);

    auto group = [&](const char* name, const QString& title, const auto& rows) {
        auto* box = named(new QGroupBox(title, column), QString::fromLatin1(name));
        auto* g = new QGridLayout(box);
        // Tight spacing, so the longest caption fits beside the two columns.
        g->setContentsMargins(6, 6, 4, 6);
        g->setHorizontalSpacing(2);
        g->setColumnStretch(0, 1);
        const QString supported = QStringLiteral("Supported");
        const QString completed = QStringLiteral("Completed");
        g->addWidget(new QLabel(supported, box), 0, 1, Qt::AlignCenter);
        g->addWidget(new QLabel(completed, box), 0, 2, Qt::AlignCenter);
        int r = 1;
        for (const MonitorRow& row : rows) {
            const QString caption = QString::fromLatin1(row.caption);
            g->addWidget(new QLabel(caption, box), r, 0);
            QLabel* s = cell(box, QString::fromLatin1(row.supportedCell));
            QLabel* c = cell(box, QString::fromLatin1(row.completedCell));
            s->setAccessibleDescription(caption + QLatin1Char(' ') + supported);
            c->setAccessibleDescription(caption + QLatin1Char(' ') + completed);
            g->addWidget(s, r, 1);
            g->addWidget(c, r, 2);
            m_readiness.append(std::pair{s, c});
            ++r;
        }
        layout->addWidget(box);
    };
    group("FlatGroupBox1", QStringLiteral("Continuous Monitoring tests"), ContinuousRows);
    group("FlatGroupBox2", QStringLiteral("non-Continuous Monitoring tests"), NonContinuousRows);

    auto* fields = new QGridLayout;
    auto* typeCaption =
        named(new QLabel(QStringLiteral("OBD Type"), column), QStringLiteral("labOBDType"));
    fields->addWidget(typeCaption, 0, 0);
    edOBDType = named(new QLineEdit(column), QStringLiteral("edOBDType"));
    labelFor(typeCaption, edOBDType);
    fields->addWidget(edOBDType, 0, 1);
    auto* vinCaption = named(new QLabel(QStringLiteral("VIN"), column), QStringLiteral("labVIN"));
    fields->addWidget(vinCaption, 1, 0);
    FlatEdit4 = named(new QLineEdit(column), QStringLiteral("FlatEdit4"));
    labelFor(vinCaption, FlatEdit4);
    fields->addWidget(FlatEdit4, 1, 1);
    // The VIN typed here is the one a saved visit keeps.
    connect(FlatEdit4, &QLineEdit::textChanged, this,
            [this](const QString& vin) { m_ctx.reading.vin = vin.trimmed(); });
    auto* remarkCaption =
        named(new QLabel(QStringLiteral("Bemerkung"), column), QStringLiteral("labRemark"));
    fields->addWidget(remarkCaption, 2, 0);
    edRemark = named(new QLineEdit(column), QStringLiteral("edRemark"));
    edRemark->setMaxLength(kVisitRemarkLength);
    labelFor(remarkCaption, edRemark);
    fields->addWidget(edRemark, 2, 1);
    connect(edRemark, &QLineEdit::textChanged, this,
            [this](const QString& remark) { m_ctx.reading.remark = remark.trimmed(); });
    // What the car reports, shown only.
    int row = 3;
    for (const auto& [field, caption, name] :
         {std::tuple{&edProtocol, "Protokoll", "edProtocol"},
          std::tuple{&edOdometer, "Kilometerstand", "edOdometer"},
          std::tuple{&edDistanceSinceClear, "Seit Fehlerlöschung", "edDistanceSinceClear"}}) {
        auto* label = new QLabel(QString::fromUtf8(caption), column);
        fields->addWidget(label, row, 0);
        *field = named(new QLineEdit(column), QString::fromLatin1(name));
        (*field)->setReadOnly(true);
        labelFor(label, *field);
        fields->addWidget(*field, row++, 1);
    }
    layout->addLayout(fields);
    layout->addStretch(1);

    ShowMilLamp(false);
    return column;
}

void StartPage::add(const QString& text, bool ok) {
    auto* item = new QListWidgetItem(text, LogListBox);
    item->setToolTip(text);
    item->setData(OkRole, ok);
    // Laid out at once, so the next repaint shows the line.
    LogListBox->doItemsLayout();
}

void StartPage::clearRun() {
    LogListBox->clear();
    m_status.ProtocolLabel->clear();
    m_status.ProtocolLabel->setToolTip({});
    m_status.COM_Led->SetLedOn(false);
    m_status.ELM_Led->SetLedOn(false);
    m_status.ECU_Led->SetLedOn(false);
    window()->repaint();
}

void StartPage::showPort(const QString& label, bool open) {
    m_status.COM_Label->setText(label);
    m_status.COM_Led->SetLedOn(open);
}

void StartPage::InitInterface() {
    // The sequence closes and reopens the port.
    StopPollerAndWait(m_ctx);
    // A new connection may be another car: nothing read before belongs to it
    // (the VIN and the remark the user typed stay).
    VisitRecord fresh;
    fresh.vin = m_ctx.reading.vin;
    fresh.remark = m_ctx.reading.remark;
    m_ctx.reading = std::move(fresh);
    // The pages show the new reading, not a saved visit.
    if (m_ctx.endSavedVisit)
        m_ctx.endSavedVisit();
    BusyCursor busy;
    m_ctx.busFraming.reset();
    m_ctx.announcedPids.reset();
    m_sequence->Run(*m_ctx.port, *m_ctx.link);
    m_ctx.busFraming = m_sequence->Framing();
    m_ctx.vehicleBus = &m_sequence->Bus();
    if (!m_ctx.link->CommFailure && !m_ctx.busFraming)
        m_ctx.reading.protocol = Elm323Protocol;
    ShowReadValues();
}

void StartPage::NeuInitialisierenBtnClick() {
    m_ctx.link->LogEvent(QStringLiteral("New Init"));
    InitInterface();
}

void StartPage::DemoModeClick() {
    const bool on = cbDemoMode->isChecked();
    m_ctx.link->DemoMode = on;
    // A connection made in demo mode opened no port: without demo mode there
    // is nothing to talk to until the interface is initialised again.
    if (!m_ctx.link->LineOpen())
        m_ctx.link->CommFailure = true;
    m_ctx.link->LogEvent(on ? QStringLiteral("Demo-Mode ON") : QStringLiteral("Demo-Mode OFF"));
}

void StartPage::StartInDemoMode() {
    // The box's toggle switches and logs the demo mode.
    cbDemoMode->setChecked(true);
}

void StartPage::ShowMilLamp(bool milOn) {
    m_ctx.reading.milOn = milOn;
    if (m_carStatus)
        m_carStatus->MilOn = milOn;
    showMil(milOn);
}

void StartPage::showMil(bool milOn) {
    MIL_Image->setPixmap(MilPicture(milOn));
    labMIL_Status->setText(milOn ? QStringLiteral("AN") : QStringLiteral("AUS"));
}

void StartPage::ShowMonitorStatus(TMonitorStatus status) {
    m_carStatus = status;
    m_ctx.reading.milOn = status.MilOn;
    m_ctx.reading.readiness = ReadinessOf(status);
    showStatus(status);
}

void StartPage::ShowMonitorStatusUnknown() {
    m_carStatus.reset();
    m_ctx.reading.milOn.reset();
    m_ctx.reading.readiness = {};
    showStatus(std::nullopt);
}

void StartPage::showStatus(const std::optional<TMonitorStatus>& status) {
    if (!status) {
        MIL_Image->setPixmap(MilPicture(false));
        labMIL_Status->setText(NotAvailable);
        DTCCountLabel->setText(NotAvailable);
        for (const auto& [supported, completed] : m_readiness) {
            supported->setText(NotAvailable);
            completed->setText(NotAvailable);
        }
        return;
    }
    showMil(status->MilOn);
    DTCCountLabel->setText(QString::number(status->DtcCount));
    const std::pair<bool, bool> monitors[] = {
        {status->MisfireSupported, status->MisfireIncomplete},
        {status->FuelSystemSupported, status->FuelSystemIncomplete},
        {status->ComponentsSupported, status->ComponentsIncomplete},
        {status->CatalystSupported, status->CatalystIncomplete},
        {status->EvapSystemSupported, status->EvapSystemIncomplete},
        {status->OxygenSensorSupported, status->OxygenSensorIncomplete},
        {status->OxygenSensorHeaterSupported, status->OxygenSensorHeaterIncomplete},
    };
    const auto yesNo = [](bool v) { return v ? QStringLiteral("Yes") : QStringLiteral("No"); };
    for (size_t k = 0; k < std::size(monitors); ++k) {
        m_readiness[qsizetype(k)].first->setText(yesNo(monitors[k].first));
        m_readiness[qsizetype(k)].second->setText(yesNo(!monitors[k].second));
    }
}

void StartPage::ShowSavedVisit(const VisitRecord& visit) {
    // A visit saved without a monitor status has no MIL state.
    showStatus(visit.milOn ? std::optional(MonitorStatusOf(visit)) : std::nullopt);
    showVisitTexts(visit.vin, visit.remark, true);
    ShowReadValues();
}

void StartPage::EndSavedVisit() {
    showStatus(m_carStatus);
    showVisitTexts(m_ctx.reading.vin, m_ctx.reading.remark, false);
    ShowReadValues();
}

void StartPage::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    ShowReadValues();
}

void StartPage::ShowReadValues() {
    const VisitRecord& values =
        m_ctx.savedVisitOnPages && m_ctx.shownVisit ? *m_ctx.shownVisit : m_ctx.reading;
    const auto distance = [this](const std::optional<qint32>& km) {
        return km ? ShownNumberText(double(*km), QStringLiteral("km"), 0, m_ctx.unitSystem)
                  : QString();
    };
    edProtocol->setText(values.protocol);
    edOdometer->setText(distance(values.odometerKm));
    edDistanceSinceClear->setText(distance(values.distanceSinceClearKm));
}

void StartPage::showVisitTexts(const QString& vin, const QString& remark, bool readOnly) {
    // Shown, not typed: the reading keeps the user's texts.
    const QSignalBlocker vinQuiet(FlatEdit4);
    const QSignalBlocker remarkQuiet(edRemark);
    FlatEdit4->setText(vin);
    FlatEdit4->setReadOnly(readOnly);
    edRemark->setText(remark);
    edRemark->setReadOnly(readOnly);
}

} // namespace obd
