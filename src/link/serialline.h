// The serial transport: one termios device opened exclusively, raw 8-bit
// line, non-blocking reads (a read returns at once with what has arrived),
// writes that return when every byte has left (or fail after a bound), waits
// that sleep in poll() and end early when the abort signal is raised.
#pragma once

#include "link/comport.h"
#include "link/transport.h"

#include <QString>

namespace obd {

class SerialLine : public FdLine {
public:
    SerialLine(const QString& path, const LineSettings& settings)
        : m_path(path), m_settings(settings) {}
    ~SerialLine() override;
    SerialLine(const SerialLine&) = delete;
    SerialLine& operator=(const SerialLine&) = delete;

    // Applied at once on an open line, at the next Open otherwise.
    void SetSettings(const LineSettings& settings);

    // Opens the device for exclusive use (flock, then TIOCEXCL) and applies the
    // line settings. An unusable name fails with EINVAL.
    void Open() override;
    void Close() override;
    // Returns when the line has transmitted every byte. A write that cannot
    // finish within WriteSlackMs plus the bytes' time at the line rate fails
    // (ETIMEDOUT) and its unsent bytes are discarded.
    void WriteStr(const QByteArray& bytes) override;
    void Purge(bool input, bool output) override;

private:
    QString name() const override { return m_path; }
    // Milliseconds the line takes for that many bytes at the current settings.
    int lineTimeMs(qsizetype bytes) const;
    void applySettings();
    void applyModemLines();

    QString m_path;
    LineSettings m_settings;
};

} // namespace obd
