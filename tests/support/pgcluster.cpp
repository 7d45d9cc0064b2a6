#include "pgcluster.h"

#include "testenv.h"

#include <QCollator>
#include <QDir>
#include <unistd.h>

namespace obd::test {

namespace {

// The bin folder of the newest PostgreSQL installed from Debian's packages.
QString postgresBin() {
    QDir versions(QStringLiteral("/usr/lib/postgresql"));
    QStringList names = versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    QCollator numeric;
    numeric.setNumericMode(true);
    std::sort(names.begin(), names.end(), numeric);
    for (auto it = names.rbegin(); it != names.rend(); ++it)
        if (QFile::exists(versions.filePath(*it + QStringLiteral("/bin/initdb"))))
            return versions.filePath(*it + QStringLiteral("/bin"));
    return {};
}

// Runs as the owner of the cluster: uid 65534 when we are root.
QStringList asOwner(const QString& program, const QStringList& args) {
    if (!runningAsRoot())
        return QStringList{program} + args;
    return QStringList{QStringLiteral("setpriv"), QStringLiteral("--reuid=65534"),
                       QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups"), program} +
           args;
}

} // namespace

PgCluster::PgCluster(bool durable) : m_bin(postgresBin()), m_durable(durable) {
    if (m_bin.isEmpty()) {
        m_error =
            QStringLiteral("PostgreSQL is not installed (no /usr/lib/postgresql/*/bin/initdb); "
                           "scripts/install-deps installs it");
        return;
    }
    if (!m_folder.isValid()) {
        m_error = QStringLiteral("no temporary folder: ") + m_folder.errorString();
        return;
    }
    if (runningAsRoot() &&
        ::chown(QFile::encodeName(m_folder.path()).constData(), 65534, 65534) != 0) {
        m_error = QStringLiteral("cannot hand the cluster folder to uid 65534");
        return;
    }
    const QString data = m_folder.filePath(QStringLiteral("data"));
    // The watchdog waits for this process's end (its input closes) and then
    // stops the server and removes the folder.
    const QStringList watchdog = asOwner(
        QStringLiteral("/bin/sh"),
        {QStringLiteral("-c"),
         QStringLiteral("cat >/dev/null; \"$0\" -D \"$1\" stop -m immediate >/dev/null 2>&1; "
                        "rm -rf \"$2\" 2>/dev/null"),
         m_bin + QStringLiteral("/pg_ctl"), data, m_folder.path()});
    m_watchdog = std::make_unique<QProcess>();
    m_watchdog->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_watchdog->start(watchdog.first(), watchdog.mid(1));
    if (!m_watchdog->waitForStarted()) {
        m_error = QStringLiteral("the cluster's watchdog does not start");
        return;
    }
    if (!run(m_bin + QStringLiteral("/initdb"),
             {QStringLiteral("-D"), data, QStringLiteral("-U"), User(), QStringLiteral("-A"),
              QStringLiteral("trust"), QStringLiteral("-E"), QStringLiteral("UTF8"),
              QStringLiteral("--no-locale"), QStringLiteral("-N")}))
        return;
    Start();
}

PgCluster::~PgCluster() {
    if (!m_watchdog)
        return;
    if (m_running)
        Stop();
    m_watchdog->closeWriteChannel();
    m_watchdog->waitForFinished(30000);
}

bool PgCluster::run(const QString& program, const QStringList& args) {
    const QStringList command = asOwner(program, args);
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(command.first(), command.mid(1));
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        m_error = QStringLiteral("%1 failed: %2")
                      .arg(QFileInfo(program).fileName(), QString::fromLocal8Bit(p.readAll()));
        return false;
    }
    return true;
}

bool PgCluster::Start() {
    QString options =
        QStringLiteral("-k %1 -h '' -p %2 -c max_connections=40").arg(m_folder.path()).arg(Port());
    if (!m_durable)
        options += QStringLiteral(" -F");
    m_running = run(m_bin + QStringLiteral("/pg_ctl"),
                    {QStringLiteral("-D"), m_folder.filePath(QStringLiteral("data")),
                     QStringLiteral("-l"), m_folder.filePath(QStringLiteral("server.log")),
                     QStringLiteral("-w"), QStringLiteral("-t"), QStringLiteral("60"),
                     QStringLiteral("-o"), options, QStringLiteral("start")});
    return m_running;
}

bool PgCluster::Stop() {
    m_running = false;
    return run(m_bin + QStringLiteral("/pg_ctl"),
               {QStringLiteral("-D"), m_folder.filePath(QStringLiteral("data")),
                QStringLiteral("stop"), QStringLiteral("-m"), QStringLiteral("immediate")});
}

QString PgCluster::CreateDatabase() {
    const QString name = QStringLiteral("records%1").arg(++m_databases);
    if (!run(m_bin + QStringLiteral("/createdb"),
             {QStringLiteral("-h"), SocketFolder(), QStringLiteral("-p"), QString::number(Port()),
              QStringLiteral("-U"), User(), name}))
        return {};
    return name;
}

} // namespace obd::test
