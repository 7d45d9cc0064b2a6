#include "support_records.h"

#include "support_tables.h"

namespace obd::test {

std::unique_ptr<Records> RecordStores::Fresh(bool server) {
    m_serverKind = server;
    if (server) {
        m_server = {m_cluster.SocketFolder(), m_cluster.Port(), m_cluster.CreateDatabase(),
                    m_cluster.User()};
        if (m_server.database.isEmpty())
            qFatal("%s", qPrintable(m_cluster.Error()));
    } else {
        m_folder = std::make_unique<QTemporaryDir>();
        copyDeliveredTables(Folder());
    }
    return Again();
}

std::unique_ptr<Records> RecordStores::Again() const {
    std::unique_ptr<Records> records;
    if (m_serverKind)
        records = std::make_unique<ServerRecords>(m_server);
    else
        records = std::make_unique<TableRecords>(Folder());
    records->Open();
    return records;
}

} // namespace obd::test
