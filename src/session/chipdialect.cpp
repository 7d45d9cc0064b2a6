#include "session/chipdialect.h"

#include "link/link.h"
#include "services/adapterrequests.h"
#include "services/elm.h"

namespace obd {

namespace {

constexpr ChipStep Elm323Steps[] = {
    {"Chip Reset: ", ChipStep::Role::Reset, [](Link& link) { return ElmReset(link); }},
    {"Echo ausschalten: ", ChipStep::Role::Plain,
     [](Link& link) { return ElmSetEcho(link, false); }},
    {"LF ausschalten: ", ChipStep::Role::Plain,
     [](Link& link) { return ElmSetLinefeeds(link, false); }},
    {"Chip Info: ", ChipStep::Role::Identify, [](Link& link) { return ElmIdentify(link); }},
};

constexpr ChipStep Elm327Steps[] = {
    {"Header einschalten: ", ChipStep::Role::Headers,
     [](Link& link) { return AdapterSetting(link, QStringLiteral("ATH1")); }},
    {"Protokollsuche: ", ChipStep::Role::Plain,
     [](Link& link) { return AdapterSetting(link, QStringLiteral("ATSP0")); }},
};

} // namespace

std::span<const ChipStep> Elm323Dialect::Steps() const {
    return Elm323Steps;
}

std::span<const ChipStep> Elm327Dialect::Steps() const {
    return Elm327Steps;
}

bool SpeaksElm327(const QString& identification) {
    return identification != ReplyError && !identification.contains(QLatin1String("ELM323"));
}

} // namespace obd
