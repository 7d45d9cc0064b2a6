#include "services/adaptermessages.h"

#include <QRegularExpression>

namespace obd {

namespace {

bool IsDecimal(QChar c) {
    return c >= QLatin1Char('0') && c <= QLatin1Char('9');
}

bool Matches(const AdapterMessage& message, const QString& line) {
    const QLatin1String word(message.word);
    switch (message.match) {
    case MessageMatch::Line:
        return line == word;
    case MessageMatch::LineEnd:
        return line.endsWith(word);
    case MessageMatch::Number:
        return line.size() == word.size() + 2 && line.startsWith(word) &&
               IsDecimal(line[word.size()]) && IsDecimal(line[word.size() + 1]);
    }
    return false;
}

} // namespace

QString AdapterMessageText(const QString& reply) {
    static const QRegularExpression lineBreak(QStringLiteral("[\r\n]"));
    for (const QString& raw : reply.split(lineBreak, Qt::SkipEmptyParts)) {
        const QString line = raw.trimmed();
        for (const AdapterMessage& message : AdapterMessages)
            if (Matches(message, line))
                return QStringLiteral("Der Adapter meldet „%1“: %2")
                    .arg(line, QString::fromUtf8(message.cause));
    }
    return {};
}

} // namespace obd
