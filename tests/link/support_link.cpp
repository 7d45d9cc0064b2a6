#include "support_link.h"

#include "common/codec.h"
#include "support/testenv.h"

#include <QFile>
#include <QTest>
#include <arpa/inet.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace obd::test {

void RecordingNotifier::showChipError(const QString& message) {
    const std::lock_guard lock(m_mutex);
    m_boxes << QStringLiteral("chip: ") + message;
}

void RecordingNotifier::showNoCommunication(const QString& message) {
    const std::lock_guard lock(m_mutex);
    m_boxes << QStringLiteral("nocomm: ") + message;
}

void RecordingNotifier::showLogFailure(const QString& message) {
    const std::lock_guard lock(m_mutex);
    m_boxes << QStringLiteral("log: ") + message;
}

QStringList RecordingNotifier::boxes() const {
    const std::lock_guard lock(m_mutex);
    return m_boxes;
}

ScriptedChip::ScriptedChip() {
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (m_master < 0 || ::grantpt(m_master) < 0 || ::unlockpt(m_master) < 0)
        qFatal("no pseudo-terminal");
    m_slavePath = QString::fromLocal8Bit(::ptsname(m_master));
}

ScriptedChip::~ScriptedChip() {
    finish();
    ::close(m_master);
}

void ScriptedChip::answer(const QList<QByteArray>& chunks, int pauseMs) {
    finish();
    m_command.clear();
    m_thread = std::thread([this, chunks, pauseMs] {
        char c = 0;
        while (!m_command.endsWith('\r') && ::read(m_master, &c, 1) == 1)
            m_command += c;
        for (qsizetype i = 0; i < chunks.size(); ++i) {
            if (i > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(pauseMs));
            if (::write(m_master, chunks[i].constData(), chunks[i].size()) != chunks[i].size())
                return;
        }
    });
}

QByteArray ScriptedChip::finish() {
    if (m_thread.joinable())
        m_thread.join();
    return m_command;
}

Simulator::Simulator(const QStringList& args, const QString& link)
    : m_process(std::make_unique<QProcess>()), m_dir(std::make_unique<QTemporaryDir>()) {
    m_process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // A test that dies must not leave a simulator behind (it would hold the
    // test runner's output pipe open and stall it).
    m_process->setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGKILL); });
    const QString linkPath = link.isEmpty() ? m_dir->filePath("elmsim") : link;
    m_process->start(tool("elmsim"), QStringList{"--link", linkPath} + args);
    if (!m_process->waitForStarted(10000))
        qFatal("elmsim does not start: %s", qPrintable(tool("elmsim")));
    while (m_process->canReadLine() || m_process->waitForReadyRead(10000)) {
        if (m_process->bytesAvailable() && m_process->canReadLine()) {
            const QString line = QString::fromLocal8Bit(m_process->readLine()).trimmed();
            if (m_slavePath.isEmpty()) {
                m_slavePath = line;
                continue;
            }
            m_linkPath = line;
            return;
        }
    }
    qFatal("elmsim announces no port");
}

Simulator::~Simulator() {
    terminate();
}

void Simulator::terminate() {
    if (m_process->state() == QProcess::NotRunning)
        return;
    m_process->terminate();
    m_process->waitForFinished(10000);
}

void Simulator::kill() {
    m_process->kill();
    m_process->waitForFinished(10000);
}

sockaddr_in Loopback(quint16 port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(port);
    return a;
}

Listener::Listener(int backlog) {
    m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a = Loopback(0);
    socklen_t size = sizeof a;
    if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr*>(&a), size) < 0 ||
        ::listen(m_fd, backlog) < 0 ||
        ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&a), &size) < 0)
        qFatal("no listening socket on 127.0.0.1");
    m_port = ntohs(a.sin_port);
}

Listener::~Listener() {
    ::close(m_fd);
}

QString Listener::address() const {
    return QStringLiteral("127.0.0.1:%1").arg(m_port);
}

int Listener::accept() const {
    pollfd p{m_fd, POLLIN, 0};
    return ::poll(&p, 1, 10000) == 1 ? ::accept4(m_fd, nullptr, nullptr, SOCK_CLOEXEC) : -1;
}

namespace {

// Passes what arrived on from (if anything) to to; false when from has closed.
bool pass(const pollfd& from, int to) {
    if (!from.revents)
        return true;
    char buffer[256];
    const ssize_t n = ::read(from.fd, buffer, sizeof buffer);
    return n > 0 && ::write(to, buffer, static_cast<size_t>(n)) == n;
}

} // namespace

WifiAdapter::WifiAdapter(const QStringList& args) : m_chip(args) {
    if (::pipe2(m_stop, O_CLOEXEC) < 0)
        qFatal("no pipe");
    m_thread = std::thread([this] {
        const int client = m_listener.accept();
        const int chip = ::open(m_chip.slavePath().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
        pollfd fds[3] = {{client, POLLIN, 0}, {chip, POLLIN, 0}, {m_stop[0], POLLIN, 0}};
        while (client >= 0 && chip >= 0 && ::poll(fds, 3, -1) > 0 && !fds[2].revents) {
            if (!pass(fds[0], chip) || !pass(fds[1], client))
                break;
        }
        ::close(client);
        ::close(chip);
    });
}

WifiAdapter::~WifiAdapter() {
    if (::write(m_stop[1], "x", 1) != 1)
        qFatal("cannot stop the adapter");
    m_thread.join();
    ::close(m_stop[0]);
    ::close(m_stop[1]);
}

QStringList logLines(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    QStringList lines = fromCp1252(bytes).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    return lines;
}

} // namespace obd::test
