#include "common/obdtypes.h"

namespace obd {

TTroubleCodeFile::TTroubleCodeFile(QList<TTroubleCodeEntry> entries)
    : m_entries(std::move(entries)), m_next(size_t(m_entries.size()), -1) {
    m_first.reserve(m_entries.size());
    // Walking backwards leaves each code's first line in m_first and chains
    // the later ones behind it in file order.
    for (qsizetype i = m_entries.size() - 1; i >= 0; --i) {
        const auto first = m_first.find(m_entries[i].Code);
        if (first == m_first.end()) {
            m_first.insert(m_entries[i].Code, i);
        } else {
            m_next[size_t(i)] = *first;
            *first = i;
        }
    }
}

TTroubleCodeFile::TTroubleCodeFile(std::initializer_list<TTroubleCodeEntry> entries)
    : TTroubleCodeFile(QList<TTroubleCodeEntry>(entries)) {}

QStringList TTroubleCodeFile::textsOf(const QString& code) const {
    QStringList texts;
    for (qsizetype i = m_first.value(code, -1); i >= 0; i = m_next[size_t(i)])
        texts.append(m_entries[i].Text);
    return texts;
}

} // namespace obd
