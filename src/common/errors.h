// Exceptions that carry the system's own message texts. They travel up to the
// event-handler guard, which shows text() in the general error box.
#pragma once

#include <QString>
#include <exception>
#include <string>

namespace obd {

class Error : public std::exception {
public:
    explicit Error(QString text) : m_text(std::move(text)), m_utf8(m_text.toStdString()) {}
    const QString& text() const noexcept { return m_text; }
    const char* what() const noexcept override { return m_utf8.c_str(); }

private:
    QString m_text;
    std::string m_utf8;
};

// Serial driver failures ("Unable to open com port (win error code: 2)", ...).
class DriverError : public Error {
public:
    using Error::Error;
};

// A number text that cannot be converted ("'$1G' ist kein gültiger Integerwert").
class ConversionError : public Error {
public:
    using Error::Error;
};

// File access failures (log, trouble-code texts, transcript).
class FileError : public Error {
public:
    using Error::Error;
};

// Table engine and dataset failures.
class TableError : public Error {
public:
    using Error::Error;
};

// Records server failures: unreachable, connection lost, a statement refused.
class ServerError : public Error {
public:
    using Error::Error;
};

} // namespace obd
