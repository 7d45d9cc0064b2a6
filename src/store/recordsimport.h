// "Import local tables": copies the customers and visits of a data folder's
// dBase tables into the records server, in one transaction. Each record is
// marked with the folder it came from and its number there, so running the
// import again adds nothing. The counts are checked on the server before
// the transaction ends: a mismatch undoes the whole import.
#pragma once

#include <QString>

namespace obd {

class ServerRecords;

struct ImportCounts {
    int read = 0;  // records in the local tables
    int added = 0; // newly stored on the server by this run
};

struct ImportResult {
    ImportCounts customers;
    ImportCounts visits;
    int codes = 0;        // codes of all local visits
    QString origin;       // the name the records are marked with on the server
    QString Text() const; // the counts, for the user
};

// The local folder's name on the server: this computer and the folder.
QString OriginOfFolder(const QString& dataFolder);

// Throws TableError when the tables cannot be read, ServerError when the
// server fails or the counts on the server do not match (nothing is then
// stored).
ImportResult ImportLocalTables(const QString& dataFolder, ServerRecords& server);

} // namespace obd
