#include "store/dtctexts.h"

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

// Blanks and control characters, removed from both ends of a description.
// Windows-1252 maps no byte below 0x21 to a character above 32, so lines are
// cut and trimmed on the bytes and kept as bytes.
bool IsTrimmed(char c) {
    return static_cast<unsigned char>(c) <= 0x20;
}

void AppendLine(TTroubleCodeFile& file, QByteArrayView line) {
    QByteArrayView text = line.size() > CodeLength ? line.sliced(CodeLength) : QByteArrayView();
    while (!text.isEmpty() && IsTrimmed(text.front()))
        text = text.sliced(1);
    while (!text.isEmpty() && IsTrimmed(text.back()))
        text.chop(1);
    file.Append(line.first(qMin(line.size(), CodeLength)),
                text.first(qMin(text.size(), TextLength)));
}

} // namespace

TTroubleCodeFile ParseTroubleCodeTexts(QByteArray content) {
    QByteArrayView all(content);
    const qsizetype end = all.indexOf(EndOfFile);
    if (end >= 0)
        all.truncate(end);

    // An entry takes at most its line and two length bytes; a line ends in
    // at least one byte, so the buffer is never larger than the content plus
    // one byte per line and one for a last line without an end.
    const qsizetype lines = all.count('\r') + 1;
    TTroubleCodeFile file;
    file.Reserve(all.size() + lines + 1, lines);
    qsizetype pos = 0;
    while (pos < all.size()) {
        qsizetype cr = all.indexOf('\r', pos);
        if (cr < 0)
            cr = all.size();
        AppendLine(file, all.sliced(pos, cr - pos));
        pos = cr + 1;
        if (pos < all.size() && all[pos] == '\n')
            ++pos;
    }
    // The content is no longer needed while the index is made.
    all = {};
    content = QByteArray();
    file.Index();
    return file;
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
    QByteArray content = file.readAll();
    if (file.error() != QFileDevice::NoError)
        throw FileError(QStringLiteral("Lesefehler in %1").arg(path));
    file.close();
    return ParseTroubleCodeTexts(std::move(content));
}

QStringList FindTroubleCodeTexts(const TTroubleCodeFile& table, const QString& code) {
    return table.textsOf(code);
}

} // namespace obd
