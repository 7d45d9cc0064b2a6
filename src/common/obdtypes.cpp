#include "common/obdtypes.h"

#include "common/codec.h"

#include <algorithm>

namespace obd {

namespace {

constexpr qsizetype MaxCodeBytes = 5;

// The sort key of the entry at place: the code's five bytes (zero beyond its
// end) above its length, so codes of different lengths never meet.
quint64 KeyOf(QByteArrayView code) {
    quint64 key = 0;
    for (qsizetype k = 0; k < MaxCodeBytes; ++k)
        key = (key << 8) | (k < code.size() ? quint8(code[k]) : 0);
    return (key << 8) | quint64(code.size());
}

QByteArrayView CodeAt(const QByteArray& buffer, qsizetype at) {
    return QByteArrayView(buffer).sliced(at + 1, quint8(buffer[at]));
}

QByteArrayView TextAt(const QByteArray& buffer, qsizetype at) {
    const qsizetype text = at + 1 + quint8(buffer[at]);
    return QByteArrayView(buffer).sliced(text + 1, quint8(buffer[text]));
}

QString Decode(QByteArrayView bytes) {
    return fromCp1252(QByteArray::fromRawData(bytes.data(), bytes.size()));
}

} // namespace

TTroubleCodeFile::TTroubleCodeFile(const QList<TTroubleCodeEntry>& entries) {
    for (const TTroubleCodeEntry& e : entries)
        Append(toCp1252(e.Code), toCp1252(e.Text));
    Index();
}

TTroubleCodeFile::TTroubleCodeFile(std::initializer_list<TTroubleCodeEntry> entries)
    : TTroubleCodeFile(QList<TTroubleCodeEntry>(entries)) {}

void TTroubleCodeFile::Reserve(qsizetype bytes, qsizetype entries) {
    m_buffer.reserve(bytes);
    m_places.reserve(size_t(entries));
}

void TTroubleCodeFile::Append(QByteArrayView code, QByteArrayView text) {
    code = code.first(std::min(code.size(), MaxCodeBytes));
    text = text.first(std::min<qsizetype>(text.size(), 255));
    m_places.push_back(quint32(m_buffer.size()));
    m_buffer.append(char(code.size())).append(code).append(char(text.size())).append(text);
}

void TTroubleCodeFile::Index() {
    // A stable radix sort on the key's six bytes, lowest first: linear in the
    // number of entries whatever the codes, and file order within a code.
    std::vector<quint32> sorted(m_places.size());
    for (int shift = 0; shift < 48; shift += 8) {
        std::array<size_t, 257> start{};
        const auto byteOf = [&](quint32 place) {
            return size_t(KeyOf(CodeAt(m_buffer, place)) >> shift) & 0xFF;
        };
        for (quint32 place : m_places)
            ++start[byteOf(place) + 1];
        // A byte that is the same in every key leaves the order as it is.
        if (std::any_of(start.begin(), start.end(), [&](size_t n) { return n == m_places.size(); }))
            continue;
        for (size_t b = 1; b < start.size(); ++b)
            start[b] += start[b - 1];
        for (quint32 place : m_places)
            sorted[start[byteOf(place)]++] = place;
        m_places.swap(sorted);
    }
}

TTroubleCodeEntry TTroubleCodeFile::const_iterator::operator*() const {
    return {Decode(CodeAt(*m_buffer, m_at)), Decode(TextAt(*m_buffer, m_at))};
}

TTroubleCodeFile::const_iterator& TTroubleCodeFile::const_iterator::operator++() {
    const QByteArrayView text = TextAt(*m_buffer, m_at);
    m_at = text.data() + text.size() - m_buffer->constData();
    return *this;
}

QStringList TTroubleCodeFile::textsOf(const QString& code) const {
    const QByteArray bytes = toCp1252(code);
    // A code the file's code page cannot write, or a longer one, is in no entry.
    if (bytes.size() > MaxCodeBytes || fromCp1252(bytes) != code)
        return {};
    const quint64 key = KeyOf(bytes);
    const auto keyAt = [this](quint32 place) { return KeyOf(CodeAt(m_buffer, place)); };
    const auto first = std::lower_bound(m_places.begin(), m_places.end(), key,
                                        [&](quint32 place, quint64 k) { return keyAt(place) < k; });
    QStringList texts;
    for (auto it = first; it != m_places.end() && keyAt(*it) == key; ++it)
        texts.append(Decode(TextAt(m_buffer, *it)));
    return texts;
}

} // namespace obd
