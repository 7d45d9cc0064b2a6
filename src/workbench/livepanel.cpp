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
    m_reading = SensorReading{NotAvailable, std::nullopt, 0};
    m_readingUnit.clear();
    showValue(NotAvailable);
    m_value->setToolTip(QString());
    m_unit->clear();
    emit chosen(Chosen());
}

int LivePanel::Chosen() const {
    return m_list->currentIndex() < 0 ? -1 : m_list->currentData().toInt();
}

void LivePanel::Show(const SensorReading& reading, const QString& unit) {
    m_reading = reading;
    m_readingUnit = unit;
    const bool failed = reading.text == NotAvailable || reading.text == ReplyError;
    if (reading.number && !failed) {
        m_decimals = reading.decimals;
        m_min = std::min(m_min.value_or(*reading.number), *reading.number);
        m_max = std::max(m_max.value_or(*reading.number), *reading.number);
    }
    render();
}

void LivePanel::SetUnitSystem(UnitSystem system) {
    m_units = system;
    render();
}

void LivePanel::render() {
    const bool failed = m_reading.text == NotAvailable || m_reading.text == ReplyError;
    const QChar sep = DecimalSeparator();
    const auto shown = [this](double v, int decimals) {
        return InUnitSystem(v, m_readingUnit, decimals, m_units);
    };
    if (failed || !m_reading.number) {
        showValue(failed ? NotAvailable : m_reading.text);
        m_value->setToolTip(failed ? QString() : m_reading.text);
    } else {
        const ShownValue value = shown(*m_reading.number, m_reading.decimals);
        showValue(DisplayText(value.value, value.decimals, sep));
        m_value->setToolTip(m_units == UnitSystem::Metric ? m_reading.text
                                                          : DecimalForm(value.value, sep));
    }
    m_unit->setText(shown(0, 0).unit);
    if (!m_min || !m_max)
        return;
    const ShownValue lo = shown(*m_min, m_decimals);
    const ShownValue hi = shown(*m_max, m_decimals);
    m_range->setText(QStringLiteral("%1 … %2").arg(DisplayText(lo.value, lo.decimals, sep),
                                                   DisplayText(hi.value, hi.decimals, sep)));
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
