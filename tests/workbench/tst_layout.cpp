// Every page of the main window shows its texts whole: no label, button,
// check box, drop-down entry, grid title or grid value is wider than its box,
// and a value too wide for its cell keeps the whole value in its tooltip.
// CTest runs this at 96 and at 120 dpi.
#include "link/link.h"
#include "support_main.h"
#include "widgets/elidinglabel.h"
#include "workbench/infobox.h"
#include "workbench/sensorpage.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QStackedWidget>
#include <QStyleOptionComboBox>
#include <QTableView>
#include <QTest>
#include <QToolButton>

using namespace obd;
using namespace obd::test;

namespace {

// Room a button's frame and the text margins of cells and headers take.
constexpr int ButtonFrame = 4;
constexpr int CellMargin = 3;
// The OK or error picture before a list line's text, and its gap.
constexpr int StatePicture = 15 + 6;

QString where(const QWidget* w) {
    return w->objectName().isEmpty() ? QString::fromLatin1(w->metaObject()->className()) +
                                           QStringLiteral(" in ") + w->parentWidget()->objectName()
                                     : w->objectName();
}

// The faults found among the visible controls under root.
QStringList cutTexts(QWidget* root) {
    QStringList faults;
    const auto fault = [&](const QWidget* w, const QString& text, int need, int have) {
        faults << QStringLiteral("%1: \"%2\" needs %3, has %4")
                      .arg(where(w), text)
                      .arg(need)
                      .arg(have);
    };
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (!w->isVisible())
            continue;
        const QFontMetrics fm = w->fontMetrics();
        if (auto* label = qobject_cast<QLabel*>(w)) {
            const QString text = label->text();
            if (text.isEmpty() || label->wordWrap() || Qt::mightBeRichText(text))
                continue;
            // The device path ends in an ellipsis where it is too long; the
            // label's tooltip holds it whole.
            if (qobject_cast<ElidingLabel*>(label) &&
                label->objectName() == QLatin1String("COM_Label"))
                continue;
            const int need = fm.horizontalAdvance(text) + 2 * label->margin();
            if (need > label->contentsRect().width())
                fault(label, text, need, label->contentsRect().width());
            if (!label->parentWidget()->rect().contains(label->geometry()))
                faults << where(label) + QStringLiteral(": outside its panel");
        } else if (auto* check = qobject_cast<QCheckBox*>(w)) {
            if (check->sizeHint().width() > check->width())
                fault(check, check->text(), check->sizeHint().width(), check->width());
        } else if (auto* button = qobject_cast<QAbstractButton*>(w)) {
            const QString text = button->text().remove(QLatin1Char('&'));
            const int need = fm.horizontalAdvance(text) + 2 * ButtonFrame;
            if (!text.isEmpty() && need > button->width())
                fault(button, text, need, button->width());
        } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
            // The port list holds the machine's device paths, not texts of ours.
            if (combo->objectName() == QLatin1String("COM_CB"))
                continue;
            QStyleOptionComboBox option;
            option.initFrom(combo);
            option.editable = combo->isEditable();
            const int have = combo->style()
                                 ->subControlRect(QStyle::CC_ComboBox, &option,
                                                  QStyle::SC_ComboBoxEditField, combo)
                                 .width();
            for (int i = 0; i < combo->count(); ++i) {
                const int need = fm.horizontalAdvance(combo->itemText(i)) + 2 * ButtonFrame;
                if (need > have)
                    fault(combo, combo->itemText(i), need, have);
            }
        } else if (auto* view = qobject_cast<QAbstractItemView*>(w)) {
            const QAbstractItemModel* model = view->model();
            auto* table = qobject_cast<QTableView*>(view);
            for (int c = 0; c < model->columnCount(); ++c) {
                const int width = table ? table->columnWidth(c) : view->viewport()->width();
                if (table && !table->isColumnHidden(c) &&
                    table->columnViewportPosition(c) + width > view->viewport()->width())
                    faults << where(view) +
                                  QStringLiteral(": column %1 beyond the grid's edge").arg(c);
                if (table && !table->horizontalHeader()->isHidden()) {
                    const QString title = model->headerData(c, Qt::Horizontal).toString();
                    const QHeaderView* header = table->horizontalHeader();
                    const int need =
                        header->fontMetrics().horizontalAdvance(title) + 2 * CellMargin;
                    if (need > header->sectionSize(c))
                        fault(view, title, need, header->sectionSize(c));
                }
                for (int r = 0; r < model->rowCount(); ++r) {
                    const QModelIndex index = model->index(r, c);
                    const QString text = index.data().toString();
                    int need = fm.horizontalAdvance(text) + 2 * CellMargin;
                    if (qobject_cast<QListWidget*>(view))
                        need += StatePicture;
                    if (need > width && index.data(Qt::ToolTipRole).toString() != text)
                        fault(view, text, need, width);
                }
            }
        }
    }
    return faults;
}

} // namespace

class TestLayout : public QObject {
    Q_OBJECT
private slots:
    void everyPageShowsItsTextsWhole();
};

void TestLayout::everyPageShowsItsTextsWhole() {
    // A long device path makes the status list's first line wider than the list.
    QTemporaryDir linkDir;
    Simulator sim({}, linkDir.filePath(QStringLiteral("an-adapter-with-a-rather-long-name")));
    MainFixture f;
    f.storePort(sim.linkPath());
    TfMain& w = f.start();
    w.Timer1().stop();
    auto* notebook = child<QStackedWidget>(&w, QStringLiteral("Notebook"));

    const auto checkAllPages = [&](const char* when) {
        QStringList faults = cutTexts(&w);
        for (int p = 0; p < notebook->count(); ++p) {
            notebook->setCurrentIndex(p);
            QCoreApplication::processEvents();
            faults += cutTexts(notebook->currentWidget());
            // Pages within a page (the sensor page's "Einzeln").
            for (auto* inner : notebook->currentWidget()->findChildren<QStackedWidget*>()) {
                for (int i = 1; i < inner->count(); ++i) {
                    inner->setCurrentIndex(i);
                    QCoreApplication::processEvents();
                    faults += cutTexts(inner->currentWidget());
                }
                inner->setCurrentIndex(0);
            }
        }
        notebook->setCurrentIndex(0);
        // The about box.
        auto* info = w.findChild<TfInfo*>();
        info->show();
        QCoreApplication::processEvents();
        faults += cutTexts(info);
        info->hide();
        faults.removeDuplicates();
        QVERIFY2(faults.isEmpty(), qPrintable(QString::fromLatin1(when) + QStringLiteral(":\n") +
                                              faults.join(QLatin1Char('\n'))));
    };
    checkAllPages("at start-up");

    f.runTimer();
    QCOMPARE(f.shown.size(), 0);
    // Every sensor row, and values as long as a decoder gives them.
    child<QCheckBox>(&w, QStringLiteral("cbShowNotSupported"))->click();
    SensorTable& table = w.Context().sensorTable;
    for (int k = 0; k < SensorTable::Size; ++k)
        table.SetValue(k, QStringLiteral("50,1960784313725"));
    w.findChild<SensorPage*>()->FillSensorGrid();
    checkAllPages("after the connection sequence");
}

QTEST_MAIN(TestLayout)
#include "tst_layout.moc"
