// A dataset over one table file: the current record, the browse/edit/insert
// states with Post and Cancel, the before-post handler and the change
// notification that the customer page and its grid rely on. Records marked
// deleted are hidden and stay in the file.
#pragma once

#include "store/dbffile.h"

#include <QObject>
#include <QString>
#include <functional>
#include <vector>

namespace obd {

enum class DatasetState { Closed, Browse, Edit, Insert };

class Dataset;

// A field of the current record. Cheap to copy; valid while the dataset stays open.
class Field {
public:
    QString AsString() const;         // empty field -> ""
    void SetAsString(const QString&); // "" leaves the field empty; bad text -> TableError
    qint32 AsInteger() const;         // empty -> 0; outside 32 bits -> TableError
    void SetAsInteger(qint32);
    const QString& Name() const;

private:
    friend class Dataset;
    Field(Dataset* dataset, int index) : m_dataset(dataset), m_index(index) {}
    Dataset* m_dataset;
    int m_index;
};

class Dataset : public QObject {
    Q_OBJECT
public:
    Dataset(const QString& objectName, const QString& fileName);
    ~Dataset() override;

    void SetFolder(const QString& folder); // refused while open
    const QString& Folder() const { return m_folder; }
    const QString& FileName() const { return m_fileName; }
    QString FilePath() const;

    void Open();  // no-op when open
    void Close(); // drops a pending record
    bool Active() const { return m_state != DatasetState::Closed; }
    DatasetState State() const { return m_state; }
    bool Modified() const { return m_modified; }

    Field FieldByName(const QString& name);    // unknown -> TableError
    int FieldIndex(const QString& name) const; // -1 when unknown or closed

    int RecordCount() const; // visible (not deleted) records
    // 0-based visible index of the current record, -1 on an empty table. While
    // inserting, the index the new record gets when posted (RecordCount()).
    int RecNo() const;

    // Moving while editing or inserting stores the record if a field was
    // written since Edit/Insert and drops it otherwise.
    void First();
    void MoveTo(int visibleIndex);

    void Insert(); // a new, empty record; posted records go after the last one
    void Edit();   // acts as Insert on a table without records; no-op while pending
    void Post();   // calls BeforePost first; a failure leaves the record pending
    void Cancel(); // back to the record current before; no-op while browsing
    void Delete(); // sets the deletion mark; the next record, or the last, becomes current

    // Appends whole records (built over Fields(), first byte the live mark)
    // after the last one in one durable step, without touching the current
    // record or the state; refused while a record is pending.
    void AppendRecords(const std::vector<QByteArray>& records);
    const std::vector<dbf::FieldDef>& Fields() const { return m_file.fields(); }
    // The stored bytes of a visible row, for readers that decode many rows;
    // valid until the next write. visibleRow must be in 0..RecordCount()-1.
    const char* RowRecord(int visibleRow) const {
        return m_file.Record(m_visible[size_t(visibleRow)]);
    }
    int RecordLength() const { return m_file.header().recordLength; }

    // A non-empty reason makes every Post, Delete and AppendRecords fail with
    // it (behind the table object's name): the table is read, never written.
    void SetReadOnly(const QString& reason) { m_readOnly = reason; }
    bool ReadOnly() const { return !m_readOnly.isEmpty(); }

    void DisableControls();
    void EnableControls(); // the last one reports the current state

    // Text of a field of any visible row, for views; the pending record shows
    // at RecNo(). "" for rows or fields that do not exist.
    QString DisplayText(int visibleRow, int fieldIndex) const;

    std::function<void(Dataset&)> BeforePost;
    // Called by Delete before the current record is marked; a failure leaves
    // the record in place.
    std::function<void(Dataset&)> BeforeDelete;

Q_SIGNALS:
    // Empty name: the record changed, the table opened or the state changed.
    void DataChange(const QString& fieldName);
    // Open, close and every change between browsing, editing and inserting.
    void StateChange();

private:
    friend class Field;
    const dbf::FieldDef& fieldDef(int index) const;
    QString fieldText(int index) const;
    qint32 fieldInteger(int index) const;
    void setFieldText(int index, const QString& text);
    const char* currentRecord() const;
    QString context() const;
    void checkActive() const;
    [[noreturn]] void fail(const QString& text) const;
    void leavePending(); // store if modified, otherwise drop
    void setState(DatasetState state);
    void notify(const QString& fieldName = {});
    void startPending(DatasetState state, QByteArray buffer);
    void checkWritable() const;
    // Makes the file's records not yet seen visible (those another writer
    // appended are read in by the file's writes).
    void adoptNewRecords();

    QString m_folder;
    QString m_fileName;
    dbf::DbfFile m_file;
    std::vector<int> m_visible; // file indices of the records not marked deleted
    int m_adopted = 0;          // file records looked at for m_visible
    int m_current = -1;         // visible index of the current stored record
    DatasetState m_state = DatasetState::Closed;
    QByteArray m_buffer; // the record being edited or inserted
    bool m_modified = false;
    bool m_posting = false;
    int m_disabled = 0;
    QString m_readOnly;
};

} // namespace obd
