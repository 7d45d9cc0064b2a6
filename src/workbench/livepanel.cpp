#include "workbench/livepanel.h"

#include "common/regional.h"
#include "link/link.h"
#include "services/pidvalues.h"
#include "workbench/look.h"
#include "workbench/pagelook.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>

namespace obd {

namespace {

const QString NotAvailable = QStringLiteral("N/A");
constexpr int ValuePixels = 48;

} // namespace

LivePanel::LivePanel(int number, QWidget* parent) : QFrame(parent) {
    setFrameShape(QFrame::StyledPanel);
    QFont listFont(QStringLiteral("Tahoma"));
    listFont.setPixelSize(11);
    listFont.setBold(true);
    m_list = named(new QComboBox(this), QStringLiteral("cbSD%1").arg(number));
    m_list->setGeometry(8, 8, 205, 21);
    m_list->setFont(listFont);
    m_list->setStyleSheet(look::PageFieldStyle());
    QFont valueFont(listFont);
    valueFont.setPixelSize(ValuePixels);
    m_value = named(new QLabel(NotAvailable, this), QStringLiteral("SDValue%1").arg(number));
    m_value->setGeometry(8, 32, 205, 58);
    m_value->setFont(valueFont);
    m_value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_unit = named(new QLabel(this), QStringLiteral("SDUnit%1").arg(number));
    m_unit->setGeometry(8, 88, 205, 14);
    m_unit->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_range = named(new QLabel(this), QStringLiteral("SDRange%1").arg(number));
    m_range->setGeometry(8, 106, 140, 20);
    m_reset = named(new QPushButton(QStringLiteral("Reset"), this),
                    QStringLiteral("SDReset%1").arg(number));
    m_reset->setGeometry(213 - buttonWidth(m_reset, 60), 104, buttonWidth(m_reset, 60), 23);
    connect(m_reset, &QPushButton::clicked, this, &LivePanel::ResetRange);
    connect(m_list, &QComboBox::currentIndexChanged, this, &LivePanel::choiceChanged);
    connect(m_list, &QComboBox::activated, this, [this] { emit picked(Chosen()); });
}

void LivePanel::SetChoices(const QList<std::pair<int, QString>>& choices, int preferred) {
    const int before = Chosen();
    {
        const QSignalBlocker quiet(m_list);
        m_list->clear();
        for (const auto& [entry, name] : choices)
            m_list->addItem(name, entry);
        const int keep = m_list->findData(preferred);
        m_list->setCurrentIndex(keep >= 0 ? keep : (m_list->count() > 0 ? 0 : -1));
    }
    if (Chosen() != before)
        choiceChanged();
}

void LivePanel::choiceChanged() {
    ResetRange();
    showValue(NotAvailable);
    m_value->setToolTip(QString());
    m_unit->clear();
    emit chosen(Chosen());
}

int LivePanel::Chosen() const {
    return m_list->currentIndex() < 0 ? -1 : m_list->currentData().toInt();
}

void LivePanel::Show(const SensorReading& reading, const QString& unit) {
    const bool failed = reading.text == NotAvailable || reading.text == ReplyError;
    showValue(failed ? NotAvailable : DisplayText(reading, DecimalSeparator()));
    m_value->setToolTip(failed ? QString() : reading.text);
    m_unit->setText(unit);
    if (!reading.number || failed)
        return;
    m_decimals = reading.decimals;
    m_min = std::min(m_min.value_or(*reading.number), *reading.number);
    m_max = std::max(m_max.value_or(*reading.number), *reading.number);
    const QChar sep = DecimalSeparator();
    m_range->setText(QStringLiteral("%1 … %2").arg(DisplayText(*m_min, m_decimals, sep),
                                                   DisplayText(*m_max, m_decimals, sep)));
}

void LivePanel::ResetRange() {
    m_min.reset();
    m_max.reset();
    m_range->clear();
}

void LivePanel::showValue(const QString& text) {
    if (m_value->text() == text)
        return;
    // A long state text gets a smaller font, so it shows whole.
    QFont font = m_value->font();
    font.setPixelSize(ValuePixels);
    while (font.pixelSize() > 10 && QFontMetrics(font).horizontalAdvance(text) > m_value->width())
        font.setPixelSize(font.pixelSize() - 2);
    m_value->setFont(font);
    m_value->setText(text);
}

} // namespace obd
