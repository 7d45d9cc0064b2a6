// Writes the delivered tables, empty, into a folder:
//   mkdbf <output folder>
#include "common/errors.h"
#include "store/dbfformat.h"
#include "store/tableschema.h"

#include <QDate>
#include <QDir>
#include <QSaveFile>

namespace {

void writeTable(const QString& path, const QByteArray& bytes) {
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        throw obd::FileError(QStringLiteral("%1: %2").arg(path, out.errorString()));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: mkdbf <output folder>\n");
        return 2;
    }
    try {
        const QString folder = QString::fromLocal8Bit(argv[1]);
        QDir().mkpath(folder);
        for (const QString& name : obd::DeliveredTableFiles())
            writeTable(QDir(folder).filePath(name),
                       obd::dbf::EmptyTable(obd::FieldsOf(name), obd::dbf::kLanguageAnsi,
                                            QDate::currentDate()));
    } catch (const obd::Error& e) {
        fprintf(stderr, "mkdbf: %s\n", e.what());
        return 1;
    }
    return 0;
}
