#include "store/dtctexts.h"

#include "common/codec.h"
#include "common/errors.h"

#include <QFile>
#include <QFileInfo>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace obd {

namespace {

constexpr qsizetype CodeLength = 5;
constexpr qsizetype TextLength = 127;
// A description file beyond this is not one: it would only take the memory.
constexpr qint64 MaxFileBytes = 64 * 1024 * 1024;
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
    if (!QFileInfo::exists(path))
        throw FileError(QStringLiteral("Datei nicht gefunden"));
    // Not blocking, so a FIFO in the file's place cannot stall start-up; only
    // a regular file of a sane size is read.
    const int fd = ::open(path.toLocal8Bit().constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        throw FileError(QStringLiteral("Datei kann nicht geöffnet werden: %1").arg(path));
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw FileError(QStringLiteral("Datei kann nicht geöffnet werden: %1").arg(path));
    }
    struct stat st {};
    if (::fstat(fd, &st) < 0 || !S_ISREG(st.st_mode))
        throw FileError(QStringLiteral("Datei %1 ist keine gewöhnliche Datei").arg(path));
    if (st.st_size > MaxFileBytes)
        throw FileError(QStringLiteral("Datei %1 ist zu groß (mehr als %2 MB)")
                            .arg(path)
                            .arg(MaxFileBytes / (1024 * 1024)));
    const QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError(QStringLiteral("Lesefehler in %1").arg(path));
    return ParseTroubleCodeTexts(content);
}

QStringList FindTroubleCodeTexts(const TTroubleCodeFile& table, const QString& code) {
    return table.textsOf(code);
}

} // namespace obd
