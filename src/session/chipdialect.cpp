#include "session/chipdialect.h"

#include "services/elm.h"
#include "session/vehiclebus.h"

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

} // namespace

std::span<const ChipStep> Elm323Dialect::Steps() const {
    return Elm323Steps;
}

const VehicleBus& Elm323Dialect::Bus() const {
    static const Elm323Bus bus;
    return bus;
}

} // namespace obd
