// What the connection sequence asks of an interface chip: the chip commands
// that bring it up, in order, each with the prefix of its status line and
// what its result means for the status display.
#pragma once

#include <QString>
#include <span>

namespace obd {

class Link;
class VehicleBus;

struct ChipStep {
    enum class Role {
        Plain,    // only its status line
        Reset,    // also switches the chip lamp
        Identify, // its result is the chip's identification
    };
    const char* prefix; // of the status line, followed by the result
    Role role;
    QString (*run)(Link& link); // "Fehler" when the chip did not do it
};

class ChipDialect {
public:
    virtual ~ChipDialect() = default;
    virtual std::span<const ChipStep> Steps() const = 0;
    // How requests to the vehicle come back as messages through this chip.
    virtual const VehicleBus& Bus() const = 0;
};

// Reset, echo off, line feeds off, identification.
class Elm323Dialect : public ChipDialect {
public:
    std::span<const ChipStep> Steps() const override;
    const VehicleBus& Bus() const override;
};

} // namespace obd
