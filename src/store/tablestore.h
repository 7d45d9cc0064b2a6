// The four tables of the program, opened together at start-up from the data
// folder, the numbering rules with their counters in options.dbf, and the
// rule of one writer per data folder.
#pragma once

#include "store/dataset.h"

namespace obd {

class TableStore {
public:
    TableStore();
    TableStore(const TableStore&) = delete;
    TableStore& operator=(const TableStore&) = delete;
    ~TableStore();

    // Creates the folder if missing (a failure is left to the openings), then
    // opens tOptions, tCustomer, tDTCHead and tDTCMain in this order; the first
    // failure is thrown and the tables after it stay closed.
    //
    // The first store to open a folder becomes its writer: it holds an
    // exclusive lock on the folder until it closes or its process ends, and
    // gives each table the fields of this release it lacks. A store that
    // finds the lock taken opens the tables read-only: ReadOnly() is true,
    // and every Post, Delete or visit save is refused with a message. So
    // does a folder whose tables this user or its mount cannot write (a copy
    // on a write-protected stick): the tables are shown, not hidden.
    void OpenAll(const QString& dataFolder);

    bool ReadOnly() const { return !m_readOnlyNotice.isEmpty(); }
    // Why the tables are read-only and where they are, for the user; "" when
    // this store writes.
    const QString& ReadOnlyNotice() const { return m_readOnlyNotice; }

    // Installed as tCustomer.BeforePost: a customer without a number gets the
    // one CUSTOMERNR holds, and CUSTOMERNR moves on by one.
    void tCustomerBeforePost(Dataset& customer);

    // The number counterField of options.dbf holds; the counter is advanced
    // and stored before the number is returned, so a number is never handed
    // out twice.
    qint32 TakeNumber(const QString& counterField);

    Dataset tOptions{QStringLiteral("tOptions"), QStringLiteral("options.dbf")};
    Dataset tCustomer{QStringLiteral("tCustomer"), QStringLiteral("customer.dbf")};
    Dataset tDTCHead{QStringLiteral("tDTCHead"), QStringLiteral("dtchead.dbf")};
    Dataset tDTCMain{QStringLiteral("tDTCMain"), QStringLiteral("dtcmain.dbf")};

private:
    void lockFolder(const QString& dataFolder);
    void unlockFolder();

    int m_lockFd = -1;
    QString m_readOnlyNotice;
};

} // namespace obd
