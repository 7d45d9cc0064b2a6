#include "store/tablestore.h"

#include "common/errors.h"
#include "store/tableschema.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/file.h>
#include <unistd.h>

namespace obd {

TableStore::TableStore() {
    tCustomer.BeforePost = [this](Dataset& customer) { tCustomerBeforePost(customer); };
}

TableStore::~TableStore() {
    unlockFolder();
}

void TableStore::lockFolder(const QString& dataFolder) {
    unlockFolder();
    m_readOnlyNotice.clear();
    // The lock sits on the data folder itself: the table files are replaced
    // when they are upgraded, the folder never is. flock belongs to this open
    // folder, so it ends with the process however that ends, and two stores
    // in one process exclude each other too. A folder that cannot be opened
    // is left to the table openings, which report it.
    const QByteArray path = QFile::encodeName(dataFolder);
    const int fd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        m_lockFd = fd;
        return;
    }
    const int error = errno;
    ::close(fd);
    if (error != EWOULDBLOCK)
        throw TableError(QStringLiteral("Der Ordner \"%1\" kann nicht gesperrt werden: %2")
                             .arg(dataFolder, QString::fromLocal8Bit(std::strerror(error))));
    m_readOnlyNotice =
        QStringLiteral("Die Tabellen in \"%1\" werden von einem anderen laufenden Programm "
                       "benutzt. Dieses Programm kann sie nur lesen; Speichern ist nicht möglich.")
            .arg(dataFolder);
}

void TableStore::unlockFolder() {
    if (m_lockFd >= 0)
        ::close(m_lockFd);
    m_lockFd = -1;
}

namespace {

// Why the tables in dataFolder cannot be written (a write-protected stick, a
// read-only mount, files or a folder the user may only read); "" when they can.
QString WhyNotWritable(const QString& dataFolder, const std::initializer_list<Dataset*>& tables) {
    QStringList places{dataFolder};
    for (const Dataset* table : tables)
        places << table->FilePath();
    for (const QString& place : places)
        if (QFile::exists(place) && ::access(QFile::encodeName(place).constData(), W_OK) != 0)
            return QString::fromLocal8Bit(std::strerror(errno));
    return {};
}

} // namespace

void TableStore::OpenAll(const QString& dataFolder) {
    QDir().mkpath(dataFolder); // an existing folder, or a failure the openings report
    const auto tables = {&tOptions, &tCustomer, &tDTCHead, &tDTCMain};
    for (Dataset* table : tables) {
        table->Close();
        table->SetFolder(dataFolder);
    }
    lockFolder(dataFolder);
    QString refusal;
    if (ReadOnly()) {
        refusal = QStringLiteral("Speichern nicht möglich: die Tabellen werden von einem "
                                 "anderen laufenden Programm benutzt");
    } else if (const QString why = WhyNotWritable(dataFolder, tables); !why.isEmpty()) {
        // Shown and read all the same, so the records are there to look at.
        m_readOnlyNotice =
            QStringLiteral("Die Tabellen in \"%1\" sind schreibgeschützt (%2). Dieses Programm "
                           "kann sie nur lesen; Speichern ist nicht möglich.")
                .arg(dataFolder, why);
        refusal = QStringLiteral("Speichern nicht möglich: die Tabellen in \"%1\" sind "
                                 "schreibgeschützt")
                      .arg(dataFolder);
    }
    for (Dataset* table : tables) {
        table->SetReadOnly(refusal);
        if (!ReadOnly() && QFile::exists(table->FilePath()))
            UpgradeTable(table->FilePath(), FieldsOf(table->FileName()),
                         table->objectName() + QStringLiteral(": "));
        table->Open();
    }
}

qint32 TableStore::TakeNumber(const QString& counterField) {
    tOptions.First();
    Field counter = tOptions.FieldByName(counterField);
    const qint32 next = counter.AsInteger();
    if (next == std::numeric_limits<qint32>::max())
        throw TableError(
            QStringLiteral("tOptions: Die Nummern im Feld '%1' sind erschöpft").arg(counterField));
    try {
        tOptions.Edit();
        counter.SetAsInteger(next + 1);
        tOptions.Post();
    } catch (...) {
        tOptions.Cancel();
        throw;
    }
    return next;
}

void TableStore::tCustomerBeforePost(Dataset& customer) {
    Field number = customer.FieldByName(QStringLiteral("CUST_NR"));
    if (!number.AsString().isEmpty())
        return;
    // The counter is advanced and stored before the number is given to the
    // customer: if storing it fails, the customer stays unnumbered and the
    // same number cannot be handed out twice.
    number.SetAsInteger(TakeNumber(QStringLiteral("CUSTOMERNR")));
}

} // namespace obd
