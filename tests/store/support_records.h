// The two record stores for the tests that run on both: the dBase tables in
// a folder of their own, and a database of its own on the test cluster.
#pragma once

#include "store/records.h"
#include "store/serverrecords.h"
#include "support/pgcluster.h"

#include <QTemporaryDir>
#include <memory>

namespace obd::test {

class RecordStores {
public:
    // Starts the cluster; check Error() before use.
    RecordStores() = default;
    QString Error() const { return m_cluster.Error(); }
    PgCluster& Cluster() { return m_cluster; }

    // A fresh, empty store of the kind, opened.
    std::unique_ptr<Records> Fresh(bool server);
    // The same store again, as another workstation or a restart sees it.
    std::unique_ptr<Records> Again() const;
    // The settings of the server store made last.
    ServerSettings Server() const { return m_server; }
    // The data folder of the table store made last.
    QString Folder() const {
        return m_folder ? m_folder->filePath(QStringLiteral("data")) : QString();
    }

private:
    PgCluster m_cluster;
    bool m_serverKind = false;
    std::unique_ptr<QTemporaryDir> m_folder;
    ServerSettings m_server;
};

} // namespace obd::test
