#include "support/testenv.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <clocale>
#include <unistd.h>

namespace obd::test {

QString binDir() {
    const QByteArray env = qgetenv("OBD_BIN_DIR");
    if (!env.isEmpty())
        return QString::fromLocal8Bit(env);
    return QDir(QCoreApplication::applicationDirPath() + "/../bin").absolutePath();
}

QString tablesDir() {
    const QByteArray env = qgetenv("OBD_TABLES_DIR");
    if (!env.isEmpty())
        return QString::fromLocal8Bit(env);
    return QDir(QCoreApplication::applicationDirPath() + "/../tables").absolutePath();
}

QString sourceDir() {
    return QString::fromLocal8Bit(qgetenv("OBD_SOURCE_DIR"));
}

QString tool(const QString& name) {
    return QDir(binDir()).filePath(name);
}

bool runningAsRoot() {
    return geteuid() == 0;
}

int runUnprivileged(const QString& program, const QStringList& args, QString* output,
                    int timeoutMs) {
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    if (runningAsRoot()) {
        QStringList full{"--reuid=65534", "--regid=65534", "--clear-groups", program};
        full += args;
        p.start("setpriv", full);
    } else {
        p.start(program, args);
    }
    if (!p.waitForStarted(timeoutMs))
        return -1;
    p.waitForFinished(timeoutMs);
    if (output)
        *output = QString::fromLocal8Bit(p.readAll());
    return p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
}

bool useTimeLocale(const char* name) {
    return std::setlocale(LC_TIME, name) != nullptr;
}

} // namespace obd::test
