#include "link/demoline.h"

#include "common/codec.h"
#include "link/abortsignal.h"
#include "link/demoreply.h"

#include <algorithm>

namespace obd {

void DemoLine::arm() {
    m_answer = toCp1252(DemoTableReply(fromCp1252(m_command))) + '>';
    m_answerAt = fdwait::Clock::now() + AnswerTime;
}

void DemoLine::WriteStr(const QByteArray& bytes) {
    if (m_abort && m_abort->Raised())
        FailDriver("WriteFile function failed", ECANCELED);
    m_command = bytes.endsWith('\r') ? bytes.chopped(1) : bytes;
    arm();
}

bool DemoLine::WaitForChars(int timeoutMs) {
    const auto timeout = fdwait::Clock::now() + std::chrono::milliseconds(timeoutMs);
    // Waited on with nothing to read, the responder answers the last command
    // (the empty one before any) once more.
    if (m_answer.isEmpty())
        arm();
    return fdwait::Sleep(std::min(m_answerAt, timeout), m_abort.get()) && answered();
}

int DemoLine::InputCount() {
    return answered() ? static_cast<int>(m_answer.size()) : 0;
}

QByteArray DemoLine::Read(int count) {
    if (!answered() || count <= 0)
        return {};
    const QByteArray taken = m_answer.left(count);
    m_answer.remove(0, taken.size());
    return taken;
}

void DemoLine::Purge(bool input, bool /*output*/) {
    if (input)
        m_answer.clear();
}

} // namespace obd
