#include "store/dtctexts.h"

#include "common/codec.h"
#include "common/errors.h"

#include <QFile>
#include <QFileInfo>

namespace obd {

namespace {

constexpr qsizetype CodeLength = 5;
constexpr qsizetype TextLength = 127;
constexpr char EndOfFile = 0x1A;

// Windows-1252 has one byte per character and maps no byte below 0x21 to a
// character above 32, so lines are cut, trimmed and shortened on the bytes and
// only the code and the kept text are decoded.
QString Decode(QByteArrayView bytes) {
    return fromCp1252(QByteArray::fromRawData(bytes.data(), bytes.size()));
}

// Blanks and control characters, removed from both ends of a description.
bool IsTrimmed(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

TTroubleCodeEntry EntryOf(QByteArrayView line) {
    TTroubleCodeEntry entry;
    entry.Code = Decode(line.first(qMin(line.size(), CodeLength)));
    QByteArrayView text = line.size() > CodeLength ? line.sliced(CodeLength) : QByteArrayView();
    while (!text.isEmpty() && IsTrimmed(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && IsTrimmed(text.back()))
        text.chop(1);
    entry.Text = Decode(text.first(qMin(text.size(), TextLength)));
    return entry;
}

} // namespace

TTroubleCodeFile ParseTroubleCodeTexts(const QByteArray& content) {
    QByteArrayView all(content);
    const qsizetype end = all.indexOf(EndOfFile);
    if (end >= 0)
        all.truncate(end);

    QList<TTroubleCodeEntry> entries;
    entries.reserve(all.count('\r') + 1);
    qsizetype pos = 0;
    while (pos < all.size()) {
        qsizetype cr = all.indexOf('\r', pos);
        if (cr < 0)
            cr = all.size();
        entries.append(EntryOf(all.sliced(pos, cr - pos)));
        pos = cr + 1;
        if (pos < all.size() && all[pos] == '\n')
            ++pos;
    }
    return TTroubleCodeFile(std::move(entries));
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
    return table.textsOf(code);
}

} // namespace obd
