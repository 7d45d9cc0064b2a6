#include "elm327options.h"

#include <array>
#include <string_view>

namespace elmsim {

namespace {

struct ProtocolChoice {
    std::string_view name;
    char number;
};
constexpr std::array<ProtocolChoice, 4> ProtocolChoices{{
    {"can11", '6'},
    {"can29", '7'},
    {"iso9141", '3'},
    {"kwp", '5'},
}};

} // namespace

void Elm327CommandLine::addTo(QCommandLineParser& parser) const {
    parser.addOptions({m_chip, m_protocol, m_headersStored, m_units, m_searchMs, m_ignitionOff,
                       m_ecuMs, m_adapterWait, m_singlePid});
}

bool Elm327CommandLine::chosen(const QCommandLineParser& parser, QString& error) const {
    const QString chip = parser.value(m_chip);
    if (chip != QLatin1String("elm323") && chip != QLatin1String("elm327"))
        error = QStringLiteral("--chip is elm323 or elm327, got %1").arg(chip);
    return chip == QLatin1String("elm327");
}

void Elm327CommandLine::read(const QCommandLineParser& parser, Elm327Options& options,
                             QString& error) const {
    const QString protocol = parser.value(m_protocol);
    options.protocol = 0;
    for (const ProtocolChoice& p : ProtocolChoices)
        if (protocol == QLatin1String(p.name.data(), qsizetype(p.name.size())))
            options.protocol = p.number;
    if (options.protocol == 0)
        error = QStringLiteral("--protocol is can11, can29, iso9141 or kwp, got %1").arg(protocol);
    bool ok = false;
    options.units = parser.value(m_units).toInt(&ok);
    if (!ok || options.units < 1 || options.units > 2)
        error = QStringLiteral("--units is 1 or 2");
    options.searchMs = parser.value(m_searchMs).toInt(&ok);
    if (!ok || options.searchMs < 0)
        error = QStringLiteral("--search-ms needs a number >= 0");
    options.ecuMs = parser.value(m_ecuMs).toInt(&ok);
    if (!ok || options.ecuMs < 0)
        error = QStringLiteral("--ecu-ms needs a number >= 0");
    options.adapterWaitMs = parser.value(m_adapterWait).toInt(&ok);
    if (!ok || options.adapterWaitMs < 0)
        error = QStringLiteral("--adapter-wait needs a number >= 0");
    options.singlePid = parser.isSet(m_singlePid);
    options.headersStored = parser.isSet(m_headersStored);
    options.ignitionOff = parser.isSet(m_ignitionOff);
}

} // namespace elmsim
