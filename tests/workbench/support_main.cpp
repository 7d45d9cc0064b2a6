#include "support_main.h"

#include "link/link.h"
#include "support/testenv.h"
#include "widgets/qxled.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QSettings>
#include <QTest>

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

namespace obd::test {

MainFixture::MainFixture(Omit omit) {
    const QDir bin(binDir());
    const QDir folder(m_folder.path());
    folder.mkpath(QStringLiteral("data"));
    const QDir tables(tablesDir());
    for (const QString& name : tables.entryList({QStringLiteral("*.dbf")}, QDir::Files)) {
        if (omit == CustomerTable && name == QLatin1String("customer.dbf"))
            continue;
        QFile::copy(tables.filePath(name), folder.filePath(QStringLiteral("data/") + name));
    }
    if (omit != TroubleCodeFile && !QFile::copy(bin.filePath(QStringLiteral("dtc-gb.dat")),
                                                folder.filePath(QStringLiteral("dtc-gb.dat")))) {
        // A build without the delivered file: one entry is enough here.
        QFile texts(folder.filePath(QStringLiteral("dtc-gb.dat")));
        if (!texts.open(QIODevice::WriteOnly) ||
            texts.write("P0100 Mass or Volume Air Flow Circuit Malfunction\r\n") < 0)
            qFatal("cannot write dtc-gb.dat");
    }
    // A folder in the log's place cannot be opened as a file, not even by root.
    if (omit == LogFile)
        folder.mkpath(QStringLiteral("LogFile.txt"));
}

MainFixture::~MainFixture() {
    if (window)
        window->close();
}

void MainFixture::storePort(const QString& port) {
    QSettings settings(settingsFile(), QSettings::IniFormat);
    settings.setValue(QStringLiteral("Port"), port);
    settings.setValue(QStringLiteral("BaudRate"), QStringLiteral("9600"));
    settings.setValue(QStringLiteral("StopBits"), QStringLiteral("1"));
    settings.setValue(QStringLiteral("DataBits"), QStringLiteral("8"));
    settings.setValue(QStringLiteral("Parity"), QStringLiteral("None"));
    settings.setValue(QStringLiteral("FlowControl"), QStringLiteral("Custom"));
}

TfMain& MainFixture::start() {
    window = std::make_unique<TfMain>(
        m_folder.path(), std::make_unique<QSettings>(settingsFile(), QSettings::IniFormat),
        [this](const QString& caption, const QString& text) {
            shown.append({caption, text});
            return answers.isEmpty() ? BoxButton::Ok : answers.takeFirst();
        });
    window->show();
    return *window;
}

void MainFixture::runTimer() {
    window->Timer1Timer();
}

QStringList MainFixture::statusLines() const {
    QStringList lines;
    auto* list = window->findChild<QListWidget*>(QStringLiteral("LogListBox"));
    for (int i = 0; i < list->count(); ++i)
        lines << list->item(i)->text();
    return lines;
}

QList<bool> MainFixture::statusPictures() const {
    QList<bool> pictures;
    auto* list = window->findChild<QListWidget*>(QStringLiteral("LogListBox"));
    for (int i = 0; i < list->count(); ++i)
        pictures << list->item(i)->data(StartPage::OkRole).toBool();
    return pictures;
}

bool MainFixture::lamp(const char* name) const {
    return child<TQXLed>(window.get(), QString::fromLatin1(name))->LedOn();
}

QString MainFixture::label(const char* name) const {
    return child<QLabel>(window.get(), QString::fromLatin1(name))->text();
}

QStringList MainFixture::logLines() const {
    return test::logLines(m_folder.filePath(QStringLiteral("LogFile.txt")));
}

TableChip::TableChip(QHash<QByteArray, QByteArray> replies) : m_replies(std::move(replies)) {
    m_master = posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0)
        qFatal("no pseudo-terminal");
    m_slavePath = QString::fromLocal8Bit(ptsname(m_master));
    m_thread = std::thread([this] { serve(); });
}

TableChip::~TableChip() {
    m_stop = true;
    m_thread.join();
    ::close(m_master);
}

void TableChip::serve() {
    QByteArray pending;
    while (!m_stop) {
        pollfd p{m_master, POLLIN, 0};
        const int ready = ::poll(&p, 1, 50);
        if (ready > 0 && !(p.revents & POLLIN))
            ::usleep(10000); // no slave side open yet: the master only hangs up
        if (ready <= 0 || !(p.revents & POLLIN))
            continue;
        char buffer[256];
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n <= 0)
            continue;
        pending.append(buffer, n);
        qsizetype end;
        while ((end = pending.indexOf('\r')) >= 0) {
            const QByteArray command = pending.left(end).trimmed();
            pending.remove(0, end + 1);
            const QByteArray reply = m_replies.value(command, QByteArrayLiteral("?"));
            if (reply.isEmpty())
                continue;
            const QByteArray out = reply + "\r\r>";
            if (::write(m_master, out.constData(), size_t(out.size())) != out.size())
                return;
        }
    }
}

} // namespace obd::test
