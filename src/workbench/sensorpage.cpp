#include "workbench/sensorpage.h"

#include "common/sensortable.h"
#include "link/link.h"
#include "services/j1979.h"
#include "session/offthread.h"
#include "session/sensorpoller.h"
#include "widgets/pictures.h"
#include "workbench/context.h"
#include "workbench/look.h"
#include "workbench/messages.h"
#include "workbench/pagelook.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace obd {

namespace {

enum Column { ColEnabled, ColSupported, ColPid, ColName, ColValue, ColUnit, ColumnCount };

struct GridColumn {
    const char* title;
    int width;
};
constexpr GridColumn GridColumns[ColumnCount] = {{" E", 15},      {" S", 17},     {"PID", 22},
                                                 {"Sensor", 228}, {"Value", 101}, {"", 42}};

constexpr int RowHeight = 17;

const QString One = QStringLiteral("1");
const QString NotAvailable = QStringLiteral("N/A");

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
        case ColEnabled:
            QStyledItemDelegate::paint(painter, option, index);
            painter->drawPixmap(cell.left(), cell.top() + 1,
                                MarkPicture(text == One ? Mark::BoxOn : Mark::BoxOff));
            return;
        case ColSupported:
            painter->fillRect(cell, look::Cell);
            painter->drawPixmap(cell.left() + 1, cell.top() + 2,
                                MarkPicture(text == One ? Mark::Ok : Mark::Error));
            return;
        case ColValue: {
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

struct SinglePanel {
    QPoint at;
    const char* caption;
};
constexpr SinglePanel SinglePanels[] = {
    {{8, 12}, "7500,0"}, {{236, 12}, "156,2"}, {{8, 156}, "13,8"}, {{236, 156}, "0,0"}};

} // namespace

SensorPage::SensorPage(WorkbenchContext& ctx, QWidget* parent) : QWidget(parent), m_ctx(ctx) {
    setObjectName(QStringLiteral("Sensordaten"));
    m_ctx.sensorTable.SetUp([](int pid) {
        const PidInfo& info = PidTable[size_t(pid - 1)];
        return SensorRowInfo{QString::fromUtf8(info.name), QString::fromUtf8(info.unit),
                             info.sensorRow};
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 0);
    layout->setSpacing(0);
    tcSensordata = named(new QTabBar(this), QStringLiteral("tcSensordata"));
    tcSensordata->addTab(QStringLiteral("Tabelle"));
    tcSensordata->addTab(QStringLiteral("Einzeln"));
    layout->addWidget(tcSensordata);
    nbSensordata = named(new QStackedWidget(this), QStringLiteral("nbSensordata"));
    layout->addWidget(nbSensordata, 1);

    auto* table = new QWidget(nbSensordata);
    table->setObjectName(QStringLiteral("Tabelle"));
    auto* tableLayout = new QVBoxLayout(table);
    tableLayout->setContentsMargins(0, 0, 0, 0);
    SensorDataGrid =
        named(new QTableWidget(1, ColumnCount, table), QStringLiteral("SensorDataGrid"));
    for (int c = 0; c < ColumnCount; ++c) {
        SensorDataGrid->setHorizontalHeaderItem(
            c, new QTableWidgetItem(QLatin1String(GridColumns[c].title)));
    }
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

    m_poller = new SensorPoller(m_ctx.sensorTable, this);
    connect(m_poller, &SensorPoller::started, this, &SensorPage::SensorThreadStart);
    connect(m_poller, &SensorPoller::passCompleted, this, &SensorPage::NotifyEvent1);
    connect(m_poller, &SensorPoller::ended, this, &SensorPage::SensorThreadTerminate);
    m_ctx.pollerRunning = [this] { return m_poller->Running(); };
    m_ctx.requestPollerStop = [this] { m_poller->RequestStop(); };
    m_ctx.waitForPollerIdle = [this] { m_poller->WaitUntilIdle(); };

    FillSensorGrid();
}

SensorPage::~SensorPage() {
    // The worker must end before the page it refreshes goes away.
    m_ctx.pollerRunning = nullptr;
    m_ctx.requestPollerStop = nullptr;
    m_ctx.waitForPollerIdle = nullptr;
    delete m_poller;
}

SensorThread& SensorPage::Poller() {
    return m_poller->Thread();
}

QWidget* SensorPage::makeSinglePage() {
    auto* page = new QWidget(nbSensordata);
    page->setObjectName(QStringLiteral("Einzeln"));
    QFont listFont(QStringLiteral("Tahoma"));
    listFont.setPixelSize(11);
    listFont.setBold(true);
    QFont valueFont(listFont);
    valueFont.setPixelSize(48);
    int n = 1;
    for (const SinglePanel& p : SinglePanels) {
        auto* panel = new QFrame(page);
        panel->setFrameShape(QFrame::StyledPanel);
        panel->setGeometry(QRect(p.at, QSize(221, 133)));
        auto* list = named(new QComboBox(panel), QStringLiteral("cbSD%1").arg(n++));
        list->setGeometry(8, 8, 205, 21);
        list->setFont(listFont);
        list->setStyleSheet(look::PageFieldStyle());
        auto* value = new QLabel(QLatin1String(p.caption), panel);
        value->setGeometry(8, 36, 205, 89);
        value->setFont(valueFont);
    }
    return page;
}

void SensorPage::sizeColumns() {
    // Designed for Tahoma; in a wider font a column widens to its widest
    // fixed text (title, PID, name, unit), so none of them is cut.
    const QFontMetrics metrics(SensorDataGrid->font());
    constexpr int Padding = 8;
    int widest[ColumnCount] = {};
    for (int c = 0; c < ColumnCount; ++c)
        widest[c] = metrics.horizontalAdvance(QLatin1String(GridColumns[c].title)) + Padding;
    const SensorTable& table = m_ctx.sensorTable;
    for (int k = 0; k < SensorTable::Size; ++k) {
        const TSensorData& e = table[k];
        if (!e.IsSensor)
            continue;
        const auto fit = [&](int column, const QString& text) {
            widest[column] = std::max(widest[column], metrics.horizontalAdvance(text) + Padding);
        };
        fit(ColPid, e.Pid);
        fit(ColName, e.Name);
        fit(ColUnit, e.UnitText);
    }
    for (int c = 0; c < ColumnCount; ++c)
        SensorDataGrid->setColumnWidth(c, std::max(GridColumns[c].width, widest[c]));
}

void SensorPage::ApplySupportedPids() {
    StopPollerAndWait(m_ctx);
    TSupportedPids scratch{};
    {
        BusyCursor busy;
        RunOffThread([&] { ReadSupportedPids(*m_ctx.link, scratch); });
    }
    m_poller->SetSupportedPids(scratch);
}

void SensorPage::ApplySupportedPids(const TSupportedPids& flags) {
    m_poller->SetSupportedPids(flags);
    FillSensorGrid();
}

void SensorPage::FillSensorGrid() {
    const SensorTable& table = m_ctx.sensorTable;
    const bool showAll = cbShowNotSupported->isChecked();
    const auto put = [this](int row, int column, const QString& text) {
        QTableWidgetItem* item = SensorDataGrid->item(row, column);
        if (!item)
            SensorDataGrid->setItem(row, column, new QTableWidgetItem(text));
        else if (item->text() != text)
            item->setText(text);
    };
    int row = 0;
    for (int k = 0; k < SensorTable::Size; ++k) {
        const TSensorData& e = table[k];
        const bool supported = e.Supported;
        if (!e.IsSensor || !(supported || showAll))
            continue;
        if (SensorDataGrid->rowCount() <= row)
            SensorDataGrid->setRowCount(row + 1);
        const bool polled = supported && e.Enabled;
        put(row, ColEnabled, polled ? One : QStringLiteral("0"));
        put(row, ColSupported, supported ? One : QStringLiteral("0"));
        put(row, ColPid, e.Pid);
        put(row, ColName, e.Name);
        const QString value = polled ? table.Value(k) : NotAvailable;
        put(row, ColValue, value);
        if (QTableWidgetItem* item = SensorDataGrid->item(row, ColValue); item->toolTip() != value)
            item->setToolTip(value);
        put(row, ColUnit, e.UnitText);
        ++row;
    }
    SensorDataGrid->setRowCount(std::max(row, 1));
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
    static const QString pages[] = {QStringLiteral("Tabelle"), QStringLiteral("Einzeln")};
    if (index < 0 || index > 1)
        return;
    if (auto* page = nbSensordata->findChild<QWidget*>(pages[index], Qt::FindDirectChildrenOnly))
        nbSensordata->setCurrentWidget(page);
}

void SensorPage::SensorDataGridMouseUp(QPoint position) {
    const QModelIndex cell = SensorDataGrid->indexAt(position);
    if (cell.isValid() && cell.column() == ColEnabled)
        toggleEnabled(cell.row());
}

void SensorPage::toggleEnabled(int row) {
    const auto text = [this, row](int column) {
        const QTableWidgetItem* item = SensorDataGrid->item(row, column);
        return item ? item->text() : QString();
    };
    if (text(ColSupported) == One) {
        const QString toggled = text(ColEnabled) == One ? QStringLiteral("0") : One;
        if (QTableWidgetItem* item = SensorDataGrid->item(row, ColEnabled))
            item->setText(toggled);
    }
    const int k = m_ctx.sensorTable.IndexOfPid(text(ColPid));
    if (k >= 0)
        m_ctx.sensorTable[k].Enabled = text(ColEnabled) == One;
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

void SensorPage::SensorThreadStart() {
    btnSensorsRead->setEnabled(false);
    btnSensorsStop->setEnabled(true);
}

void SensorPage::NotifyEvent1() {
    FillSensorGrid();
    Label6->setText(QString::number(Label6->text().toLongLong() + 1));
}

void SensorPage::SensorThreadTerminate(const QString& error) {
    btnSensorsRead->setEnabled(true);
    btnSensorsStop->setEnabled(false);
    if (!error.isEmpty())
        m_ctx.messages->Error(error);
}

} // namespace obd
