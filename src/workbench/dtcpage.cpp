#include "workbench/dtcpage.h"

#include "link/link.h"
#include "session/troublecodes.h"
#include "widgets/pictures.h"
#include "workbench/context.h"
#include "workbench/look.h"
#include "workbench/messages.h"
#include "workbench/pagelook.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <utility>

namespace obd {

namespace {

constexpr int ItemHeight = 19;
constexpr int ListWidth = 90;

// After a pending code that is also permanent, and after a permanent code.
const QString PermanentMark = QStringLiteral(" (permanent)");

const QString DeleteQuestion = QStringLiteral("ACHTUNG!!!\r\n"
                                              "\r\n"
                                              "Es werden folgende Daten gelöscht:\r\n"
                                              "\r\n"
                                              "    Fehlercodes\r\n"
                                              "    Freeze-Frame Daten\r\n"
                                              "    On-Board-Diagnostic Testergebnisse\r\n"
                                              "\r\n"
                                              "Wollen Sie alle diese Daten wirklich löschen?");

// One trouble code per item: the error picture 3 pixels in from the item's
// corner, the text after it, 3 pixels below the top, on the list's colours.
class CodeItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& palette = option.palette;
        painter->fillRect(option.rect, selected ? palette.highlight() : palette.base());
        const QPixmap& icon = MarkPicture(Mark::Error);
        painter->drawPixmap(option.rect.topLeft() + QPoint(3, 3), icon);
        painter->setPen(selected ? palette.color(QPalette::HighlightedText)
                                 : palette.color(QPalette::Text));
        painter->drawText(option.rect.adjusted(icon.width() + 6, 3, 0, 0),
                          Qt::AlignLeft | Qt::AlignTop, index.data().toString());
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), ItemHeight};
    }
};

// The description a listed code of a saved visit carries.
constexpr int SavedDescriptionRole = Qt::UserRole + 1;

// Shows the saved description of the list's current item, if it has one.
bool showSavedDescription(const QListWidget* list, QPlainTextEdit* memo) {
    const QListWidgetItem* selected = list->currentItem();
    const QVariant saved = selected ? selected->data(SavedDescriptionRole) : QVariant();
    if (!saved.isValid())
        return false;
    memo->setPlainText(saved.toString());
    return true;
}

// A listed code: its text with its unit, the code alone in the item's data.
QListWidgetItem* AddCode(QListWidget* list, const QString& code, const QString& unit,
                         const QString& mark = {}) {
    auto* item = new QListWidgetItem(CodeWithUnit(code, unit) + mark, list);
    item->setData(Qt::UserRole, code);
    return item;
}

QLabel* heading(const QString& text, QWidget* parent) {
    return new QLabel(text, parent);
}

} // namespace

DtcPage::DtcPage(WorkbenchContext& ctx, QWidget* parent)
    : QWidget(parent), m_ctx(ctx), m_codes(new TroubleCodes(this)) {
    setObjectName(QStringLiteral("DTC"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(makePanel(QStringLiteral("Stored DTC's (Mode 01)"), DTC_ListBox,
                                QStringLiteral("DTC_ListBox"), DTC_Memo,
                                QStringLiteral("DTC_Memo")),
                      1);
    QWidget* pending = makePanel(QStringLiteral("Pending DTC's (Mode 07)"), ListBox1,
                                 QStringLiteral("ListBox1"), Memo1, QStringLiteral("Memo1"));
    pending->setFixedHeight(145);
    // Room for the answering unit and the permanent mark after a code.
    ListBox1->setFixedWidth(180);
    layout->addWidget(pending);

    auto* bar = new QHBoxLayout;
    auto* read =
        named(new QPushButton(QStringLiteral("Read"), this), QStringLiteral("TroubleCodesRead"));
    auto* erase = named(new QPushButton(QStringLiteral("Delete"), this),
                        QStringLiteral("TroubleCodesDelete"));
    bar->addWidget(read);
    bar->addWidget(erase);
    bar->addStretch(1);
    layout->addLayout(bar);

    MessageBoxes* boxes = m_ctx.messages;
    connect(read, &QPushButton::clicked, this,
            guarded(boxes, this, &DtcPage::TroubleCodesReadClick));
    connect(erase, &QPushButton::clicked, this, guarded(boxes, this, &DtcPage::FlatButton2Click));
    connect(DTC_ListBox, &QListWidget::itemClicked, this,
            guarded(boxes, this, &DtcPage::DTC_ListBoxClick));
    connect(ListBox1, &QListWidget::itemClicked, this,
            guarded(boxes, this, &DtcPage::ListBox1Click));
    connect(m_codes, &TroubleCodes::pendingRead, this, &DtcPage::ShowPendingCodes);
    connect(m_codes, &TroubleCodes::distancesRead, this, [this](const Distances& distances) {
        m_ctx.reading.odometerKm = distances.odometerKm;
        m_ctx.reading.distanceSinceClearKm = distances.sinceClearKm;
        if (m_ctx.showReadValues)
            m_ctx.showReadValues();
    });

    connect(m_codes, &TroubleCodes::monitorStatusRead, this, [this](const TMonitorStatus& s) {
        if (m_ctx.showMonitorStatus)
            m_ctx.showMonitorStatus(s);
    });
    connect(m_codes, &TroubleCodes::monitorStatusUnreadable, this, [this] {
        if (m_ctx.showMonitorStatusUnknown)
            m_ctx.showMonitorStatusUnknown();
    });
    connect(m_codes, &TroubleCodes::codesRead, this, &DtcPage::ShowTroubleCodes);
    connect(m_codes, &TroubleCodes::codesUnreadable, this, [this] {
        clearList();
        replaceCodes(true, {});
        m_ctx.storedCodesUnread = true;
    });
    connect(m_codes, &TroubleCodes::readFailed, this,
            [this](const QString& message) { m_readFailures << message; });
    connect(m_codes, &TroubleCodes::cleared, this, &DtcPage::showCleared);
    connect(m_codes, &TroubleCodes::clearRefused, this, [this](const QString& cause) {
        const QString refused = QStringLiteral("Löschvorgang fehlerhaft!");
        m_ctx.messages->Error(cause.isEmpty() ? refused : refused + QStringLiteral("\r\n") + cause);
    });
}

QWidget* DtcPage::makePanel(const QString& title, QListWidget*& list, const QString& listName,
                            QPlainTextEdit*& memo, const QString& memoName) {
    auto* panel = new QWidget(this);
    auto* layout = new QVBoxLayout(panel);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* bar = new QLabel(title, panel);
    bar->setStyleSheet(look::PanelBarStyle());
    layout->addWidget(bar);
    auto* columns = new QHBoxLayout;
    auto* left = new QVBoxLayout;
    QLabel* listHeading = heading(QStringLiteral("DTC"), panel);
    left->addWidget(listHeading);
    list = named(new QListWidget(panel), listName);
    labelFor(listHeading, list);
    list->setAccessibleDescription(title);
    list->setItemDelegate(new CodeItemDelegate(list));
    list->setUniformItemSizes(true);
    list->setFixedWidth(ListWidth);
    left->addWidget(list);
    auto* right = new QVBoxLayout;
    QLabel* memoHeading = heading(QStringLiteral("DTC-Beschreibung"), panel);
    right->addWidget(memoHeading);
    memo = named(new QPlainTextEdit(panel), memoName);
    labelFor(memoHeading, memo);
    memo->setReadOnly(true);
    right->addWidget(memo);
    columns->addLayout(left);
    columns->addLayout(right, 1);
    layout->addLayout(columns, 1);
    return panel;
}

void DtcPage::TroubleCodesReadClick() {
    m_ctx.link->LogEvent(QStringLiteral("Read DTC"));
    if (m_ctx.link->CheckCommFailure())
        return;
    StopPollerAndWait(m_ctx);
    endSavedVisit();
    m_readFailures.clear();
    {
        BusyCursor busy;
        m_codes->Read(*m_ctx.link, m_ctx.busFraming);
        if (m_ctx.vehicleBus) {
            m_codes->ReadPending(*m_ctx.vehicleBus, *m_ctx.link);
            m_codes->ReadDistances(*m_ctx.vehicleBus, *m_ctx.link, m_ctx.announcedPids);
        }
    }
    // One box for every part that could not be read.
    if (!m_readFailures.isEmpty())
        m_ctx.messages->Error(std::exchange(m_readFailures, {}).join(QStringLiteral("\r\n")));
}

void DtcPage::ShowPendingCodes(const CodeListReading& pending, const CodeListReading& permanent) {
    std::vector<VisitCode> read;
    for (const auto& [codes, kind] :
         {std::pair{&pending, CodeKind::Pending}, std::pair{&permanent, CodeKind::Permanent}})
        for (const UnitTroubleCode& c : codes->Optional().value_or(QList<UnitTroubleCode>{}))
            read.push_back({c.code, kind, codeDescription(c.code), c.unit});
    replaceCodes(false, read);
    listPending(m_ctx.reading.codes, false);
}

void DtcPage::replaceCodes(bool stored, const std::vector<VisitCode>& read) {
    std::vector<VisitCode> codes;
    for (const VisitCode& c : m_ctx.reading.codes)
        if ((c.kind == CodeKind::Stored) != stored)
            codes.push_back(c);
    codes.insert(stored ? codes.begin() : codes.end(), read.begin(), read.end());
    m_ctx.reading.codes = std::move(codes);
}

void DtcPage::listPending(const std::vector<VisitCode>& codes, bool saved) {
    ListBox1->clear();
    Memo1->clear();
    const auto listed = [&codes](CodeKind kind, const VisitCode& c) {
        return std::any_of(codes.begin(), codes.end(), [&](const VisitCode& o) {
            return o.kind == kind && o.code == c.code && o.unit == c.unit;
        });
    };
    // A code both pending and permanent is one item, marked.
    for (const VisitCode& c : codes) {
        if (c.kind == CodeKind::Stored ||
            (c.kind == CodeKind::Permanent && listed(CodeKind::Pending, c)))
            continue;
        const bool permanent = c.kind == CodeKind::Permanent || listed(CodeKind::Permanent, c);
        QListWidgetItem* item =
            AddCode(ListBox1, c.code, c.unit, permanent ? PermanentMark : QString());
        if (saved)
            item->setData(SavedDescriptionRole, c.description);
    }
}

void DtcPage::ListBox1Click() {
    Memo1->clear();
    if (showSavedDescription(ListBox1, Memo1))
        return;
    const QListWidgetItem* selected = ListBox1->currentItem();
    if (m_ctx.TroubleCodeTexts.isEmpty() || !selected || !selected->isSelected())
        return;
    for (const QString& line :
         FindTroubleCodeTexts(m_ctx.TroubleCodeTexts, selected->data(Qt::UserRole).toString()))
        Memo1->appendPlainText(line);
}

void DtcPage::clearList() {
    DTC_ListBox->clear();
    DTC_Memo->clear();
}

void DtcPage::endSavedVisit() {
    if (m_ctx.endSavedVisit)
        m_ctx.endSavedVisit();
}

void DtcPage::ShowSavedVisit(const VisitRecord& visit) {
    listCodes(visit.codes);
}

void DtcPage::EndSavedVisit() {
    listCodes(m_ctx.reading.codes);
}

void DtcPage::listCodes(const std::vector<VisitCode>& codes) {
    clearList();
    for (const VisitCode& c : codes) {
        if (c.kind != CodeKind::Stored)
            continue;
        AddCode(DTC_ListBox, c.code, c.unit)->setData(SavedDescriptionRole, c.description);
    }
    listPending(codes, true);
    for (const auto& [list, memo] : {std::pair{DTC_ListBox, DTC_Memo}, std::pair{ListBox1, Memo1}})
        if (list->count() > 0) {
            list->setCurrentRow(0);
            showSavedDescription(list, memo);
        }
}

void DtcPage::ShowTroubleCodes(const QList<UnitTroubleCode>& codes) {
    clearList();
    // A code followed by its control unit ("P0133 (Motor)") is wider than the
    // list: the list widens until every code shows whole.
    int widest = 0;
    for (const UnitTroubleCode& c : codes)
        widest = std::max(widest, DTC_ListBox->fontMetrics().horizontalAdvance(
                                      AddCode(DTC_ListBox, c.code, c.unit)->text()));
    const int scrollBar = DTC_ListBox->verticalScrollBar()->sizeHint().width();
    DTC_ListBox->setFixedWidth(std::max(ListWidth, MarkPicture(Mark::Error).width() + 6 + widest +
                                                       2 * DTC_ListBox->frameWidth() + scrollBar));
    std::vector<VisitCode> read;
    for (const UnitTroubleCode& c : codes)
        read.push_back({c.code, CodeKind::Stored, codeDescription(c.code), c.unit});
    m_ctx.storedCodesUnread = false;
    replaceCodes(true, read);
    if (DTC_ListBox->count() == 0)
        return;
    DTC_ListBox->setFocus();
    DTC_ListBox->setCurrentRow(0);
    DTC_ListBoxClick();
}

QString DtcPage::codeDescription(const QString& code) const {
    // The texts of the description file, one after the other, as far as the
    // visit's description field holds them (a single text always fits).
    const QStringList texts = FindTroubleCodeTexts(m_ctx.TroubleCodeTexts, code);
    return texts.join(QStringLiteral("; ")).left(kVisitDescriptionLength);
}

void DtcPage::DTC_ListBoxClick() {
    DTC_Memo->clear();
    if (showSavedDescription(DTC_ListBox, DTC_Memo))
        return;
    const QListWidgetItem* selected = DTC_ListBox->currentItem();
    if (m_ctx.TroubleCodeTexts.isEmpty() || !selected || !selected->isSelected())
        return;
    for (const QString& line :
         FindTroubleCodeTexts(m_ctx.TroubleCodeTexts, selected->data(Qt::UserRole).toString()))
        DTC_Memo->appendPlainText(line);
}

void DtcPage::FlatButton2Click() {
    m_ctx.link->LogEvent(QStringLiteral("Delete DTC"));
    if (m_ctx.link->CheckCommFailure())
        return;
    DeleteTroubleCodes();
}

void DtcPage::DeleteTroubleCodes() {
    if (m_ctx.messages->AskYesNoCancel(DeleteQuestion) != BoxButton::Yes)
        return;
    StopPollerAndWait(m_ctx);
    endSavedVisit();
    BusyCursor busy;
    m_codes->Clear(*m_ctx.link, m_ctx.busFraming);
}

void DtcPage::showCleared() {
    // Only a clear the vehicle confirmed changes what the pages show.
    if (m_ctx.showMilLamp)
        m_ctx.showMilLamp(false);
    clearList();
    ListBox1->clear();
    Memo1->clear();
    m_ctx.reading.codes.clear();
    m_ctx.storedCodesUnread = false;
    m_ctx.messages->Information(QStringLiteral("Löschvorgang erfolgreich abgeschlossen!"));
}

} // namespace obd
