// elmsim: an ELM323 (or, with --chip elm327, an ELM327) interface on a
// vehicle, behind a pseudo-terminal. Prints the terminal's path and the
// announced link, then answers every command line until it is stopped
// (SIGINT, SIGTERM, SIGHUP) or disconnects on purpose.
#include "elm327options.h"
#include "elmchip.h"
#include "linerate.h"
#include "link/simports.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <memory>
#include <poll.h>
#include <sys/file.h>
#include <sys/signalfd.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

struct Behaviour {
    int latencyMs = 0;     // before each answer
    int chunkSize = 0;     // 0: the answer in one write
    int chunkPauseMs = 10; // between chunks
    bool silent = false;   // read everything, answer nothing
    int disconnectAfter = -1;
    int baud = 0;   // 0: no pacing; else the line's rate, 10 bits per byte
    int rate = 0;   // 0: any; else the only speed setting at which the chip understands
    QString stream; // "noise" or "nmea": no chip at all, a device that keeps sending
};

// A device that is no adapter: it sends without pause and ignores commands.
// "noise" is random bytes (a line at the wrong rate; '>' among them), "nmea"
// the sentences of a GPS receiver (text, never a '>').
class Stream {
public:
    explicit Stream(QString kind) : m_kind(std::move(kind)) {}
    QByteArray next(qsizetype count) {
        QByteArray bytes;
        bytes.reserve(count);
        while (bytes.size() < count) {
            if (m_kind == QLatin1String("noise")) {
                m_seed = m_seed * 1103515245u + 12345u;
                bytes.append(static_cast<char>(m_seed >> 16));
                continue;
            }
            static constexpr char Sentence[] =
                "$GPGGA,123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47\r\n";
            bytes.append(Sentence[m_at]);
            m_at = (m_at + 1) % (sizeof Sentence - 1);
        }
        return bytes;
    }

private:
    QString m_kind;
    unsigned m_seed = 1;
    qsizetype m_at = 0;
};

using Clock = std::chrono::steady_clock;

// The time a UART at the behaviour's rate takes for count bytes.
Clock::duration lineTime(const Behaviour& b, qsizetype count) {
    if (b.baud <= 0)
        return Clock::duration::zero();
    return std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(static_cast<double>(count) * 10.0 / b.baud));
}

[[noreturn]] void die(const QString& message) {
    std::fprintf(stderr, "elmsim: %s\n", qPrintable(message));
    std::exit(2);
}

void pause(int ms) {
    if (ms > 0)
        std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool writeAll(int fd, const char* p, size_t n) {
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        p += w;
        n -= static_cast<size_t>(w);
    }
    return true;
}

// One byte at a time, each leaving when the one before it has gone out.
bool sendPaced(int fd, const QByteArray& bytes, const Behaviour& b) {
    const auto start = Clock::now();
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (!writeAll(fd, bytes.constData() + i, 1))
            return false;
        std::this_thread::sleep_until(start + lineTime(b, i + 1));
    }
    return true;
}

bool sendAnswer(int fd, const QByteArray& bytes, const Behaviour& b) {
    if (b.baud > 0)
        return sendPaced(fd, bytes, b);
    const qsizetype step = b.chunkSize > 0 ? b.chunkSize : bytes.size();
    for (qsizetype at = 0; at < bytes.size(); at += step) {
        if (at > 0)
            pause(b.chunkPauseMs);
        if (!writeAll(fd, bytes.constData() + at,
                      static_cast<size_t>(std::min(step, bytes.size() - at))))
            return false;
    }
    return true;
}

// The announced link: created at start, removed at exit if it is still ours.
// A running simulator holds a lock on a hidden file beside the link for as
// long as it lives, so a link left behind by a killed one (whose terminal's
// number a new terminal may already have taken) is told apart and taken over.
class Announcement {
public:
    Announcement(const QString& link, const QString& target) : m_link(link), m_target(target) {
        const QFileInfo info(link);
        QDir().mkpath(info.absolutePath());
        // The lock file stays: removing it could let two simulators lock
        // two files of the same name.
        const QString lockPath =
            info.dir().filePath(QLatin1Char('.') + info.fileName() + QStringLiteral(".lock"));
        m_lock = ::open(lockPath.toLocal8Bit().constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
        if (m_lock < 0)
            die(QStringLiteral("cannot create %1: %2")
                    .arg(lockPath, QString::fromLocal8Bit(std::strerror(errno))));
        if (::flock(m_lock, LOCK_EX | LOCK_NB) < 0)
            die(QStringLiteral("%1 announces a running simulator; name another with --link")
                    .arg(link));
        if (info.isSymLink())
            QFile::remove(link); // left behind by a simulator that was killed
        if (::symlink(target.toLocal8Bit().constData(), link.toLocal8Bit().constData()) < 0)
            die(QStringLiteral("cannot create %1: %2")
                    .arg(link, QString::fromLocal8Bit(std::strerror(errno))));
    }
    ~Announcement() {
        if (QFileInfo(m_link).symLinkTarget() == m_target)
            QFile::remove(m_link);
        ::close(m_lock);
    }
    Announcement(const Announcement&) = delete;
    Announcement& operator=(const Announcement&) = delete;

private:
    QString m_link;
    QString m_target;
    int m_lock = -1;
};

// Sends the stream at the line's rate until a stop signal comes; what the
// program sends is read and ignored. Bytes the program does not take in time
// are lost, as on a UART.
void streamUntilStopped(int master, int stopEvents, const Behaviour& b) {
    Stream stream(b.stream);
    const int baud = b.baud > 0 ? b.baud : 9600;
    ::fcntl(master, F_SETFL, ::fcntl(master, F_GETFL) | O_NONBLOCK);
    const auto start = Clock::now();
    qint64 sent = 0;
    for (;;) {
        pollfd fds[2] = {{master, POLLIN, 0}, {stopEvents, POLLIN, 0}};
        if (::poll(fds, 2, 5) < 0 && errno != EINTR)
            return;
        if (fds[1].revents)
            return;
        char buffer[256];
        while (::read(master, buffer, sizeof buffer) > 0) {
        }
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        const qint64 due = static_cast<qint64>(seconds * baud / 10.0) - sent;
        if (due <= 0)
            continue;
        const QByteArray bytes = stream.next(due);
        // A full terminal drops the bytes, as a UART's receiver would.
        if (::write(master, bytes.constData(), static_cast<size_t>(bytes.size())) < 0 &&
            errno != EAGAIN && errno != EINTR)
            return;
        sent += due;
    }
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("elmsim"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Simulated ELM323 v1.1 (or ELM327 v1.5) interface on a vehicle, on a pseudo-terminal. "
        "Prints the terminal's path and the announced link, one per line."));
    parser.addHelpOption();
    const QCommandLineOption linkOpt(
        "link", "Announce the port as PATH instead of <runtime folder>/elmsim.", "PATH");
    const QCommandLineOption latencyOpt("latency", "Wait MS before each answer.", "MS", "0");
    const QCommandLineOption chunkOpt("chunk", "Send answers in pieces of N bytes.", "N", "0");
    const QCommandLineOption chunkPauseOpt("chunk-pause", "Pause MS between pieces.", "MS", "10");
    const QCommandLineOption silentOpt("silent", "Answer nothing at all.");
    const QCommandLineOption noPromptOpt("no-prompt", "End answers without the '>' prompt.");
    const QCommandLineOption errorOpt(
        "error", "Answer every vehicle request with WORD (e.g. NODATA).", "WORD");
    const QCommandLineOption replyOpt(
        "reply", "Answer request CMD with TEXT, e.g. 0100=\"41 00 FF FF FF FF\".", "CMD=TEXT");
    const QCommandLineOption baudOpt(
        "baud",
        "Pace the line like a UART at N baud (10 bits per byte): every byte sent takes its time, "
        "and a command is taken when its last byte would have arrived.",
        "N", "0");
    const QCommandLineOption rateOpt(
        "rate",
        "Set the terminal's speed to N and understand only a program that uses N: at another "
        "speed every command line is answered with noise and no prompt.",
        "N", "0");
    const QCommandLineOption streamOpt(
        "stream",
        "Play no chip but a device that sends without pause and ignores commands: KIND noise "
        "(random bytes, a line at the wrong rate) or nmea (a GPS receiver's sentences, never a "
        "'>'), at the --baud rate (9600 when not given).",
        "KIND");
    const QCommandLineOption driveOpt(
        "drive",
        "ELM327: the engine drives a cycle (idle, accelerate, cruise, brake, every 60 s): engine "
        "and vehicle speed, load, throttle, manifold pressure and temperatures move; without it "
        "they keep the answer table's values.");
    const QCommandLineOption timeScaleOpt(
        "time-scale", "ELM327 with --drive: the vehicle's clock runs N times as fast.", "N", "1");
    const QCommandLineOption disconnectOpt("disconnect-after",
                                           "Answer N requests, then hang up on the next.", "N");
    parser.addOptions({linkOpt, latencyOpt, chunkOpt, chunkPauseOpt, silentOpt, noPromptOpt,
                       errorOpt, replyOpt, disconnectOpt, baudOpt, rateOpt, streamOpt, driveOpt,
                       timeScaleOpt});
    const elmsim::Elm327CommandLine elm327;
    elm327.addTo(parser);
    parser.process(app);

    auto number = [&parser](const QCommandLineOption& option) {
        bool ok = false;
        const int value = parser.value(option).toInt(&ok);
        if (!ok || value < 0)
            die(QStringLiteral("--%1 needs a number >= 0").arg(option.names().first()));
        return value;
    };
    Behaviour behaviour;
    behaviour.latencyMs = number(latencyOpt);
    behaviour.chunkSize = number(chunkOpt);
    behaviour.chunkPauseMs = number(chunkPauseOpt);
    behaviour.silent = parser.isSet(silentOpt);
    behaviour.baud = number(baudOpt);
    behaviour.rate = number(rateOpt);
    if (parser.isSet(disconnectOpt))
        behaviour.disconnectAfter = number(disconnectOpt);
    behaviour.stream = parser.value(streamOpt);
    if (!behaviour.stream.isEmpty() && behaviour.stream != QLatin1String("noise") &&
        behaviour.stream != QLatin1String("nmea"))
        die(QStringLiteral("--stream needs noise or nmea, got %1").arg(behaviour.stream));

    elmsim::ChipOptions options;
    options.prompt = !parser.isSet(noPromptOpt);
    options.errorWord = parser.value(errorOpt);
    for (const QString& reply : parser.values(replyOpt)) {
        const qsizetype eq = reply.indexOf(QLatin1Char('='));
        if (eq <= 0)
            die(QStringLiteral("--reply needs CMD=TEXT, got %1").arg(reply));
        options.replies.insert(reply.left(eq).remove(QLatin1Char(' ')).toUpper(),
                               reply.mid(eq + 1));
    }
    QString optionError;
    std::function<elmsim::Answer(const QByteArray&)> respond;
    if (elm327.chosen(parser, optionError)) {
        elmsim::Elm327Options elm327Options;
        elm327Options.chip = options;
        elm327.read(parser, elm327Options, optionError);
        if (parser.isSet(driveOpt))
            elm327Options.driveScale = number(timeScaleOpt);
        if (parser.isSet(driveOpt) && elm327Options.driveScale == 0)
            die(QStringLiteral("--time-scale needs a number > 0"));
        respond = [chip = std::make_shared<elmsim::Elm327Chip>(elm327Options),
                   last = QByteArray()](const QByteArray& line) mutable {
            // A bare CR repeats the last command, as the ELM327 does; its
            // echo is the CR alone.
            if (!line.trimmed().isEmpty() || last.isEmpty()) {
                if (!line.trimmed().isEmpty())
                    last = line;
                return chip->answer(line);
            }
            elmsim::Answer answer = chip->answer(last);
            if (!answer.isEmpty() && answer.first().bytes.startsWith(last))
                answer.first().bytes.remove(0, last.size());
            return answer;
        };
    } else {
        respond = [chip = std::make_shared<elmsim::ElmChip>(options)](const QByteArray& line) {
            return elmsim::Answer{{0, chip->answer(line)}};
        };
    }
    if (!optionError.isEmpty())
        die(optionError);

    const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master < 0 || ::grantpt(master) < 0 || ::unlockpt(master) < 0)
        die(QStringLiteral("no pseudo-terminal: %1")
                .arg(QString::fromLocal8Bit(std::strerror(errno))));
    const QString slavePath = QString::fromLocal8Bit(::ptsname(master));
    // Holding the slave open keeps the master readable between the program's
    // sessions (otherwise the master reports a hang-up when the program closes).
    const int slave = ::open(::ptsname(master), O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave < 0)
        die(QStringLiteral("cannot open %1").arg(slavePath));
    termios raw{};
    ::tcgetattr(slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(slave, TCSANOW, &raw);
    if (behaviour.rate > 0 && !elmsim::SetLineRate(slave, behaviour.rate))
        die(QStringLiteral("the terminal does not take --rate %1").arg(behaviour.rate));

    const QString link = parser.isSet(linkOpt)
                             ? QFileInfo(parser.value(linkOpt)).absoluteFilePath()
                             : QDir(obd::SimulatorPortFolder()).filePath(QStringLiteral("elmsim"));
    if (!parser.isSet(linkOpt)) {
        QDir().mkpath(obd::SimulatorPortFolder());
        QFile::setPermissions(obd::SimulatorPortFolder(), QFileDevice::ReadOwner |
                                                              QFileDevice::WriteOwner |
                                                              QFileDevice::ExeOwner);
    }

    sigset_t stops;
    sigemptyset(&stops);
    for (int s : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&stops, s);
    ::sigprocmask(SIG_BLOCK, &stops, nullptr);
    const int stopEvents = ::signalfd(-1, &stops, SFD_CLOEXEC);

    const Announcement announcement(link, slavePath);
    std::printf("%s\n%s\n", qPrintable(slavePath), qPrintable(link));
    std::fflush(stdout);

    if (!behaviour.stream.isEmpty()) {
        streamUntilStopped(master, stopEvents, behaviour);
        ::close(slave);
        ::close(master);
        return 0;
    }

    QByteArray pending;
    Clock::time_point pendingSince; // when the first byte of pending arrived
    int answered = 0;
    for (;;) {
        pollfd fds[2] = {{master, POLLIN, 0}, {stopEvents, POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        if (fds[1].revents)
            break;
        char buffer[256];
        const ssize_t n = ::read(master, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        if (behaviour.silent)
            continue;
        if (pending.isEmpty())
            pendingSince = Clock::now();
        pending.append(buffer, n);
        qsizetype end;
        bool hangUp = false;
        while (!hangUp && (end = pending.indexOf('\r')) >= 0) {
            const QByteArray line = pending.left(end).replace('\n', QByteArray());
            // The command's bytes take their time on the way in, as well.
            std::this_thread::sleep_until(pendingSince + lineTime(behaviour, end + 1));
            pending.remove(0, end + 1);
            pendingSince = Clock::now();
            if (answered == behaviour.disconnectAfter) {
                hangUp = true;
                break;
            }
            ++answered;
            if (behaviour.rate > 0 && elmsim::LineRate(slave) != behaviour.rate) {
                // At the wrong speed the chip hears garbage and its answer
                // reaches the program as garbage too, the prompt included.
                QByteArray noise = line + "\r\r?\r\r>";
                for (char& c : noise)
                    c = static_cast<char>(static_cast<unsigned char>(c) | 0x80);
                if (!sendAnswer(master, noise, behaviour))
                    hangUp = true;
                continue;
            }
            pause(behaviour.latencyMs);
            for (const elmsim::AnswerPart& part : respond(line)) {
                pause(part.delayMs);
                if (!sendAnswer(master, part.bytes, behaviour)) {
                    hangUp = true;
                    break;
                }
            }
        }
        if (hangUp)
            break;
    }
    ::close(slave);
    ::close(master);
    return 0;
}
