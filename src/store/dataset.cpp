#include "store/dataset.h"

#include "common/errors.h"

#include <QDir>

namespace obd {

// ---- Field

QString Field::AsString() const {
    return m_dataset->fieldText(m_index);
}

void Field::SetAsString(const QString& text) {
    m_dataset->setFieldText(m_index, text);
}

qint32 Field::AsInteger() const {
    return m_dataset->fieldInteger(m_index);
}

void Field::SetAsInteger(qint32 value) {
    m_dataset->setFieldText(m_index, QString::number(value));
}

const QString& Field::Name() const {
    return m_dataset->fieldDef(m_index).name;
}

// ---- Dataset

Dataset::Dataset(const QString& objectName, const QString& fileName) : m_fileName(fileName) {
    setObjectName(objectName);
}

Dataset::~Dataset() = default;

QString Dataset::context() const {
    return objectName() + QStringLiteral(": ");
}

void Dataset::fail(const QString& text) const {
    throw TableError(context() + text);
}

void Dataset::checkActive() const {
    if (!Active())
        fail(QStringLiteral("Operation bei geschlossener Datenmenge nicht ausführbar"));
}

void Dataset::SetFolder(const QString& folder) {
    if (Active())
        fail(QStringLiteral("Operation bei geöffneter Datenmenge nicht ausführbar"));
    m_folder = folder;
}

QString Dataset::FilePath() const {
    return m_folder.isEmpty() ? m_fileName : QDir(m_folder).filePath(m_fileName);
}

void Dataset::Open() {
    if (Active())
        return;
    // A dataset that refuses every change needs no write access to its file.
    m_file.Open(FilePath(), context(), ReadOnly());
    m_visible.clear();
    m_visible.reserve(size_t(m_file.RecordCount()));
    m_adopted = 0;
    adoptNewRecords();
    m_current = m_visible.empty() ? -1 : 0;
    setState(DatasetState::Browse);
    notify();
}

void Dataset::Close() {
    if (!Active())
        return;
    m_buffer.clear();
    m_modified = false;
    m_file.Close();
    m_visible.clear();
    m_current = -1;
    setState(DatasetState::Closed);
}

void Dataset::adoptNewRecords() {
    for (; m_adopted < m_file.RecordCount(); ++m_adopted)
        if (m_file.Record(m_adopted)[0] != dbf::kDeletedMark)
            m_visible.push_back(m_adopted);
}

void Dataset::checkWritable() const {
    if (!m_readOnly.isEmpty())
        fail(m_readOnly);
}

void Dataset::AppendRecords(const std::vector<QByteArray>& records) {
    checkActive();
    checkWritable();
    if (m_state != DatasetState::Browse)
        fail(QStringLiteral("Datenmenge im Bearbeitungs- oder Einfügemodus"));
    m_file.AppendMany(records);
    adoptNewRecords();
    if (m_current < 0 && !m_visible.empty())
        m_current = 0;
    notify();
}

int Dataset::FieldIndex(const QString& name) const {
    const std::vector<dbf::FieldDef>& fields = m_file.fields();
    for (size_t i = 0; i < fields.size(); ++i)
        if (fields[i].name.compare(name, Qt::CaseInsensitive) == 0)
            return int(i);
    return -1;
}

Field Dataset::FieldByName(const QString& name) {
    checkActive();
    const int index = FieldIndex(name);
    if (index < 0)
        fail(QStringLiteral("Das Feld '%1' wurde nicht gefunden").arg(name));
    return Field(this, index);
}

const dbf::FieldDef& Dataset::fieldDef(int index) const {
    checkActive();
    // A Field kept across a reopen may point past the fields of the file now open.
    if (index < 0 || size_t(index) >= m_file.fields().size())
        fail(QStringLiteral("Das Feld Nr. %1 wurde nicht gefunden").arg(index + 1));
    return m_file.fields()[size_t(index)];
}

int Dataset::RecordCount() const {
    return int(m_visible.size());
}

int Dataset::RecNo() const {
    return m_state == DatasetState::Insert ? RecordCount() : m_current;
}

const char* Dataset::currentRecord() const {
    if (m_state == DatasetState::Edit || m_state == DatasetState::Insert)
        return m_buffer.constData();
    if (m_current < 0)
        return nullptr;
    return m_file.Record(m_visible[size_t(m_current)]);
}

QString Dataset::fieldText(int index) const {
    const dbf::FieldDef& def = fieldDef(index);
    const char* record = currentRecord();
    return record ? dbf::FieldText(def, record) : QString();
}

qint32 Dataset::fieldInteger(int index) const {
    const dbf::FieldDef& def = fieldDef(index);
    const char* record = currentRecord();
    return record ? dbf::FieldInteger(def, record, context()) : 0;
}

void Dataset::setFieldText(int index, const QString& text) {
    const dbf::FieldDef& def = fieldDef(index);
    if (m_state != DatasetState::Edit && m_state != DatasetState::Insert)
        fail(QStringLiteral("Datenmenge nicht im Bearbeitungs- oder Einfügemodus"));
    dbf::SetFieldText(def, m_buffer.data(), text, context());
    m_modified = true;
    notify(def.name);
}

QString Dataset::DisplayText(int visibleRow, int fieldIndex) const {
    if (!Active() || fieldIndex < 0 || fieldIndex >= int(m_file.fields().size()))
        return {};
    const dbf::FieldDef& def = m_file.fields()[size_t(fieldIndex)];
    const bool pending = m_state == DatasetState::Edit || m_state == DatasetState::Insert;
    if (pending && visibleRow == RecNo())
        return dbf::FieldText(def, m_buffer.constData());
    if (visibleRow < 0 || visibleRow >= RecordCount())
        return {};
    return dbf::FieldText(def, m_file.Record(m_visible[size_t(visibleRow)]));
}

void Dataset::leavePending() {
    if (m_state != DatasetState::Edit && m_state != DatasetState::Insert)
        return;
    if (m_modified) {
        Post();
        return;
    }
    m_buffer.clear();
    setState(DatasetState::Browse);
}

void Dataset::First() {
    checkActive();
    leavePending();
    m_current = m_visible.empty() ? -1 : 0;
    notify();
}

void Dataset::MoveTo(int visibleIndex) {
    checkActive();
    leavePending();
    if (visibleIndex < 0 || visibleIndex >= RecordCount())
        fail(QStringLiteral("Datensatz %1 existiert nicht").arg(visibleIndex + 1));
    m_current = visibleIndex;
    notify();
}

void Dataset::startPending(DatasetState state, QByteArray buffer) {
    m_buffer = std::move(buffer);
    m_modified = false;
    setState(state);
    notify();
}

void Dataset::Insert() {
    checkActive();
    leavePending();
    startPending(DatasetState::Insert, QByteArray(m_file.header().recordLength, ' '));
}

void Dataset::Edit() {
    checkActive();
    if (m_state != DatasetState::Browse)
        return;
    if (m_current < 0) {
        Insert();
        return;
    }
    startPending(DatasetState::Edit, QByteArray(m_file.Record(m_visible[size_t(m_current)]),
                                                m_file.header().recordLength));
}

void Dataset::Post() {
    checkActive();
    if (m_state != DatasetState::Edit && m_state != DatasetState::Insert)
        fail(QStringLiteral("Datenmenge nicht im Bearbeitungs- oder Einfügemodus"));
    if (m_posting)
        fail(QStringLiteral("Post ist bereits im Gange"));
    checkWritable();
    if (BeforePost) {
        m_posting = true;
        try {
            BeforePost(*this);
        } catch (...) {
            m_posting = false;
            throw;
        }
        m_posting = false;
        // The handler may have left the pending state by its own means.
        if (m_state != DatasetState::Edit && m_state != DatasetState::Insert)
            return;
    }
    m_buffer[0] = dbf::kActiveMark;
    if (m_state == DatasetState::Insert) {
        m_file.Append(m_buffer);
        adoptNewRecords(); // records another writer added, then this one
        m_current = RecordCount() - 1;
    } else {
        m_file.Rewrite(m_visible[size_t(m_current)], m_buffer);
        adoptNewRecords();
    }
    m_buffer.clear();
    m_modified = false;
    setState(DatasetState::Browse);
    notify();
}

void Dataset::Cancel() {
    checkActive();
    if (m_state == DatasetState::Browse)
        return;
    m_buffer.clear();
    m_modified = false;
    setState(DatasetState::Browse);
    notify();
}

void Dataset::Delete() {
    checkActive();
    if (m_state == DatasetState::Insert) {
        Cancel(); // the new record was never stored
        return;
    }
    if (m_current < 0)
        fail(QStringLiteral("Operation bei leerer Datenmenge nicht ausführbar"));
    checkWritable();
    if (BeforeDelete)
        BeforeDelete(*this);
    const int fileIndex = m_visible[size_t(m_current)];
    QByteArray record(m_file.Record(fileIndex), m_file.header().recordLength);
    record[0] = dbf::kDeletedMark;
    m_file.Rewrite(fileIndex, record);
    adoptNewRecords();
    m_buffer.clear();
    m_modified = false;
    m_visible.erase(m_visible.begin() + m_current);
    if (m_current >= RecordCount())
        m_current = RecordCount() - 1;
    setState(DatasetState::Browse);
    notify();
}

void Dataset::DisableControls() {
    ++m_disabled;
}

void Dataset::EnableControls() {
    if (m_disabled == 0)
        return;
    if (--m_disabled == 0) {
        Q_EMIT StateChange();
        if (Active())
            Q_EMIT DataChange(QString());
    }
}

void Dataset::setState(DatasetState state) {
    if (m_state == state)
        return;
    m_state = state;
    if (m_disabled == 0)
        Q_EMIT StateChange();
}

void Dataset::notify(const QString& fieldName) {
    if (m_disabled == 0)
        Q_EMIT DataChange(fieldName);
}

} // namespace obd
