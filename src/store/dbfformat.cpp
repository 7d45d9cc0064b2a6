#include "store/dbfformat.h"

#include "common/codec.h"
#include "common/errors.h"
#include "common/regional.h"

#include <QRegularExpression>
#include <algorithm>
#include <array>
#include <cstring>
#include <limits>
#include <optional>

namespace obd::dbf {

namespace {

[[noreturn]] void damaged(const QString& fileName, const QString& why) {
    throw TableError(QStringLiteral("'%1' ist keine gültige dBase-Tabelle: %2").arg(fileName, why));
}

quint32 readLe(const QByteArray& bytes, int at, int size) {
    quint32 value = 0;
    for (int i = size - 1; i >= 0; --i)
        value = (value << 8) | quint8(bytes[at + i]);
    return value;
}

void writeLe(char* to, quint32 value, int size) {
    for (int i = 0; i < size; ++i)
        to[i] = char((value >> (8 * i)) & 0xFF);
}

// Language drivers whose texts are Windows-1252: none given, the DOS-era ANSI
// id and the Windows ANSI id.
constexpr std::array<quint8, 3> kAnsiDrivers{0x00, 0x03, kLanguageAnsi};

// Limits per type of one field. Reading is lenient about numeric widths that
// other writers use; creating keeps to the dBase IV limits.
struct TypeShape {
    char type;
    int minLength;
    int maxReadLength;
    int maxCreateLength;
    bool hasDecimals;
};
constexpr std::array<TypeShape, 5> kShapes{{
    {'C', 1, 255, 254, false},
    {'N', 1, 32, 20, true},
    {'F', 1, 32, 20, true},
    {'D', 8, 8, 8, false},
    {'L', 1, 1, 1, false},
}};

const TypeShape* shapeOf(char type) {
    for (const TypeShape& s : kShapes)
        if (s.type == type)
            return &s;
    return nullptr;
}

// Empty text when the type, width and decimals fit, otherwise the reason.
QString shapeProblem(const QString& name, char type, int length, int decimals, bool creating) {
    const TypeShape* shape = shapeOf(type);
    if (shape == nullptr)
        return creating ? QStringLiteral("Feld '%1': Typ '%2' kann nicht angelegt werden")
                              .arg(name, QString(QChar::fromLatin1(type)))
                        : QString();
    const int maxLength = creating ? shape->maxCreateLength : shape->maxReadLength;
    if (length < shape->minLength || length > maxLength)
        return QStringLiteral("Feld '%1': Länge %2 ist für den Typ '%3' nicht möglich")
            .arg(name)
            .arg(length)
            .arg(QChar::fromLatin1(type));
    if (shape->hasDecimals ? (decimals > 0 && decimals > length - 2) : decimals != 0)
        return QStringLiteral("Feld '%1': %2 Nachkommastellen passen nicht zur Länge %3")
            .arg(name)
            .arg(decimals)
            .arg(length);
    return {};
}

bool isNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}

// YYYYMMDD as stored in a D field; an invalid date for anything else.
QDate storedDate(const QByteArray& stored) {
    if (stored.size() != 8 ||
        !std::all_of(stored.begin(), stored.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return {};
    const auto number = [&](int from, int count) {
        int value = 0;
        for (int i = from; i < from + count; ++i)
            value = value * 10 + (stored[i] - '0');
        return value;
    };
    return QDate(number(0, 4), number(4, 2), number(6, 2));
}

QByteArray fieldBytes(const FieldDef& field, const char* record) {
    return QByteArray(record + field.offset, field.length);
}

struct LogicalText {
    char stored;
    const char* text;
};
// Accepted spellings when writing an L field; the first of each value is what
// reading gives back.
constexpr std::array<LogicalText, 10> kLogicalTexts{{
    {'T', "True"},
    {'F', "False"},
    {'T', "T"},
    {'F', "F"},
    {'T', "Y"},
    {'F', "N"},
    {'T', "J"},
    {'T', "Ja"},
    {'F', "Nein"},
    {'T', "1"},
}};

QString logicalText(char stored) {
    switch (stored) {
    case 'T':
    case 't':
    case 'Y':
    case 'y':
        return QStringLiteral("True");
    case 'F':
    case 'f':
    case 'N':
    case 'n':
        return QStringLiteral("False");
    default:
        return {}; // ' ' and '?' mean "not set"
    }
}

// Canonical number text for an N or F field: sign, digits, the field's
// decimals. Empty optional for text that is not a plain decimal number.
std::optional<QByteArray> numberText(const QString& text, int decimals) {
    static const QRegularExpression pattern(QStringLiteral("^([+-]?)([0-9]*)(?:[.,]([0-9]*))?$"));
    const QString trimmed = text.trimmed();
    const QRegularExpressionMatch m = pattern.match(trimmed);
    if (!m.hasMatch() || (m.capturedLength(2) == 0 && m.capturedLength(3) == 0))
        return std::nullopt;
    if (trimmed.contains(QLatin1Char(',')) && DecimalSeparator() != QLatin1Char(','))
        return std::nullopt;
    QString whole = m.captured(2);
    QString fraction = m.captured(3);
    if (fraction.size() > decimals) {
        // More decimals than the field keeps: round like the C library does.
        const double value =
            QString(m.captured(1) + (whole.isEmpty() ? "0" : whole) + "." + fraction).toDouble();
        return numberText(QString::number(value, 'f', decimals), decimals);
    }
    while (whole.size() > 1 && whole.front() == '0')
        whole.remove(0, 1);
    if (whole.isEmpty())
        whole = QStringLiteral("0");
    fraction = fraction.leftJustified(decimals, '0');
    const bool zero = whole == "0" && std::all_of(fraction.begin(), fraction.end(),
                                                  [](QChar c) { return c == '0'; });
    QString result = (m.captured(1) == "-" && !zero ? "-" : "") + whole;
    if (decimals > 0)
        result += "." + fraction;
    return result.toLatin1();
}

} // namespace

Header ParseHeader(const QByteArray& bytes, const QString& fileName) {
    if (bytes.size() < kHeaderPrefix + 1)
        damaged(fileName, QStringLiteral("der Dateikopf ist abgeschnitten"));
    Header h;
    h.version = quint8(bytes[0]);
    // dBase III and IV (with or without memo) keep their format level in the
    // low three bits; other families (FoxPro, dBase 7) lay fields out differently.
    if ((h.version & 0x07) != 0x03)
        damaged(fileName,
                QStringLiteral("unbekannte Version 0x%1").arg(h.version, 2, 16, QLatin1Char('0')));
    h.lastUpdate = QDate(1900 + quint8(bytes[1]), quint8(bytes[2]), quint8(bytes[3]));
    h.recordCount = readLe(bytes, 4, 4);
    h.headerLength = int(readLe(bytes, 8, 2));
    h.recordLength = int(readLe(bytes, 10, 2));
    h.languageDriver = quint8(bytes[29]);
    if (h.headerLength > bytes.size())
        damaged(fileName, QStringLiteral("der Dateikopf ist abgeschnitten"));
    if (h.headerLength < kHeaderPrefix + kDescriptorSize + 1)
        damaged(fileName, QStringLiteral("Kopflänge %1 ist zu klein").arg(h.headerLength));
    if (std::find(kAnsiDrivers.begin(), kAnsiDrivers.end(), h.languageDriver) == kAnsiDrivers.end())
        damaged(fileName, QStringLiteral("Sprachtreiber 0x%1 wird nicht unterstützt")
                              .arg(h.languageDriver, 2, 16, QLatin1Char('0')));

    int at = kHeaderPrefix;
    int offset = 1; // the deletion mark comes first
    for (;;) {
        if (at >= h.headerLength)
            damaged(fileName, QStringLiteral("das Ende der Feldbeschreibungen fehlt"));
        if (bytes[at] == 0x0D)
            break;
        if (at + kDescriptorSize > h.headerLength)
            damaged(fileName, QStringLiteral("eine Feldbeschreibung ist abgeschnitten"));
        FieldDef f;
        int nameLength = 0;
        while (nameLength < 11 && bytes[at + nameLength] != 0)
            ++nameLength;
        const QByteArray name = bytes.mid(at, nameLength);
        if (name.isEmpty() || nameLength > 10 || !std::all_of(name.begin(), name.end(), isNameChar))
            damaged(fileName, QStringLiteral("ungültiger Feldname in Feldbeschreibung %1")
                                  .arg(h.fields.size() + 1));
        f.name = QString::fromLatin1(name).toUpper();
        f.type = bytes[at + 11];
        f.length = quint8(bytes[at + 16]);
        f.decimals = quint8(bytes[at + 17]);
        f.offset = offset;
        if (f.length == 0)
            damaged(fileName, QStringLiteral("Feld '%1' hat die Länge 0").arg(f.name));
        const QString problem = shapeProblem(f.name, f.type, f.length, f.decimals, false);
        if (!problem.isEmpty())
            damaged(fileName, problem);
        offset += f.length;
        h.fields.push_back(f);
        at += kDescriptorSize;
    }
    if (h.fields.empty())
        damaged(fileName, QStringLiteral("die Tabelle hat keine Felder"));
    if (offset != h.recordLength)
        damaged(fileName, QStringLiteral("Satzlänge %1 passt nicht zu den Feldern (%2)")
                              .arg(h.recordLength)
                              .arg(offset));
    return h;
}

qint64 RecordsOnDisk(const Header& header, qint64 fileSize) {
    if (fileSize <= header.headerLength)
        return 0;
    return (fileSize - header.headerLength) / header.recordLength;
}

bool IsWritableType(char type) {
    return shapeOf(type) != nullptr;
}

QString FieldText(const FieldDef& field, const char* record) {
    const QByteArray raw = fieldBytes(field, record);
    switch (field.type) {
    case 'N':
    case 'F':
        return QString::fromLatin1(raw.trimmed());
    case 'D': {
        const QByteArray stored = raw.trimmed();
        if (stored.isEmpty())
            return {};
        const QDate date = storedDate(stored);
        // A damaged date is shown as stored rather than hidden.
        return date.isValid() ? ShortDateText(date) : QString::fromLatin1(stored);
    }
    case 'L':
        return logicalText(raw[0]);
    default: {
        // C, and opaque types (memo block numbers and the like) as stored.
        qsizetype end = raw.size();
        while (end > 0 && (raw[end - 1] == ' ' || raw[end - 1] == '\0'))
            --end;
        return fromCp1252(raw.left(end));
    }
    }
}

void SetFieldText(const FieldDef& field, char* record, const QString& text,
                  const QString& context) {
    const auto fail = [&](const QString& why) { throw TableError(context + why); };
    if (!IsWritableType(field.type))
        fail(QStringLiteral("Das Feld '%1' vom Typ '%2' kann nicht geschrieben werden")
                 .arg(field.name, QString(QChar::fromLatin1(field.type))));
    QByteArray value;
    bool rightAligned = false;
    if (!text.isEmpty()) {
        switch (field.type) {
        case 'C':
            value = toCp1252(text);
            if (fromCp1252(value) != text)
                fail(QStringLiteral("Der Text '%1' enthält Zeichen, die das Feld '%2' nicht "
                                    "speichern kann")
                         .arg(text, field.name));
            if (value.size() > field.length)
                fail(QStringLiteral("Der Text '%1' ist zu lang für das Feld '%2' (höchstens %3 "
                                    "Zeichen)")
                         .arg(text, field.name)
                         .arg(field.length));
            break;
        case 'N':
        case 'F': {
            const std::optional<QByteArray> number = numberText(text, field.decimals);
            if (!number)
                fail(QStringLiteral("'%1' ist kein gültiger Wert für das Feld '%2'")
                         .arg(text, field.name));
            if (number->size() > field.length)
                fail(QStringLiteral("Der Wert '%1' passt nicht in das Feld '%2' (höchstens %3 "
                                    "Stellen)")
                         .arg(text, field.name)
                         .arg(field.length));
            value = *number;
            rightAligned = true;
            break;
        }
        case 'D': {
            const std::optional<QDate> date = ParseShortDate(text);
            if (!date || date->year() < 1 || date->year() > 9999)
                fail(QStringLiteral("'%1' ist kein gültiges Datum für das Feld '%2'")
                         .arg(text, field.name));
            value = date->toString(QStringLiteral("yyyyMMdd")).toLatin1();
            break;
        }
        default: { // 'L'
            const QString wanted = text.trimmed();
            const auto it =
                std::find_if(kLogicalTexts.begin(), kLogicalTexts.end(), [&](const LogicalText& l) {
                    return wanted.compare(QLatin1String(l.text), Qt::CaseInsensitive) == 0;
                });
            if (it == kLogicalTexts.end())
                fail(QStringLiteral("'%1' ist kein gültiger Wahrheitswert für das Feld '%2'")
                         .arg(text, field.name));
            value = QByteArray(1, it->stored);
            break;
        }
        }
    }
    char* to = record + field.offset;
    std::memset(to, ' ', size_t(field.length));
    std::memcpy(to + (rightAligned ? field.length - value.size() : 0), value.constData(),
                size_t(value.size()));
}

qint32 FieldInteger(const FieldDef& field, const char* record, const QString& context) {
    if (field.type != 'N' && field.type != 'F' && field.type != 'C')
        throw TableError(context + QStringLiteral("Das Feld '%1' kann nicht als Integer gelesen "
                                                  "werden")
                                       .arg(field.name));
    const QString text = QString::fromLatin1(fieldBytes(field, record).trimmed());
    if (text.isEmpty())
        return 0;
    static const QRegularExpression whole(QStringLiteral("^([+-]?[0-9]+)(?:\\.0*)?$"));
    const QRegularExpressionMatch m = whole.match(text);
    if (!m.hasMatch())
        throw TableError(context + QStringLiteral("'%1' im Feld '%2' ist kein gültiger Integerwert")
                                       .arg(text, field.name));
    bool ok = false;
    const qlonglong value = m.captured(1).toLongLong(&ok);
    if (!ok || value < std::numeric_limits<qint32>::min() ||
        value > std::numeric_limits<qint32>::max())
        throw TableError(context + QStringLiteral("Der Wert %1 im Feld '%2' liegt außerhalb des "
                                                  "Integer-Bereichs")
                                       .arg(text, field.name));
    return qint32(value);
}

std::optional<QDate> FieldDate(const FieldDef& field, const char* record) {
    const QDate date = QDate::fromString(QString::fromLatin1(fieldBytes(field, record)),
                                         QStringLiteral("yyyyMMdd"));
    if (!date.isValid())
        return std::nullopt;
    return date;
}

void SetFieldDate(const FieldDef& field, char* record, const QDate& date) {
    char* to = record + field.offset;
    std::memset(to, ' ', size_t(field.length));
    if (date.isValid() && date.year() >= 1 && date.year() <= 9999 && field.length == 8)
        std::memcpy(to, date.toString(QStringLiteral("yyyyMMdd")).toLatin1().constData(), 8);
}

void PutCountAndDate(char* header, quint32 count, const QDate& date) {
    header[1] = char(std::clamp(date.year() - 1900, 0, 255));
    header[2] = char(date.month());
    header[3] = char(date.day());
    writeLe(header + 4, count, 4);
}

QByteArray EmptyTable(const std::vector<FieldSpec>& fields, quint8 languageDriver,
                      const QDate& today) {
    if (fields.empty() || fields.size() > 255)
        throw TableError(QStringLiteral("Eine Tabelle braucht 1 bis 255 Felder"));
    const int headerLength = kHeaderPrefix + kDescriptorSize * int(fields.size()) + 1;
    QByteArray bytes(headerLength + 1, '\0');
    int recordLength = 1;
    for (size_t i = 0; i < fields.size(); ++i) {
        const FieldSpec& f = fields[i];
        const QByteArray name = f.name.toLatin1();
        if (name.isEmpty() || name.size() > 10 || name != name.toUpper() ||
            !std::all_of(name.begin(), name.end(), isNameChar))
            throw TableError(QStringLiteral("Ungültiger Feldname '%1'").arg(f.name));
        const QString problem = shapeProblem(f.name, f.type, f.length, f.decimals, true);
        if (!problem.isEmpty())
            throw TableError(problem);
        char* d = bytes.data() + kHeaderPrefix + kDescriptorSize * int(i);
        std::memcpy(d, name.constData(), size_t(name.size()));
        d[11] = f.type;
        d[16] = char(f.length);
        d[17] = char(f.decimals);
        recordLength += f.length;
    }
    if (recordLength > 0xFFFF)
        throw TableError(QStringLiteral("Die Satzlänge %1 ist zu groß").arg(recordLength));
    bytes[0] = 0x03;
    PutCountAndDate(bytes.data(), 0, today);
    writeLe(bytes.data() + 8, quint32(headerLength), 2);
    writeLe(bytes.data() + 10, quint32(recordLength), 2);
    bytes[29] = char(languageDriver);
    bytes[headerLength - 1] = 0x0D;
    bytes[headerLength] = kEndMark;
    return bytes;
}

} // namespace obd::dbf
