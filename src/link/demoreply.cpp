#include "link/demoreply.h"

#include <random>

namespace obd {

namespace {

constexpr int EngineSpeedStep = 4492;

QLatin1String latin1(std::string_view text) {
    return QLatin1String(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

QString DemoEngineSpeedReply() {
    // One engine per thread: the GUI thread and the polling worker both ask.
    thread_local std::mt19937 engine{std::random_device{}()};
    std::uniform_int_distribution<int> pick(0, 5);
    const int value = (pick(engine) + 1) * EngineSpeedStep;
    return QStringLiteral("410C%1").arg(value, 4, 16, QLatin1Char('0')).toUpper();
}

QString DemoTableReply(const QString& command) {
    if (command == latin1(DemoEngineSpeedCommand))
        return DemoEngineSpeedReply();
    for (const DemoAnswer& answer : DemoAnswers) {
        if (command == latin1(answer.command))
            return latin1(answer.reply);
    }
    return latin1(DemoUnknownReply);
}

} // namespace obd
