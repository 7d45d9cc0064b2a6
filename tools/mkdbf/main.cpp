// Writes the empty tables described by a schema file into a folder:
//   mkdbf <schema> <output folder>
// Schema lines: file, field name, type, width, decimals; '#' starts a comment.
#include "common/errors.h"
#include "store/dbfformat.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTextStream>
#include <map>
#include <vector>

namespace {

using Schema = std::map<QString, std::vector<obd::dbf::FieldSpec>>;

Schema readSchema(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        throw obd::FileError(QStringLiteral("%1: %2").arg(path, file.errorString()));
    Schema schema;
    int lineNumber = 0;
    QTextStream in(&file);
    while (!in.atEnd()) {
        ++lineNumber;
        const QString line = in.readLine().section('#', 0, 0).simplified();
        if (line.isEmpty())
            continue;
        const QStringList parts = line.split(' ');
        bool lengthOk = false;
        bool decimalsOk = false;
        const int length = parts.value(3).toInt(&lengthOk);
        const int decimals = parts.value(4).toInt(&decimalsOk);
        if (parts.size() != 5 || parts[2].size() != 1 || !lengthOk || !decimalsOk)
            throw obd::FileError(QStringLiteral("%1:%2: expected file, name, type, width, decimals")
                                     .arg(path)
                                     .arg(lineNumber));
        schema[parts[0]].push_back({parts[1], parts[2][0].toLatin1(), length, decimals});
    }
    return schema;
}

void writeTable(const QString& path, const QByteArray& bytes) {
    QSaveFile out(path);
    if (!out.open(QIODevice::WriteOnly) || out.write(bytes) != bytes.size() || !out.commit())
        throw obd::FileError(QStringLiteral("%1: %2").arg(path, out.errorString()));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: mkdbf <schema> <output folder>\n");
        return 2;
    }
    try {
        const QString folder = QString::fromLocal8Bit(argv[2]);
        QDir().mkpath(folder);
        for (const auto& [name, fields] : readSchema(QString::fromLocal8Bit(argv[1])))
            writeTable(QDir(folder).filePath(name),
                       obd::dbf::EmptyTable(fields, obd::dbf::kLanguageAnsi, QDate::currentDate()));
    } catch (const obd::Error& e) {
        fprintf(stderr, "mkdbf: %s\n", e.what());
        return 1;
    }
    return 0;
}
