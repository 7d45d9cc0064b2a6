// Records shared by the diagnostic services, the trouble-code file and the
// pages: support flags, the decoded monitor status and trouble-code entries.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QString>
#include <QStringList>
#include <array>
#include <initializer_list>
#include <vector>

namespace obd {

// Support flags of service 01 PIDs 01 to 20: element k stands for PID k + 1.
using TSupportedPids = std::array<bool, 32>;

// The answer to service 01 PID 01: MIL and stored-code count from byte A, one
// flag per bit of bytes B, C and D in bit order. Fourteen flags are decoded;
// the ten Undecoded ones are always false.
struct TMonitorStatus {
    qint32 DtcCount = 0;
    bool MilOn = false;
    // byte B
    bool MisfireSupported = false;
    bool FuelSystemSupported = false;
    bool ComponentsSupported = false;
    bool UndecodedB3 = false;
    bool MisfireIncomplete = false;
    bool FuelSystemIncomplete = false;
    bool ComponentsIncomplete = false;
    bool UndecodedB7 = false;
    // byte C
    bool CatalystSupported = false;
    bool UndecodedC1 = false;
    bool EvapSystemSupported = false;
    bool UndecodedC3 = false;
    bool UndecodedC4 = false;
    bool OxygenSensorSupported = false;
    bool OxygenSensorHeaterSupported = false;
    bool UndecodedC7 = false;
    // byte D
    bool CatalystIncomplete = false;
    bool UndecodedD1 = false;
    bool EvapSystemIncomplete = false;
    bool UndecodedD3 = false;
    bool UndecodedD4 = false;
    bool OxygenSensorIncomplete = false;
    bool OxygenSensorHeaterIncomplete = false;
    bool UndecodedD7 = false;

    bool operator==(const TMonitorStatus&) const = default;
};

// A trouble code (at most 5 characters) with one description line (at most
// 127 characters).
struct TTroubleCodeEntry {
    QString Code;
    QString Text;
};

// The trouble-code descriptions, one entry per file line in file order, kept
// compact for files of millions of lines: the entries lie one after the other
// in one Windows-1252 buffer (code length, code, text length, text), and an
// index of their places sorted by code (and file order within a code) answers
// a lookup by binary search. The table is read-only once indexed.
class TTroubleCodeFile {
public:
    TTroubleCodeFile() = default;
    TTroubleCodeFile(const QList<TTroubleCodeEntry>& entries);
    TTroubleCodeFile(std::initializer_list<TTroubleCodeEntry> entries);

    // Building: entries in file order (code at most 5 bytes, text at most
    // 255), then Index() once before the first lookup. Reserve takes the
    // buffer's size at once, so a large file needs no growing copies.
    void Reserve(qsizetype bytes, qsizetype entries);
    void Append(QByteArrayView code, QByteArrayView text);
    void Index();

    qsizetype size() const { return qsizetype(m_places.size()); }
    bool isEmpty() const { return m_places.empty(); }

    // The entries in file order, decoded one at a time.
    class const_iterator {
    public:
        const_iterator(const QByteArray* buffer, qsizetype at) : m_buffer(buffer), m_at(at) {}
        TTroubleCodeEntry operator*() const;
        const_iterator& operator++();
        bool operator==(const const_iterator&) const = default;

    private:
        const QByteArray* m_buffer;
        qsizetype m_at;
    };
    const_iterator begin() const { return {&m_buffer, 0}; }
    const_iterator end() const { return {&m_buffer, m_buffer.size()}; }

    // The texts of every entry whose code equals code exactly, in file order.
    QStringList textsOf(const QString& code) const;

private:
    QByteArray m_buffer;
    // The place of each entry in m_buffer; after Index() sorted by code,
    // each code's entries in file order.
    std::vector<quint32> m_places;
};

} // namespace obd
