#include "support_pages.h"

#include "link/comport.h"
#include "link/link.h"
#include "link/protocollog.h"
#include "store/records.h"
#include "support/testenv.h"

#include <QDir>
#include <QFile>
#include <QProcess>

namespace obd::test {

PageFixture::PageFixture() {
    ctx.paths.folder = m_folder.path();
    ctx.messages = &boxes;
    boxes.answer = [this](const QString& caption, const QString& text) {
        shown.append({caption, text});
        return answers.isEmpty() ? BoxButton::Ok : answers.takeFirst();
    };
}

PageFixture::~PageFixture() = default;

void PageFixture::openTables() {
    const QDir source(tablesDir());
    QDir().mkpath(ctx.paths.dataFolder());
    for (const QString& name : source.entryList({QStringLiteral("*.dbf")}, QDir::Files))
        QFile::copy(source.filePath(name), QDir(ctx.paths.dataFolder()).filePath(name));
    ctx.records = std::make_unique<TableRecords>(ctx.paths.dataFolder());
    ctx.records->Open();
}

void PageFixture::openLink(const QString& portPath) {
    ctx.port = std::make_unique<TComPort>();
    ctx.log = std::make_unique<ProtocolLog>(ctx.paths.logFile());
    ctx.link = std::make_unique<Link>(*ctx.port, ctx.log.get(), notifier);
    if (portPath.isEmpty()) {
        ctx.link->DemoMode = true;
    } else {
        ctx.port->SetPort(portPath);
        ctx.port->Open();
    }
    ctx.link->CommFailure = false;
}

QStringList PageFixture::logLines() const {
    return test::logLines(ctx.paths.logFile());
}

void PageFixture::useSimulator(const QStringList& args) {
    simulator = std::make_unique<Simulator>(args);
    ctx.link->DemoMode = false;
    ctx.port->SetPort(simulator->slavePath());
    ctx.port->Open();
    ctx.link->SendCommand(QStringLiteral("ATE0"));
    ctx.link->ReceiveReply();
}

QStringList PageFixture::sentCommands(int from) const {
    QStringList commands;
    for (const QString& line : logLines().mid(from)) {
        const qsizetype at = line.indexOf(QStringLiteral(" - S: "));
        if (at >= 0)
            commands << line.mid(at + 6);
    }
    return commands;
}

QString runPython(const QString& script, const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("/usr/bin/python3"), QStringList{QStringLiteral("-c"), script} + args);
    if (!p.waitForFinished(30000) || p.exitCode() != 0)
        qFatal("python failed: %s", p.readAllStandardError().constData());
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

} // namespace obd::test

// Under the thread sanitizer: the page tests start elmsim (fork + exec) while
// the polling worker of an earlier case may have run; the child only execs.
extern "C" const char* __tsan_default_options() {
    return "die_after_fork=0";
}
