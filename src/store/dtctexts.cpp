#include "store/dtctexts.h"

#include "common/codec.h"
#include "common/errors.h"

#include <QFile>
#include <QFileInfo>

namespace obd {

namespace {

constexpr qsizetype CodeLength = 5;
constexpr qsizetype TextLength = 127;
constexpr char16_t EndOfFile = 0x1A;

// Blanks and control characters, removed from both ends of a description.
bool IsTrimmed(QChar c) {
    return c.unicode() <= 0x20;
}

TTroubleCodeEntry EntryOf(QStringView line) {
    TTroubleCodeEntry entry;
    entry.Code = line.left(CodeLength).toString();
    QStringView text = line.size() > CodeLength ? line.mid(CodeLength) : QStringView();
    while (!text.isEmpty() && IsTrimmed(text.front()))
        text = text.mid(1);
    while (!text.isEmpty() && IsTrimmed(text.back()))
        text.chop(1);
    entry.Text = text.left(TextLength).toString();
    return entry;
}

} // namespace

TTroubleCodeFile ParseTroubleCodeTexts(const QByteArray& content) {
    QString text = fromCp1252(content);
    const qsizetype end = text.indexOf(QChar(EndOfFile));
    if (end >= 0)
        text.truncate(end);

    TTroubleCodeFile entries;
    const QStringView all(text);
    qsizetype pos = 0;
    while (pos < all.size()) {
        qsizetype cr = all.indexOf(QLatin1Char('\r'), pos);
        if (cr < 0)
            cr = all.size();
        entries.append(EntryOf(all.mid(pos, cr - pos)));
        pos = cr + 1;
        if (pos < all.size() && all[pos] == QLatin1Char('\n'))
            ++pos;
    }
    return entries;
}

TTroubleCodeFile LoadTroubleCodeTexts(const QString& path) {
    QFile file(path);
    if (!QFileInfo::exists(path))
        throw FileError(QStringLiteral("Datei nicht gefunden"));
    if (!file.open(QIODevice::ReadOnly))
        throw FileError(QStringLiteral("Datei kann nicht geöffnet werden: %1").arg(path));
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError(QStringLiteral("Lesefehler in %1").arg(path));
    return ParseTroubleCodeTexts(content);
}

QStringList FindTroubleCodeTexts(const TTroubleCodeFile& table, const QString& code) {
    QStringList texts;
    for (const TTroubleCodeEntry& entry : table)
        if (entry.Code == code)
            texts.append(entry.Text);
    return texts;
}

} // namespace obd
