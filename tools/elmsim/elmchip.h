// The simulated ELM323 v1.1: turns each command line the program sends into
// the bytes the chip sends back (echo, reply lines, blank line, prompt), on a
// vehicle whose answers default to the demo responder's (plus an answer for
// every PID it flags as supported).
#pragma once

#include <QByteArray>
#include <QHash>
#include <QString>

namespace elmsim {

struct ChipOptions {
    QHash<QString, QString> replies; // request (upper case, no blanks) -> reply text
    QString errorWord;               // when set, every vehicle request gets it
    bool prompt = true;              // false: replies end without the '>'
};

// The simulated vehicle's answer to a request as the ELM323 shows it (hex
// bytes with blanks, messages on lines of their own separated by CR;
// "NODATA" when the vehicle does not answer).
QString VehicleAnswer(const QString& request);

class ElmChip {
public:
    explicit ElmChip(ChipOptions options) : m_options(std::move(options)) {}

    // The chip's output for one received line (without its CR).
    QByteArray answer(const QByteArray& line);

private:
    QString atReply(const QString& command);
    QString vehicleReply(const QString& request) const;
    QByteArray lineEnd() const { return m_lineFeeds ? "\r\n" : "\r"; }

    ChipOptions m_options;
    bool m_echo = true;
    bool m_lineFeeds = true;
};

} // namespace elmsim
