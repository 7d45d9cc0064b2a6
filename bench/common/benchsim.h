// elmsim on its own pseudo-terminal for the benchmarks, started from the
// folder of the built programs and ended when the object goes.
#pragma once

#include <QDir>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace bench {

class Simulator {
public:
    Simulator(const QString& binDir, const QStringList& args = {}) {
        m_process.start(
            QDir(binDir).filePath(QStringLiteral("elmsim")),
            QStringList{QStringLiteral("--link"), m_dir.filePath(QStringLiteral("elmsim"))} + args);
        if (!m_process.waitForStarted(10000) || !m_process.waitForReadyRead(10000)) {
            std::fprintf(stderr, "elmsim does not start\n");
            std::exit(1);
        }
        while (!m_process.canReadLine() && m_process.waitForReadyRead(10000)) {
        }
        m_slave = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    }
    ~Simulator() {
        m_process.terminate();
        m_process.waitForFinished(10000);
    }
    Simulator(const Simulator&) = delete;
    Simulator& operator=(const Simulator&) = delete;
    const QString& slave() const { return m_slave; }

private:
    QTemporaryDir m_dir;
    QProcess m_process;
    QString m_slave;
};

} // namespace bench
