#include "support_tables.h"

#include "common/errors.h"
#include "support/testenv.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

namespace obd::test {

void makeTable(const QString& path, const std::vector<dbf::FieldSpec>& fields) {
    writeBytes(path, dbf::EmptyTable(fields, dbf::kLanguageAnsi, QDate::currentDate()));
}

void makeCustomerTable(const QString& path) {
    makeTable(path, {{"NAME", 'C', 60, 0}, {"CUST_NR", 'N', 11, 0}, {"DATE", 'D', 8, 0}});
}

void copyDeliveredTables(const QString& folder) {
    QDir().mkpath(folder);
    for (const char* name : {"options.dbf", "customer.dbf", "dtchead.dbf", "dtcmain.dbf"}) {
        const QString from = QDir(tablesDir()).filePath(QLatin1String(name));
        const QString to = QDir(folder).filePath(name);
        QFile::remove(to);
        if (!QFile::copy(from, to))
            qFatal("cannot copy %s", qPrintable(from));
    }
}

QByteArray readBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    return file.readAll();
}

void writeBytes(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
}

QString runPython(const QString& script, const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), QStringList{"-c", script} + args);
    if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        qWarning("python failed: %s", p.readAllStandardError().constData());
        return QStringLiteral("<python failed>");
    }
    return QString::fromUtf8(p.readAllStandardOutput());
}

QString errorText(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& e) {
        return e.text();
    }
    return QStringLiteral("<no error>");
}

} // namespace obd::test
