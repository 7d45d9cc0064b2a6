// The demo responder as a transport: a command written to it is answered
// from the demo table after the chip's answer time of 100 ms, in the chip's
// form with the prompt at its end. Always open; nothing goes on any line.
// Used by one thread at a time (the exchange holds the port lock).
#pragma once

#include "link/transport.h"

#include <QByteArray>

namespace obd {

class DemoLine : public Transport {
public:
    static constexpr auto AnswerTime = std::chrono::milliseconds(100);

    void Open() override {}
    void Close() override {}
    bool Connected() const override { return true; }
    // The bytes before the closing CR are the command; its answer replaces
    // one not yet read. A wait with nothing left to read answers the last
    // command again.
    void WriteStr(const QByteArray& bytes) override;
    bool WaitForChars(int timeoutMs) override;
    int InputCount() override;
    QByteArray Read(int count) override;
    void Purge(bool input, bool output) override;
    void SetAbortSignal(std::shared_ptr<const AbortSignal> signal) override {
        m_abort = std::move(signal);
    }

private:
    bool answered() const { return fdwait::Clock::now() >= m_answerAt; }
    // Prepares the answer to m_command, due after the answer time.
    void arm();

    QByteArray m_command;
    QByteArray m_answer;
    fdwait::Clock::time_point m_answerAt;
    std::shared_ptr<const AbortSignal> m_abort;
};

} // namespace obd
