#include "workbench/sensorpage.h"

#include "common/errors.h"
#include "common/regional.h"
#include "common/sensortable.h"
#include "link/link.h"
#include "services/j1979.h"
#include "services/pidvalues.h"
#include "session/offthread.h"
#include "session/recording.h"
#include "session/requestform.h"
#include "session/sensormodel.h"
#include "session/sensorpoller.h"
#include "widgets/pictures.h"
#include "widgets/trendchart.h"
#include "workbench/context.h"
#include "workbench/livepanel.h"
#include "workbench/look.h"
#include "workbench/messages.h"
#include "workbench/pagelook.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QEventLoop>
#include <QFileDialog>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressDialog>
#include <QPushButton>
#include <QSettings>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTableView>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <atomic>
#include <exception>
#include <thread>

namespace obd {

namespace {

constexpr int ColumnCount = SensorModel::ColumnCount;
// The designed widths of the columns E, S, PID, name, value and unit.
constexpr int ColumnWidths[ColumnCount] = {15, 17, 22, 228, 101, 42};

constexpr int RowHeight = 17;

const QString One = QStringLiteral("1");

// Draws columns E and S as pictures and the value right-aligned, 2 pixels
// inside the right border and 2 below the top.
class SensorCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const QString text = index.data().toString();
        const QRect cell = option.rect;
        switch (index.column()) {
        case SensorModel::ColEnabled:
            QStyledItemDelegate::paint(painter, option, index);
            painter->drawPixmap(cell.left(), cell.top() + 1,
                                MarkPicture(text == One ? Mark::BoxOn : Mark::BoxOff));
            return;
        case SensorModel::ColSupported:
            painter->fillRect(cell, look::Cell);
            painter->drawPixmap(cell.left() + 1, cell.top() + 2,
                                MarkPicture(text == One ? Mark::Ok : Mark::Error));
            return;
        case SensorModel::ColValue: {
            QStyleOptionViewItem background = option;
            background.text.clear();
            initStyleOption(&background, index);
            background.text.clear();
            option.widget->style()->drawControl(QStyle::CE_ItemViewItem, &background, painter,
                                                option.widget);
            painter->save();
            painter->setClipRect(cell);
            painter->setPen(option.state & QStyle::State_Selected
                                ? option.palette.color(QPalette::HighlightedText)
                                : option.palette.color(QPalette::Text));
            // A value wider than its cell is cut at the right with an
            // ellipsis, never at the left, where it would read as another
            // number; the item's tooltip holds it whole.
            const QRect box = cell.adjusted(0, 2, -2, 0);
            painter->drawText(box, Qt::AlignRight | Qt::AlignTop,
                              option.fontMetrics.elidedText(text, Qt::ElideRight, box.width()));
            painter->restore();
            return;
        }
        case SensorModel::ColName: {
            QStyleOptionViewItem elided = option;
            elided.textElideMode = Qt::ElideRight;
            QStyledItemDelegate::paint(painter, elided, index);
            return;
        }
        default:
            QStyledItemDelegate::paint(painter, option, index);
        }
    }
};

QLabel* label(const QString& name, const QString& caption, QPoint at, QWidget* parent) {
    auto* l = named(new QLabel(caption, parent), name);
    l->move(at);
    return l;
}

constexpr QPoint PanelPlaces[] = {{8, 12}, {236, 12}, {8, 156}, {236, 156}};

struct ChartSpan {
    const char* caption;
    double seconds;
};
constexpr ChartSpan ChartSpans[] = {{"30 s", 30}, {"60 s", 60}, {"2 min", 120}, {"10 min", 600}};
constexpr int DefaultSpan = 1;

QString PanelKey(int panel) {
    return QStringLiteral("Sensordaten/Einzeln%1").arg(panel + 1);
}

// What the four panels show until the user chooses: the values a mechanic
// watches first, each a number the chart can draw.
constexpr const char* DefaultPanelPids[] = {"0C", "0D", "05", "04"};

} // namespace

SensorPage::SensorPage(WorkbenchContext& ctx, QWidget* parent) : QWidget(parent), m_ctx(ctx) {
    setObjectName(QStringLiteral("Sensordaten"));
    SetUpSensorTable(m_ctx.sensorTable);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 0);
    layout->setSpacing(0);
    tcSensordata = named(new QTabBar(this), QStringLiteral("tcSensordata"));
    tcSensordata->addTab(QStringLiteral("Tabelle"));
    tcSensordata->addTab(QStringLiteral("Einzeln"));
    tcSensordata->addTab(QStringLiteral("Diagramm"));
    layout->addWidget(tcSensordata);
    nbSensordata = named(new QStackedWidget(this), QStringLiteral("nbSensordata"));
    layout->addWidget(nbSensordata, 1);

    auto* table = new QWidget(nbSensordata);
    table->setObjectName(QStringLiteral("Tabelle"));
    auto* tableLayout = new QVBoxLayout(table);
    tableLayout->setContentsMargins(0, 0, 0, 0);
    SensorDataGrid = named(new QTableView(table), QStringLiteral("SensorDataGrid"));
    m_model = new SensorModel(m_ctx.sensorTable, SensorDataGrid);
    SensorDataGrid->setModel(m_model);
    SensorDataGrid->horizontalHeader()->setMinimumSectionSize(1);
    sizeColumns();
    SensorDataGrid->verticalHeader()->hide();
    // Narrow columns show what fits rather than an ellipsis ("0D" stays "0D").
    SensorDataGrid->setTextElideMode(Qt::ElideNone);
    SensorDataGrid->verticalHeader()->setDefaultSectionSize(RowHeight);
    SensorDataGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    SensorDataGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    SensorDataGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SensorDataGrid->setItemDelegate(new SensorCellDelegate(SensorDataGrid));
    SensorDataGrid->setStyleSheet(look::SensorGridStyle());
    SensorDataGrid->viewport()->installEventFilter(this);
    SensorDataGrid->installEventFilter(this);
    tableLayout->addWidget(SensorDataGrid);
    nbSensordata->addWidget(table);
    nbSensordata->addWidget(makeSinglePage());
    nbSensordata->addWidget(makeChartPage());
    connect(tcSensordata, &QTabBar::currentChanged, this, &SensorPage::tcSensordataTabChanged);

    auto* strip = new QWidget(this);
    strip->setFixedHeight(31);
    label(QStringLiteral("Label10"), QStringLiteral("S - Supported"), {8, 2}, strip);
    label(QStringLiteral("Label9"), QStringLiteral("E - Enabled"), {8, 14}, strip);
    cbShowNotSupported = named(new QCheckBox(QStringLiteral("Show not Supported"), strip),
                               QStringLiteral("cbShowNotSupported"));
    // The check box keeps its whole caption in wider fonts; the buttons and
    // the counter move right by what it needs beyond its designed width.
    const int checkWidth = std::max(121, cbShowNotSupported->sizeHint().width());
    const int shift = checkWidth - 121;
    cbShowNotSupported->setGeometry(96, 6, checkWidth, 17);
    btnSensorsRead =
        named(new QPushButton(QStringLiteral("Read"), strip), QStringLiteral("btnSensorsRead"));
    btnSensorsRead->setGeometry(224 + shift, 4, 75, 25);
    btnSensorsStop =
        named(new QPushButton(QStringLiteral("Stop"), strip), QStringLiteral("btnSensorsStop"));
    btnSensorsStop->setGeometry(304 + shift, 4, 75, 25);
    btnSensorsStop->setEnabled(false);
    Label6 = label(QStringLiteral("Label6"), QStringLiteral("0"), {392 + shift, 10}, strip);
    Label6->setMinimumWidth(80);
    layout->addWidget(strip);

    MessageBoxes* boxes = m_ctx.messages;
    connect(btnSensorsRead, &QPushButton::clicked, this,
            guarded(boxes, this, &SensorPage::btnSensorsReadClick));
    connect(btnSensorsStop, &QPushButton::clicked, this,
            guarded(boxes, this, &SensorPage::btnSensorsStopClick));
    connect(cbShowNotSupported, &QCheckBox::toggled, this,
            guarded(boxes, this, &SensorPage::cbShowNotSupportedClick));
    connect(btnRecord, &QPushButton::clicked, this,
            guarded(boxes, this, &SensorPage::btnRecordClick));

    m_poller = new SensorPoller(m_ctx.sensorTable, this);
    connect(m_poller, &SensorPoller::started, this, &SensorPage::SensorThreadStart);
    connect(m_poller, &SensorPoller::passCompleted, this, &SensorPage::NotifyEvent1);
    connect(m_poller, &SensorPoller::ended, this, &SensorPage::SensorThreadTerminate);
    m_ctx.pollerRunning = [this] { return m_poller->Running(); };
    m_ctx.requestPollerStop = [this] { m_poller->RequestStop(); };
    m_ctx.waitForPollerIdle = [this] { m_poller->WaitUntilIdle(); };

    m_clock.start();
    FillSensorGrid();
    refreshChoices();
}

SensorPage::~SensorPage() {
    // The worker must end before the page it refreshes goes away.
    m_ctx.pollerRunning = nullptr;
    m_ctx.requestPollerStop = nullptr;
    m_ctx.waitForPollerIdle = nullptr;
    delete m_poller;
    // Closes the file; the status bar may already be gone.
    m_recorder.reset();
}

SensorThread& SensorPage::Poller() {
    return m_poller->Thread();
}

QWidget* SensorPage::makeSinglePage() {
    auto* page = new QWidget(nbSensordata);
    page->setObjectName(QStringLiteral("Einzeln"));
    for (int n = 0; n < int(m_panels.size()); ++n) {
        auto* panel = new LivePanel(n + 1, page);
        panel->setGeometry(QRect(PanelPlaces[n], QSize(221, 133)));
        connect(panel, &LivePanel::chosen, this, [this, n](int entry) { panelChosen(n, entry); });
        connect(panel, &LivePanel::picked, this, [this, n](int entry) {
            if (m_ctx.settings && entry >= 0)
                m_ctx.settings->setValue(PanelKey(n), m_ctx.sensorTable[entry].Key());
        });
        m_panels[size_t(n)] = panel;
    }
    return page;
}

QWidget* SensorPage::makeChartPage() {
    auto* page = new QWidget(nbSensordata);
    page->setObjectName(QStringLiteral("Diagramm"));
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(8, 8, 8, 8);
    auto* row = new QHBoxLayout;
    auto* spanCaption = new QLabel(QStringLiteral("Zeitraum:"), page);
    row->addWidget(spanCaption);
    m_span = named(new QComboBox(page), QStringLiteral("cbChartSpan"));
    for (const ChartSpan& span : ChartSpans)
        m_span->addItem(QLatin1String(span.caption), span.seconds);
    m_span->setCurrentIndex(DefaultSpan);
    // Wide enough for its longest caption and the arrow, in any font.
    int widest = 0;
    for (const ChartSpan& span : ChartSpans)
        widest =
            std::max(widest, m_span->fontMetrics().horizontalAdvance(QLatin1String(span.caption)));
    m_span->setMinimumWidth(widest + 40);
    labelFor(spanCaption, m_span);
    row->addWidget(m_span);
    btnRecord =
        named(new QPushButton(QStringLiteral("Aufzeichnen"), page), QStringLiteral("btnRecord"));
    btnRecord->setCheckable(true);
    row->addWidget(btnRecord);
    auto* load = named(new QPushButton(QStringLiteral("Laden"), page), QStringLiteral("btnLoad"));
    row->addWidget(load);
    m_picked = named(new QLabel(page), QStringLiteral("ChartValues"));
    row->addWidget(m_picked, 1);
    layout->addLayout(row);
    m_chart = named(new TrendChart(page), QStringLiteral("TrendChart"));
    m_chart->setAccessibleName(QStringLiteral("Diagramm"));
    m_chart->SetSpan(ChartSpans[DefaultSpan].seconds);
    layout->addWidget(m_chart, 1);
    connect(m_span, &QComboBox::currentIndexChanged, this,
            [this] { m_chart->SetSpan(m_span->currentData().toDouble()); });
    connect(m_chart, &TrendChart::valuesPicked, m_picked, &QLabel::setText);
    connect(load, &QPushButton::clicked, this,
            guarded(m_ctx.messages, this, &SensorPage::btnLoadClick));
    return page;
}

void SensorPage::refreshChoices() {
    const SensorTable& table = m_ctx.sensorTable;
    QList<std::pair<int, QString>> choices;
    for (int k = 0; k < table.Count(); ++k)
        if (table[k].IsSensor && table[k].Supported)
            choices.append({k, table[k].Name});
    if (choices == m_choices)
        return;
    m_choices = choices;
    for (int n = 0; n < int(m_panels.size()); ++n) {
        int preferred = m_panels[size_t(n)]->Chosen();
        if (preferred < 0 && n < int(std::size(DefaultPanelPids)))
            preferred = table.IndexOfPid(QLatin1String(DefaultPanelPids[n]));
        if (m_ctx.settings && m_ctx.settings->contains(PanelKey(n)))
            preferred = table.IndexOfKey(m_ctx.settings->value(PanelKey(n)).toString());
        m_panels[size_t(n)]->SetChoices(choices, preferred);
    }
}

void SensorPage::nameSeries(int panel, int entry) {
    const SensorTable& table = m_ctx.sensorTable;
    if (entry < 0) {
        m_seriesUnits[size_t(panel)].clear();
        m_chart->SetSeries(panel, {}, {});
        return;
    }
    m_seriesUnits[size_t(panel)] = table[entry].UnitText;
    m_chart->SetSeries(panel, table[entry].Name, table[entry].UnitText);
    scaleSeries(panel);
}

void SensorPage::scaleSeries(int panel) {
    const QString& unit = m_seriesUnits[size_t(panel)];
    const UnitConversion* c = m_model->Units() == UnitSystem::Us ? UsConversionOf(unit) : nullptr;
    if (c)
        m_chart->SetScale(panel, QString::fromUtf8(c->us), c->factor, c->offset);
    else
        m_chart->SetScale(panel, unit, 1, 0);
}

void SensorPage::applyUnitSystem() {
    if (m_model->Units() == m_ctx.unitSystem)
        return;
    m_model->SetUnitSystem(m_ctx.unitSystem);
    for (int n = 0; n < int(m_panels.size()); ++n) {
        m_panels[size_t(n)]->SetUnitSystem(m_ctx.unitSystem);
        scaleSeries(n);
    }
}

void SensorPage::panelChosen(int panel, int entry) {
    nameSeries(panel, entry);
    if (entry >= 0)
        showLive();
}

void SensorPage::showLive() {
    const SensorTable& table = m_ctx.sensorTable;
    std::array<std::optional<double>, TrendChart::MaxSeries> values;
    for (size_t n = 0; n < m_panels.size(); ++n) {
        const int k = m_panels[n]->Chosen();
        if (k < 0)
            continue;
        const TSensorData& e = table[k];
        const SensorReading reading = e.Supported && e.Enabled
                                          ? table.Reading(k)
                                          : SensorReading{NotAvailable, std::nullopt, 0};
        m_panels[n]->Show(reading, e.UnitText);
        values[n] = reading.number;
    }
    m_chart->Append(double(m_clock.elapsed()) / 1000.0, values);
}

void SensorPage::StartRecording(const QString& path) {
    std::vector<RecordedColumn> columns;
    const SensorTable& table = m_ctx.sensorTable;
    for (int k = 0; k < table.Count(); ++k)
        if (table[k].IsSensor && table[k].Supported && table[k].Enabled)
            columns.push_back({k, table[k].Name, table[k].UnitText});
    m_recorder =
        std::make_unique<SensorRecorder>(path, std::move(columns), QDateTime::currentDateTime());
    btnRecord->setChecked(true);
    showRecordingState();
}

void SensorPage::StopRecording() {
    m_recorder.reset();
    if (btnRecord)
        btnRecord->setChecked(false);
    if (m_ctx.showRecording)
        m_ctx.showRecording(QString());
}

void SensorPage::btnRecordClick() {
    if (m_recorder) {
        StopRecording();
        return;
    }
    btnRecord->setChecked(false);
    const QString suggested = m_ctx.paths.file(
        QStringLiteral("Aufzeichnung_%1.csv")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss"))));
    const QString path = QFileDialog::getSaveFileName(this, QStringLiteral("Aufzeichnen"),
                                                      suggested, QStringLiteral("CSV (*.csv)"));
    if (!path.isEmpty())
        StartRecording(RecordingPath(path));
}

void SensorPage::btnLoadClick() {
    const QString path = QFileDialog::getOpenFileName(
        this, QStringLiteral("Laden"), m_ctx.paths.folder, QStringLiteral("CSV (*.csv)"));
    if (!path.isEmpty())
        LoadRecording(path);
}

void SensorPage::LoadRecording(const QString& path) {
    // The values the panels watch, drawn from the file if it has them.
    QStringList watched;
    for (const LivePanel* panel : m_panels)
        if (panel->Chosen() >= 0)
            watched << m_ctx.sensorTable[panel->Chosen()].Name;
    const RecordingColumnChoice choose = [watched](const QList<RecordingTitle>& columns,
                                                   const std::vector<bool>& numeric) {
        return ChooseRecordingColumns(columns, numeric, watched, TrendChart::MaxSeries);
    };

    // Read on a worker thread; the window is drawn meanwhile and the
    // progress box offers to cancel.
    QProgressDialog progress(QStringLiteral("Aufzeichnung wird geladen: %1").arg(path),
                             QStringLiteral("Abbrechen"), 0, 1000, this);
    progress.setObjectName(QStringLiteral("LoadProgress"));
    progress.setWindowTitle(QStringLiteral("Laden"));
    progress.setWindowModality(Qt::WindowModal);
    progress.setAutoReset(false);
    progress.setMinimumDuration(500);
    std::atomic<bool> cancelled{false};
    std::atomic<int> permille{0};
    LoadedRecording loaded;
    std::exception_ptr failure;
    QEventLoop loop;
    std::thread worker([&] {
        try {
            loaded = ReadRecording(
                path, TrendChart::SeriesCapacity, choose, [&](qint64 done, qint64 total) {
                    if (total > 0)
                        permille = int(std::min<qint64>(1000, done * 1000 / total));
                    return !cancelled;
                });
        } catch (...) {
            failure = std::current_exception();
        }
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    QTimer tick;
    connect(&tick, &QTimer::timeout, &progress, [&] {
        if (progress.wasCanceled())
            cancelled = true;
        else
            progress.setValue(permille);
    });
    tick.start(50);
    loop.exec();
    worker.join();
    tick.stop();
    progress.close();
    if (failure)
        std::rethrow_exception(failure);
    if (loaded.cancelled)
        return;
    if (loaded.series.empty())
        throw FileError(QStringLiteral("Die Aufzeichnung %1 enthält keine Messwerte.").arg(path));

    std::array<TrendChart::Recorded, TrendChart::MaxSeries> shown;
    for (size_t n = 0; n < shown.size() && n < loaded.series.size(); ++n)
        shown[n] = {loaded.series[n].name, loaded.series[n].unit,
                    std::move(loaded.series[n].points)};
    m_chart->ShowRecording(loaded.seconds, shown);
    for (int n = 0; n < TrendChart::MaxSeries; ++n) {
        m_seriesUnits[size_t(n)] = shown[size_t(n)].unit;
        scaleSeries(n);
    }
    tcSensordata->setCurrentIndex(2);
}

void SensorPage::showRecordingState() {
    if (!m_recorder || !m_ctx.showRecording)
        return;
    const qint64 seconds = m_recorder->Start().secsTo(QDateTime::currentDateTime());
    m_ctx.showRecording(QStringLiteral("REC %1:%2 · %3 Zeilen")
                            .arg(seconds / 60)
                            .arg(seconds % 60, 2, 10, QLatin1Char('0'))
                            .arg(m_recorder->Rows()));
}

void SensorPage::sizeColumns() {
    // Designed for Tahoma; in a wider font a column widens to its widest
    // fixed text (title, PID, name, unit), so none of them is cut.
    const QFontMetrics metrics(SensorDataGrid->font());
    constexpr int Padding = 8;
    int widest[ColumnCount] = {};
    for (int c = 0; c < ColumnCount; ++c)
        widest[c] =
            metrics.horizontalAdvance(m_model->headerData(c, Qt::Horizontal).toString()) + Padding;
    const SensorTable& table = m_ctx.sensorTable;
    for (int k = 0; k < table.Count(); ++k) {
        const TSensorData& e = table[k];
        if (!e.IsSensor)
            continue;
        const auto fit = [&](int column, const QString& text) {
            widest[column] = std::max(widest[column], metrics.horizontalAdvance(text) + Padding);
        };
        fit(SensorModel::ColPid, e.Pid);
        // The long names of further PIDs end in an ellipsis instead of
        // pushing the value off the page; their tooltip holds them whole.
        if (k < SensorTable::Size)
            fit(SensorModel::ColName, e.Name);
        fit(SensorModel::ColUnit, e.UnitText);
        if (const UnitConversion* c = UsConversionOf(e.UnitText))
            fit(SensorModel::ColUnit, QString::fromUtf8(c->us));
    }
    for (int c = 0; c < ColumnCount; ++c)
        SensorDataGrid->setColumnWidth(c, std::max(ColumnWidths[c], widest[c]));
}

void SensorPage::ApplySupportedPids() {
    StopPollerAndWait(m_ctx);
    TSupportedPids scratch{};
    {
        BusyCursor busy;
        RunOffThread([&] { ReadSupportedPids(*m_ctx.link, scratch); });
    }
    m_poller->SetSupportedPids(scratch);
    refreshChoices();
}

void SensorPage::ApplySupportedPids(const TSupportedPids& flags) {
    m_poller->SetSupportedPids(flags);
    FillSensorGrid();
    refreshChoices();
}

void SensorPage::FillSensorGrid() {
    applyUnitSystem();
    m_model->Refill(cbShowNotSupported->isChecked());
}

void SensorPage::btnSensorsReadClick() {
    m_ctx.link->LogEvent(QStringLiteral("Sensordaten Read"));
    if (m_ctx.link->CheckCommFailure())
        return;
    bool answered = false;
    {
        BusyCursor busy;
        RunOffThread([&] { answered = CheckEcuLink(*m_ctx.link); });
    }
    if (!answered) {
        m_ctx.messages->Error(QStringLiteral("Keine Verbindung!!!"));
        return;
    }
    FillSensorGrid();
    // The chart leaves a loaded recording for the live values.
    m_chart->SetSpan(m_span->currentData().toDouble());
    for (int n = 0; n < int(m_panels.size()); ++n) {
        m_panels[size_t(n)]->ResetRange();
        nameSeries(n, m_panels[size_t(n)]->Chosen());
    }
    // The chart's time axis counts from this start.
    m_clock.restart();
    m_poller->SetFastRequests(HasFastRequests(m_ctx.chipIdentification));
    m_poller->Start(*m_ctx.link, m_ctx.busFraming);
}

void SensorPage::btnSensorsStopClick() {
    m_poller->RequestStop();
}

void SensorPage::cbShowNotSupportedClick() {
    FillSensorGrid();
    m_ctx.sensorTable.ShowNotSupported = cbShowNotSupported->isChecked();
}

void SensorPage::tcSensordataTabChanged(int index) {
    static const QString pages[] = {QStringLiteral("Tabelle"), QStringLiteral("Einzeln"),
                                    QStringLiteral("Diagramm")};
    if (index < 0 || index > 2)
        return;
    if (auto* page = nbSensordata->findChild<QWidget*>(pages[index], Qt::FindDirectChildrenOnly))
        nbSensordata->setCurrentWidget(page);
}

void SensorPage::SensorDataGridMouseUp(QPoint position) {
    const QModelIndex cell = SensorDataGrid->indexAt(position);
    if (cell.isValid() && cell.column() == SensorModel::ColEnabled)
        toggleEnabled(cell.row());
}

void SensorPage::toggleEnabled(int row) {
    m_model->ToggleEnabled(row);
}

bool SensorPage::eventFilter(QObject* watched, QEvent* event) {
    if (watched == SensorDataGrid->viewport() && event->type() == QEvent::MouseButtonRelease)
        SensorDataGridMouseUp(static_cast<QMouseEvent*>(event)->position().toPoint());
    // Space on the focused grid switches polling of the current row, as a
    // click on its E cell does.
    if (watched == SensorDataGrid && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Space) {
        if (SensorDataGrid->currentIndex().isValid())
            toggleEnabled(SensorDataGrid->currentIndex().row());
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void SensorPage::showEvent(QShowEvent* event) {
    // The unit system may have changed on the options page meanwhile.
    applyUnitSystem();
    QWidget::showEvent(event);
}

void SensorPage::SensorThreadStart() {
    btnSensorsRead->setEnabled(false);
    btnSensorsStop->setEnabled(true);
}

void SensorPage::NotifyEvent1() {
    FillSensorGrid();
    // The first pass after a connection finds out which further PIDs the
    // vehicle has.
    refreshChoices();
    Label6->setText(QString::number(Label6->text().toLongLong() + 1));
    showLive();
    if (m_recorder) {
        if (const auto failure =
                m_recorder->AppendPass(m_ctx.sensorTable, QDateTime::currentDateTime())) {
            StopRecording();
            m_ctx.messages->Error(*failure);
            return;
        }
        showRecordingState();
    }
}

void SensorPage::SensorThreadTerminate(const QString& error) {
    refreshChoices();
    btnSensorsRead->setEnabled(true);
    btnSensorsStop->setEnabled(false);
    if (!error.isEmpty())
        m_ctx.messages->Error(error);
}

} // namespace obd
