// One thing the window shows of the car, as far as the car told it: not read
// yet, read (the value), or could not be read (why, in the user's words: the
// adapter's message, a control unit's refusal, no answer, a reply that cannot
// be read). A page never shows a state the car did not report.
#pragma once

#include <QString>
#include <optional>
#include <utility>

namespace obd {

template <class T> class Reading {
public:
    // Not read yet.
    Reading() = default;
    static Reading Of(T value) {
        Reading r;
        r.m_value = std::move(value);
        return r;
    }
    static Reading Failed(QString why) {
        Reading r;
        r.m_why = std::move(why);
        return r;
    }

    bool IsRead() const { return m_value.has_value(); }
    bool HasFailed() const { return !m_value && !m_why.isEmpty(); }
    const T& Value() const { return *m_value; }
    const std::optional<T>& Optional() const { return m_value; }
    // Why it could not be read; "" unless it failed.
    const QString& Why() const { return m_why; }

private:
    std::optional<T> m_value;
    QString m_why;
};

} // namespace obd
