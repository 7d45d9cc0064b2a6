// A throwaway PostgreSQL cluster for the records tests and benchmark:
// initdb and pg_ctl from Debian's postgresql package in a temporary folder,
// reachable only through a socket in that folder (so clusters of tests
// running in parallel never meet), run as uid 65534 when the tests run as
// root (the server refuses root). A watchdog process stops the cluster and
// removes its folder when this process ends in any way, a crash included.
#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace obd::test {

class PgCluster {
public:
    // durable: the server syncs its writes as a real one does (benchmarks);
    // otherwise fsync is off, which a crash of the server alone survives.
    explicit PgCluster(bool durable = false);
    ~PgCluster();
    PgCluster(const PgCluster&) = delete;
    PgCluster& operator=(const PgCluster&) = delete;

    // "" when the cluster runs, otherwise why it does not.
    const QString& Error() const { return m_error; }

    QString SocketFolder() const { return m_folder.path(); }
    int Port() const { return 5432; }
    QString User() const { return QStringLiteral("torvane"); }

    // A new, empty database; returns its name ("" and Error() set on failure).
    QString CreateDatabase();

    // Stops the server at once, as a crash or a pulled plug would; Start
    // runs it again on the same data.
    bool Stop();
    bool Start();
    bool Running() const { return m_running; }

private:
    bool run(const QString& program, const QStringList& args);

    QTemporaryDir m_folder;
    QString m_bin; // the folder of initdb and pg_ctl
    bool m_durable;
    int m_databases = 0;
    bool m_running = false;
    QString m_error;
    std::unique_ptr<QProcess> m_watchdog;
};

} // namespace obd::test
