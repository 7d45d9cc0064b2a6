// What the connection sequence asks of an interface chip: the chip commands
// that bring it up, in order, each with the prefix of its status line and
// what its result means for the status display.
#pragma once

#include <QString>
#include <span>

namespace obd {

class Link;

struct ChipStep {
    enum class Role {
        Plain,    // only its status line
        Reset,    // also switches the chip lamp
        Identify, // its result is the chip's identification
        Headers,  // "OK" means the vehicle's answers come with their headers
    };
    const char* prefix; // of the status line, followed by the result
    Role role;
    // "Fehler" when the chip did not do it; an optional setting the chip
    // does not know gives "nicht unterstützt" and the sequence goes on.
    QString (*run)(Link& link);
};

class ChipDialect {
public:
    virtual ~ChipDialect() = default;
    virtual std::span<const ChipStep> Steps() const = 0;
};

// Reset, echo off, line feeds off, identification.
class Elm323Dialect : public ChipDialect {
public:
    std::span<const ChipStep> Steps() const override;
};

// After the identification, ELM327-style adapters (ELM327 and its clones,
// STN and OBDLink chips) set headers on, so that the answers of several
// control units can be told apart, and let the adapter search the protocol.
class Elm327Dialect : public ChipDialect {
public:
    std::span<const ChipStep> Steps() const override;
};

// Whether a chip with this identification speaks the ELM327's dialogue
// rather than the ELM323's: every chip of the family but the ELM323.
bool SpeaksElm327(const QString& identification);

} // namespace obd
