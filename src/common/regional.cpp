#include "common/regional.h"

#include <QLocale>
#include <clocale>
#include <ctime>

namespace obd {
namespace {

std::tm toTm(const QDate& date, const QTime& time) {
    std::tm tm{};
    tm.tm_year = date.year() - 1900;
    tm.tm_mon = date.month() - 1;
    tm.tm_mday = date.day();
    tm.tm_hour = time.hour();
    tm.tm_min = time.minute();
    tm.tm_sec = time.second();
    tm.tm_wday = date.dayOfWeek() % 7;
    tm.tm_yday = date.dayOfYear() - 1;
    tm.tm_isdst = -1;
    return tm;
}

QString format(const char* pattern, const std::tm& tm) {
    char buffer[128];
    const std::size_t n = std::strftime(buffer, sizeof buffer, pattern, &tm);
    return QString::fromLocal8Bit(buffer, static_cast<qsizetype>(n));
}

} // namespace

void UseCNumericLocale() {
    std::setlocale(LC_NUMERIC, "C");
}

QString TimeStampText(const QDateTime& when) {
    const QTime time = when.time();
    const std::tm tm = toTm(when.date(), time);
    if (time == QTime(0, 0))
        return format("%x", tm);
    return format("%x %X", tm);
}

QString ShortDateText(const QDate& date) {
    return format("%x", toTm(date, QTime(0, 0)));
}

std::optional<QDate> ParseShortDate(const QString& text) {
    const QByteArray bytes = text.trimmed().toLocal8Bit();
    if (bytes.isEmpty())
        return std::nullopt;
    std::tm tm{};
    const char* end = strptime(bytes.constData(), "%x", &tm);
    if (end == nullptr || *end != '\0')
        return std::nullopt;
    const QDate date(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday);
    if (!date.isValid())
        return std::nullopt;
    return date;
}

QChar DecimalSeparator() {
    const QString point = QLocale::system().decimalPoint();
    return point.isEmpty() ? QChar('.') : point.front();
}

} // namespace obd
