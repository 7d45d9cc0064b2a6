// The user's regional formats: time stamps, the short date of customer records
// and the decimal separator of shown values. Dates and times follow the C
// library's LC_TIME (%x, %X); machine formats never depend on the locale.
#pragma once

#include <QChar>
#include <QDate>
#include <QDateTime>
#include <QString>
#include <optional>

namespace obd {

// Call right after the application object exists: Qt sets every locale
// category from the environment, and number parsing must stay in "C".
void UseCNumericLocale();

// Short date, a blank and the long time; at exactly midnight the time and its
// blank are left out. Used in front of every protocol log line.
QString TimeStampText(const QDateTime& when = QDateTime::currentDateTime());

// The short date format (%x) for showing and reading customer dates.
QString ShortDateText(const QDate& date);
std::optional<QDate> ParseShortDate(const QString& text);

// Decimal separator of the user's regional settings.
QChar DecimalSeparator();

} // namespace obd
