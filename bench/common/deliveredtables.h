// The four tables as the build delivers them, written into a folder.
#pragma once

#include "store/dbfformat.h"
#include "store/tableschema.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QtGlobal>

namespace bench {

inline void WriteDeliveredTables(const QString& folder) {
    QDir().mkpath(folder);
    for (const QString& name : obd::DeliveredTableFiles()) {
        const QByteArray bytes = obd::dbf::EmptyTable(obd::FieldsOf(name), obd::dbf::kLanguageAnsi,
                                                      QDate::currentDate());
        QFile file(QDir(folder).filePath(name));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(file.fileName()));
    }
}

} // namespace bench
