#include "services/protocol.h"

#include "services/adaptermessages.h"

#include <QRegularExpression>
#include <QStringList>

namespace obd {

namespace {

const QString Unreadable = QStringLiteral("Die Antwort des Adapters ist nicht lesbar: „%1“");
const QString Incomplete =
    QStringLiteral("Die mehrteilige Antwort des Fahrzeugs ist unvollständig oder durcheinander.");

// A line of the reply with its blanks removed; index is the number in front
// of a headers-off consecutive line ("1:"), or -1.
struct Line {
    QString original;
    QString hex;
    int index = -1;
};

bool IsHex(const QString& text) {
    for (const QChar c : text)
        if (!((c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
              (c >= QLatin1Char('A') && c <= QLatin1Char('F')) ||
              (c >= QLatin1Char('a') && c <= QLatin1Char('f'))))
            return false;
    return !text.isEmpty();
}

bool IsProgressNote(const QString& compact) {
    return compact == QLatin1String("SEARCHING...") || compact == QLatin1String("BUSINIT:...OK");
}

// Hex text of an even length into bytes; nullopt otherwise.
std::optional<QByteArray> Bytes(const QString& hex) {
    if (hex.size() % 2 != 0 || !IsHex(hex))
        return std::nullopt;
    return QByteArray::fromHex(hex.toLatin1());
}

// Builds the messages of one reply; the first fault ends the reading.
class Reader {
public:
    Reader(ProtocolFamily family, bool headers) : m_family(family), m_headers(headers) {}

    bool read(const Line& line) {
        if (m_family == ProtocolFamily::KLine)
            return readKLine(line);
        return m_headers ? readCanFrame(line) : readCanLine(line);
    }

    // All multi-frame messages complete.
    bool finished() const { return m_open.isEmpty(); }
    QList<EcuMessage> messages() const { return m_messages; }

private:
    // A message whose consecutive frames are still to come.
    struct Open {
        int sender;
        qsizetype slot; // its place in m_messages
        int length;     // declared data length
        int nextIndex;  // expected frame number, 0 to 15
    };

    bool readKLine(const Line& line) {
        const std::optional<QByteArray> bytes = Bytes(line.hex);
        if (line.index >= 0 || !bytes)
            return false;
        if (!m_headers) {
            m_messages.append(EcuMessage{UnknownSender, *bytes});
            return true;
        }
        if (bytes->size() < 5)
            return false;
        m_messages.append(EcuMessage{quint8(bytes->at(2)), bytes->mid(3, bytes->size() - 4)});
        return true;
    }

    // Headers off: length line, numbered lines, or a single-frame message.
    bool readCanLine(const Line& line) {
        if (line.index >= 0) {
            if (m_open.isEmpty())
                return false;
            return append(m_open.front(), line.index, line.hex);
        }
        if (!m_open.isEmpty())
            return false;
        if (line.hex.size() == 3 && IsHex(line.hex)) {
            const int length = line.hex.toInt(nullptr, 16);
            m_open.append(Open{UnknownSender, m_messages.size(), length, 0});
            m_messages.append(EcuMessage{UnknownSender, {}});
            return length > 0;
        }
        const std::optional<QByteArray> bytes = Bytes(line.hex);
        if (!bytes)
            return false;
        m_messages.append(EcuMessage{UnknownSender, *bytes});
        return true;
    }

    // Headers on: identifier, ISO-TP byte(s), data.
    bool readCanFrame(const Line& line) {
        const qsizetype headerDigits = m_family == ProtocolFamily::Can11 ? 3 : 8;
        const QString header = line.hex.left(headerDigits);
        const std::optional<QByteArray> frame = Bytes(line.hex.mid(headerDigits));
        if (line.index >= 0 || header.size() != headerDigits || !IsHex(header) || !frame ||
            frame->isEmpty())
            return false;
        const int sender = m_family == ProtocolFamily::Can11 ? header.toInt(nullptr, 16)
                                                             : header.right(2).toInt(nullptr, 16);
        const int kind = quint8(frame->at(0)) >> 4;
        const int low = quint8(frame->at(0)) & 0x0F;
        Open* open = openOf(sender);
        switch (kind) {
        case 0: // single frame
            if (open || low == 0 || frame->size() < 1 + low)
                return false;
            m_messages.append(EcuMessage{sender, frame->mid(1, low)});
            return true;
        case 1: { // first frame: 12-bit length, then data
            if (open || frame->size() < 2)
                return false;
            const int length = low << 8 | quint8(frame->at(1));
            m_open.append(Open{sender, m_messages.size(), length, 0});
            m_messages.append(EcuMessage{sender, {}});
            return length > 0 && append(m_open.back(), 0, line.hex.mid(headerDigits + 4));
        }
        case 2: // consecutive frame N
            return open && append(*open, low, line.hex.mid(headerDigits + 2));
        default:
            return false;
        }
    }

    Open* openOf(int sender) {
        for (Open& open : m_open)
            if (open.sender == sender)
                return &open;
        return nullptr;
    }

    // Adds one frame's data to an open message; closes it at its length.
    bool append(Open& open, int index, const QString& hex) {
        const std::optional<QByteArray> bytes = Bytes(hex);
        if (!bytes || index != open.nextIndex)
            return false;
        QByteArray& data = m_messages[open.slot].data;
        data += *bytes;
        open.nextIndex = (open.nextIndex + 1) % 16;
        if (data.size() >= open.length) {
            data.truncate(open.length);
            const int sender = open.sender;
            m_open.removeIf([sender](const Open& o) { return o.sender == sender; });
        }
        return true;
    }

    ProtocolFamily m_family;
    bool m_headers;
    QList<EcuMessage> m_messages;
    QList<Open> m_open;
};

} // namespace

std::optional<ProtocolFamily> ProtocolFamilyOf(const QString& protocolNumber) {
    QString number = protocolNumber.trimmed().toUpper();
    if (number.size() == 2 && number.startsWith(QLatin1Char('A')))
        number.remove(0, 1);
    if (number.size() != 1)
        return std::nullopt;
    switch (number[0].unicode()) {
    case u'1':
    case u'2':
    case u'3':
    case u'4':
    case u'5':
        return ProtocolFamily::KLine;
    case u'6':
    case u'8':
        return ProtocolFamily::Can11;
    case u'7':
    case u'9':
        return ProtocolFamily::Can29;
    default:
        return std::nullopt;
    }
}

ParsedReply ParseReply(const QString& reply, ProtocolFamily family, bool headers) {
    if (QString message = AdapterMessageText(reply); !message.isEmpty())
        return {{}, message};
    static const QRegularExpression lineBreak(QStringLiteral("[\r\n]"));
    static const QRegularExpression numbered(QStringLiteral("^([0-9A-Fa-f]):(.*)$"));
    Reader reader(family, headers);
    for (const QString& text : reply.split(lineBreak, Qt::SkipEmptyParts)) {
        Line line{text.trimmed(), QString(text).remove(QLatin1Char(' ')).remove(QLatin1Char('\t'))};
        if (line.hex.isEmpty() || IsProgressNote(line.hex))
            continue;
        if (const QRegularExpressionMatch m = numbered.match(line.hex); m.hasMatch()) {
            line.index = m.captured(1).toInt(nullptr, 16);
            line.hex = m.captured(2);
        }
        if (!reader.read(line))
            return {{}, Unreadable.arg(line.original)};
    }
    if (!reader.finished())
        return {{}, Incomplete};
    return {reader.messages(), {}};
}

QString SenderName(int sender, ProtocolFamily family) {
    if (sender == UnknownSender)
        return {};
    return QStringLiteral("%1")
        .arg(sender, family == ProtocolFamily::Can11 ? 3 : 2, 16, QLatin1Char('0'))
        .toUpper();
}

} // namespace obd
