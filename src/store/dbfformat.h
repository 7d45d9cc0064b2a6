// The dBase III/IV file format: header and field descriptors, the encoding of
// C, N, F, D and L values inside a record, and the creation of empty tables.
// Pure functions over bytes, so the parser can be tested and fuzzed without files.
#pragma once

#include <QByteArray>
#include <QDate>
#include <QString>
#include <optional>
#include <vector>

namespace obd::dbf {

constexpr char kDeletedMark = '*';
constexpr char kActiveMark = ' ';
constexpr char kEndMark = 0x1A;
constexpr int kHeaderPrefix = 32;
constexpr int kDescriptorSize = 32;
constexpr quint8 kLanguageAnsi = 0x57; // Windows-1252 ANSI

struct FieldDef {
    QString name;
    char type = 'C';
    int length = 0;
    int decimals = 0;
    int offset = 0; // from the start of the record, after the deletion mark
};

struct Header {
    quint8 version = 0x03;
    QDate lastUpdate;
    quint32 recordCount = 0; // as the header states it
    int headerLength = 0;
    int recordLength = 0;
    quint8 languageDriver = 0;
    std::vector<FieldDef> fields;
};

// Validates and decodes the header at the start of bytes (the whole file or at
// least its header). Throws TableError naming fileName when the bytes are not a
// table this engine can read.
Header ParseHeader(const QByteArray& bytes, const QString& fileName);

// Whole records that a file of fileSize bytes holds after its header. The
// smaller of this and the stated count is what a careful reader trusts.
qint64 RecordsOnDisk(const Header& header, qint64 fileSize);

// Types this engine can read and write; others are carried as opaque bytes.
bool IsWritableType(char type);

// The field's value as text: C without its trailing blanks, N and F trimmed, D
// in the short date format, L as "True"/"False". Blanks give "".
QString FieldText(const FieldDef& field, const char* record);

// Stores text into the field's bytes of record. "" blanks the field. Throws
// TableError (context in front of the text) when the field cannot take it.
void SetFieldText(const FieldDef& field, char* record, const QString& text, const QString& context);

// The field as a 32-bit integer; blanks give 0. Throws TableError for text that
// is no whole number or lies outside the 32-bit range.
qint32 FieldInteger(const FieldDef& field, const char* record, const QString& context);

// A D field read and written as a date, independent of the user's formats.
// A blank or unreadable field gives no date; an invalid date blanks the field.
std::optional<QDate> FieldDate(const FieldDef& field, const char* record);
void SetFieldDate(const FieldDef& field, char* record, const QDate& date);

// Header bytes with the given record count and update date.
void PutCountAndDate(char* header, quint32 count, const QDate& date);

struct FieldSpec {
    QString name;
    char type;
    int length;
    int decimals;
};

// Bytes of an empty table (header, descriptors, terminator, end mark).
// Throws TableError for a field list the format cannot hold.
QByteArray EmptyTable(const std::vector<FieldSpec>& fields, quint8 languageDriver,
                      const QDate& today);

} // namespace obd::dbf
