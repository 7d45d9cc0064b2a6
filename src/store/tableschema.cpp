#include "store/tableschema.h"

#include "common/errors.h"
#include "store/dbffile.h"

#include <QDir>
#include <QFileInfo>
#include <array>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace obd {

namespace {

// Numbers are N(11,0): wide enough for every 32-bit value with its sign.
// Readiness fields hold "complete", "incomplete" or "unsupported".
constexpr std::array kFields{
    // The next customer and visit numbers to hand out (only the first record is used).
    TableFieldDef{"options.dbf", "CUSTOMERNR", 'N', 11, 0},
    TableFieldDef{"options.dbf", "VISITNR", 'N', 11, 0},
    // One record per customer; ADDRESS holds the lines of the address
    // separated by CR LF.
    TableFieldDef{"customer.dbf", "NAME", 'C', 60, 0},
    TableFieldDef{"customer.dbf", "CUST_NR", 'N', 11, 0},
    TableFieldDef{"customer.dbf", "DATE", 'D', 8, 0},
    TableFieldDef{"customer.dbf", "ADDRESS", 'C', 254, 0},
    // One record per visit: a customer's vehicle read on one occasion. The
    // record is appended after its codes and carries COMPLETE = T, so a visit
    // is whole once its header is there.
    TableFieldDef{"dtchead.dbf", "HEAD_NR", 'N', 11, 0},
    TableFieldDef{"dtchead.dbf", "CUST_NR", 'N', 11, 0},
    TableFieldDef{"dtchead.dbf", "DATE", 'D', 8, 0},
    TableFieldDef{"dtchead.dbf", "VEHICLE", 'C', 60, 0},
    TableFieldDef{"dtchead.dbf", "VIN", 'C', 17, 0},
    TableFieldDef{"dtchead.dbf", "MILEAGE", 'N', 9, 0},
    TableFieldDef{"dtchead.dbf", "MIL_ON", 'L', 1, 0},
    TableFieldDef{"dtchead.dbf", "DTC_COUNT", 'N', 3, 0},
    TableFieldDef{"dtchead.dbf", "REMARK", 'C', 120, 0},
    TableFieldDef{"dtchead.dbf", "TIME", 'C', 8, 0},
    TableFieldDef{"dtchead.dbf", "PROTOCOL", 'C', 60, 0},
    TableFieldDef{"dtchead.dbf", "DIST_CLR", 'N', 9, 0},
    TableFieldDef{"dtchead.dbf", "RDY_MISF", 'C', 11, 0},
    TableFieldDef{"dtchead.dbf", "RDY_FUEL", 'C', 11, 0},
    TableFieldDef{"dtchead.dbf", "RDY_COMP", 'C', 11, 0},
    TableFieldDef{"dtchead.dbf", "RDY_CAT", 'C', 11, 0},
    TableFieldDef{"dtchead.dbf", "RDY_EVAP", 'C', 11, 0},
    TableFieldDef{"dtchead.dbf", "RDY_O2S", 'C', 11, 0},
    TableFieldDef{"dtchead.dbf", "RDY_O2SH", 'C', 11, 0},
    TableFieldDef{"dtchead.dbf", "FREEZE", 'C', 254, 0},
    TableFieldDef{"dtchead.dbf", "COMPLETE", 'L', 1, 0},
    // The trouble codes of a visit, with the text shown at the time; KIND is
    // "stored", "pending" or "permanent", UNIT the control unit that reported
    // it. A freeze frame longer than FREEZE continues in records of KIND
    // "freeze", its text in DESCRIPT.
    TableFieldDef{"dtcmain.dbf", "HEAD_NR", 'N', 11, 0},
    TableFieldDef{"dtcmain.dbf", "DTC", 'C', 5, 0},
    TableFieldDef{"dtcmain.dbf", "DESCRIPT", 'C', 200, 0},
    TableFieldDef{"dtcmain.dbf", "KIND", 'C', 9, 0},
    TableFieldDef{"dtcmain.dbf", "UNIT", 'C', 8, 0},
};

QString errnoText(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

// Writes bytes to a new file at path, made durable before it is closed.
void writeDurably(const QString& path, const QByteArray& bytes, mode_t mode,
                  const QString& context) {
    const QByteArray native = path.toLocal8Bit();
    const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    int error = fd < 0 ? errno : 0;
    qint64 done = 0;
    while (error == 0 && done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            error = n < 0 ? errno : ENOSPC;
        else
            done += n;
    }
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (fd >= 0)
        ::close(fd);
    if (error != 0) {
        ::unlink(native.constData());
        throw TableError(context +
                         QStringLiteral("Schreibfehler in \"%1\": %2").arg(path, errnoText(error)));
    }
}

} // namespace

std::span<const TableFieldDef> DeliveredFields() {
    return kFields;
}

std::vector<QString> DeliveredTableFiles() {
    std::vector<QString> files;
    for (const TableFieldDef& f : kFields)
        if (files.empty() || files.back() != QLatin1String(f.file))
            files.push_back(QLatin1String(f.file));
    return files;
}

std::vector<dbf::FieldSpec> FieldsOf(const QString& file) {
    std::vector<dbf::FieldSpec> fields;
    for (const TableFieldDef& f : kFields)
        if (file == QLatin1String(f.file))
            fields.push_back({QLatin1String(f.name), f.type, f.length, f.decimals});
    return fields;
}

QString LinesForField(const QString& text) {
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return lines;
}

QString LinesFromField(const QString& stored) {
    QString lines = stored;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return lines;
}

bool UpgradeTable(const QString& path, const std::vector<dbf::FieldSpec>& fields,
                  const QString& context) {
    dbf::DbfFile table;
    table.Open(path, context);
    std::vector<dbf::FieldSpec> all;
    for (const dbf::FieldDef& f : table.fields())
        all.push_back({f.name, f.type, f.length, f.decimals});
    const size_t own = all.size();
    for (const dbf::FieldSpec& wanted : fields) {
        const bool present = std::any_of(all.begin(), all.end(), [&](const dbf::FieldSpec& f) {
            return f.name.compare(wanted.name, Qt::CaseInsensitive) == 0;
        });
        if (!present)
            all.push_back(wanted);
    }
    if (all.size() == own)
        return false;

    QByteArray bytes = dbf::EmptyTable(all, table.header().languageDriver, QDate::currentDate());
    bytes.chop(1); // the end mark follows the records
    const int oldLength = table.header().recordLength;
    int newLength = 1;
    for (const dbf::FieldSpec& f : all)
        newLength += f.length;
    bytes.reserve(bytes.size() + qsizetype(table.RecordCount()) * newLength + 1);
    const QByteArray blanks(newLength - oldLength, ' ');
    for (int i = 0; i < table.RecordCount(); ++i) {
        bytes.append(table.Record(i), oldLength);
        bytes.append(blanks);
    }
    bytes.append(dbf::kEndMark);
    dbf::PutCountAndDate(bytes.data(), quint32(table.RecordCount()), QDate::currentDate());

    struct stat st {};
    const QByteArray native = path.toLocal8Bit();
    const mode_t mode = ::stat(native.constData(), &st) == 0 ? (st.st_mode & 07777) : 0644;
    table.Close();
    const QString fresh = path + QStringLiteral(".upgrade");
    writeDurably(fresh, bytes, mode, context);
    if (::rename(fresh.toLocal8Bit().constData(), native.constData()) != 0) {
        const int error = errno;
        ::unlink(fresh.toLocal8Bit().constData());
        throw TableError(context +
                         QStringLiteral("Schreibfehler in \"%1\": %2").arg(path, errnoText(error)));
    }
    // The rename itself becomes durable with the folder.
    const QByteArray folder = QFileInfo(path).absolutePath().toLocal8Bit();
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const int error = dir < 0 || ::fsync(dir) != 0 ? errno : 0;
    if (dir >= 0)
        ::close(dir);
    if (error != 0)
        throw TableError(context + QStringLiteral("Schreibfehler in \"%1\": %2")
                                       .arg(QString::fromLocal8Bit(folder), errnoText(error)));
    return true;
}

} // namespace obd
