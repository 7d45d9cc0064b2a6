// The simulated ELM327 v1.5 on a vehicle: protocol search ("SEARCHING...",
// "BUS INIT: ...OK"), CAN 11/29-bit or K-line framing with headers on or
// off, one or two control units, ISO-TP multi-frame answers, stored codes on
// both units. The engine unit answers services 01, 02, 05/06 and 09 like the
// ELM323 simulator's vehicle, in the CAN layouts on CAN.
#pragma once

#include "elmchip.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <chrono>
#include <utility>

namespace elmsim {

// Bytes to send after a pause: an answer may come in timed parts (the search
// line first, the data when the search is over).
struct AnswerPart {
    int delayMs = 0;
    QByteArray bytes;
};
using Answer = QList<AnswerPart>;

struct Elm327Options {
    ChipOptions chip;           // --reply, --error, --no-prompt as for the ELM323
    char protocol = '6';        // the vehicle's protocol number: 3, 5, 6 or 7
    bool headersStored = false; // headers on after a reset
    int units = 1;              // control units that answer: 1 or 2
    int searchMs = 500;         // length of the protocol search
    bool ignitionOff = false;   // no unit answers; the search fails
    int ecuMs = 0;              // a unit's time to answer a vehicle request
    int adapterWaitMs = 0;      // wait for further answers without a count digit
    bool singlePid = false;     // requests for several PIDs are not understood
    double driveScale = 0;      // > 0: the engine runs the driving cycle, its clock this fast
};

class Elm327Chip {
public:
    explicit Elm327Chip(Elm327Options options);

    // The chip's output for one received line (without its CR).
    Answer answer(const QByteArray& line);

private:
    QString atReply(const QString& command);
    Answer request(const QString& request, const QByteArray& echo);
    // Each answering unit with its messages to a request (service byte
    // first); count > 0 stops after that many units.
    QList<std::pair<int, QList<QByteArray>>> unitAnswers(const QString& request, int count);
    QList<QByteArray> unitAnswer(int unit, const QString& request) const;
    // A unit's answer to one service 01 PID ("010C"): its bytes from 41 on.
    QByteArray pidAnswer(int unit, const QString& request) const;
    // One unit's message as the adapter prints it, one line per frame.
    QStringList lines(int unit, const QByteArray& data) const;
    QString bytes(const QByteArray& data) const;
    bool isCan() const;
    void reset();
    QByteArray lineEnd() const { return m_lineFeeds ? "\r\n" : "\r"; }

    Elm327Options m_options;
    std::chrono::steady_clock::time_point m_started = std::chrono::steady_clock::now();
    char m_setting = '0'; // ATSP: '0' searches; kept over a reset like the chip's memory
    bool m_connected = false;
    bool m_cleared = false; // service 04 ran: stored and pending codes are gone
    bool m_echo = true;
    bool m_lineFeeds = true;
    bool m_headers = false;
    bool m_spaces = true;
};

} // namespace elmsim
