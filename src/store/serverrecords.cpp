#include "store/serverrecords.h"

#include "common/errors.h"
#include "common/regional.h"
#include "store/dbfformat.h"
#include "store/tableschema.h"

#include <QDir>
#include <QFile>
#include <QSqlError>
#include <QSqlQuery>
#include <array>

namespace obd {

namespace {

// The schema, one step per version; a database at version n gets the steps
// after n, in one transaction. Steps are never changed once released: a new
// version adds a step.
constexpr std::array<const char*, 1> kSchemaSteps{
    // 1: customers, visits and their codes, numbered by sequences that start
    //    at 0 like the local tables' counters. origin and origin_nr name the
    //    local tables and number a record was imported from, so an import
    //    run twice adds nothing.
    R"sql(
CREATE SEQUENCE customer_number AS integer MINVALUE 0 START 0;
CREATE SEQUENCE visit_number AS integer MINVALUE 0 START 0;
CREATE TABLE customer (
    cust_nr integer PRIMARY KEY DEFAULT nextval('customer_number'),
    name text NOT NULL DEFAULT '',
    created date,
    address text NOT NULL DEFAULT '',
    origin text,
    origin_nr integer,
    UNIQUE (origin, origin_nr));
ALTER SEQUENCE customer_number OWNED BY customer.cust_nr;
CREATE TABLE visit (
    visit_nr integer PRIMARY KEY DEFAULT nextval('visit_number'),
    cust_nr integer NOT NULL,
    saved_at timestamp(0) NOT NULL,
    vehicle text NOT NULL,
    vin text NOT NULL,
    protocol text NOT NULL,
    mil_on boolean,
    rdy_misf smallint NOT NULL,
    rdy_fuel smallint NOT NULL,
    rdy_comp smallint NOT NULL,
    rdy_cat smallint NOT NULL,
    rdy_evap smallint NOT NULL,
    rdy_o2s smallint NOT NULL,
    rdy_o2sh smallint NOT NULL,
    odometer_km integer,
    dist_clr_km integer,
    freeze_frame text NOT NULL,
    remark text NOT NULL,
    code_count integer NOT NULL,
    origin text,
    origin_nr integer,
    UNIQUE (origin, origin_nr));
ALTER SEQUENCE visit_number OWNED BY visit.visit_nr;
CREATE INDEX visit_newest ON visit (saved_at DESC, visit_nr DESC);
CREATE INDEX visit_of_customer ON visit (cust_nr, saved_at DESC, visit_nr DESC);
CREATE TABLE visit_code (
    visit_nr integer NOT NULL REFERENCES visit ON DELETE CASCADE,
    position integer NOT NULL,
    code text NOT NULL,
    kind smallint NOT NULL,
    description text NOT NULL,
    unit text NOT NULL,
    PRIMARY KEY (visit_nr, position));
)sql",
};

// Key of the advisory lock that lets one workstation at a time create or
// upgrade the schema.
constexpr qint64 kSchemaLock = 0x4f42445f5256;

const QString kTimeFormat = QStringLiteral("yyyy-MM-dd HH:mm:ss");

QVariant nullable(const std::optional<qint32>& value) {
    return value ? QVariant(*value) : QVariant(QMetaType(QMetaType::Int));
}

std::optional<qint32> optionalInt(const QVariant& value) {
    if (value.isNull())
        return std::nullopt;
    return value.toInt();
}

QDateTime timeOf(const QVariant& text) {
    return QDateTime::fromString(text.toString(), kTimeFormat);
}

template <typename Enum> Enum enumOf(const QVariant& value, int count, Enum fallback) {
    const int n = value.toInt();
    return n >= 0 && n < count ? Enum(n) : fallback;
}

// The readiness columns of the visit table, in the order of kMonitors.
QString readinessColumns() {
    QStringList names;
    for (const MonitorDef& m : kMonitors)
        names << QString::fromLatin1(m.field).toLower();
    return names.join(QStringLiteral(", "));
}

// The columns a visit's head is read with, in the order visitOfRow expects.
QString headColumns() {
    return QStringLiteral("visit_nr, cust_nr, to_char(saved_at, 'YYYY-MM-DD HH24:MI:SS'), "
                          "vehicle, vin, protocol, mil_on, ") +
           readinessColumns() + QStringLiteral(", odometer_km, dist_clr_km, freeze_frame, remark");
}

VisitRecord visitOfRow(const QSqlQuery& q) {
    VisitRecord v;
    int c = 0;
    v.number = q.value(c++).toInt();
    v.customer = q.value(c++).toInt();
    v.when = timeOf(q.value(c++));
    v.vehicle = q.value(c++).toString();
    v.vin = q.value(c++).toString();
    v.protocol = q.value(c++).toString();
    const QVariant mil = q.value(c++);
    if (!mil.isNull())
        v.milOn = mil.toBool();
    for (Readiness& r : v.readiness)
        r = enumOf(q.value(c++), 4, Readiness::Unknown);
    v.odometerKm = optionalInt(q.value(c++));
    v.distanceSinceClearKm = optionalInt(q.value(c++));
    v.freezeFrame = q.value(c++).toString();
    v.remark = q.value(c++).toString();
    return v;
}

} // namespace

QVariant BoundText(const QString& value) {
    return value.isNull() ? QVariant(QStringLiteral("")) : QVariant(value);
}

ServerRecords::ServerRecords(ServerSettings server, PasswordPrompt askPassword)
    : m_server(std::move(server)), m_askPassword(std::move(askPassword)),
      m_name(QStringLiteral("obd-records-%1").arg(quintptr(this))),
      m_db(QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name)) {
    m_customers.SetFolder(m_workFolder.path());
    m_customers.BeforePost = [this](Dataset& customer) { customerBeforePost(customer); };
    m_customers.BeforeDelete = [this](Dataset& customer) { customerBeforeDelete(customer); };
}

ServerRecords::~ServerRecords() {
    m_customers.Close();
    m_db.close();
    m_db = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_name);
}

int ServerRecords::SchemaVersion() {
    return int(kSchemaSteps.size());
}

QString ServerRecords::Where() const {
    const QString host = m_server.host.isEmpty() ? QStringLiteral("localhost") : m_server.host;
    return QStringLiteral("\"%1\" auf %2:%3").arg(m_server.database, host).arg(m_server.port);
}

void ServerRecords::fail(const QString& what, const QString& why) const {
    // The connection may be gone: the next call opens it again.
    m_reconnect = true;
    throw ServerError(what + QStringLiteral(":\n") + why.trimmed());
}

QSqlDatabase& ServerRecords::connection() const {
    if (m_reconnect) {
        m_db.close();
        m_reconnect = false;
    }
    if (m_db.isOpen())
        return m_db;
    m_db.setHostName(m_server.host);
    m_db.setPort(m_server.port);
    m_db.setDatabaseName(m_server.database);
    m_db.setUserName(m_server.user);
    m_db.setPassword(m_password.value_or(QString()));
    m_db.setConnectOptions(
        QStringLiteral("connect_timeout=5;application_name=obd-torvane;sslmode=") +
        (m_server.requireTls ? QStringLiteral("require") : QStringLiteral("prefer")));
    bool open = m_db.open();
    QString why = m_db.lastError().databaseText();
    // Without a password from ~/.pgpass or a service file, the user is asked
    // once in this run.
    if (!open && m_askPassword && why.contains(QLatin1String("no password supplied"))) {
        if (const std::optional<QString> password =
                m_askPassword(QStringLiteral("Kennwort des Benutzers \"%1\" für die Datenbank %2:")
                                  .arg(m_server.user, Where()))) {
            m_db.setPassword(*password);
            open = m_db.open();
            why = m_db.lastError().databaseText();
            if (open)
                m_password = *password;
        }
    }
    if (!open)
        throw ServerError(
            QStringLiteral("Der Datenbankserver %1 ist nicht erreichbar:\n%2\nKunden und Diagnosen "
                           "können erst gelesen und gespeichert werden, wenn er erreichbar ist.")
                .arg(Where(), why.trimmed()));
    if (!m_migrated) {
        m_migrated = true; // set first: the migration itself uses this connection
        try {
            migrate();
        } catch (...) {
            m_migrated = false;
            throw;
        }
    }
    return m_db;
}

void ServerRecords::migrate() const {
    const auto exec = [this](const QString& sql) {
        QSqlQuery q(m_db);
        if (!q.exec(sql))
            fail(
                QStringLiteral("Das Datenbankschema in %1 kann nicht angelegt werden").arg(Where()),
                q.lastError().text());
        return q;
    };
    if (!m_db.transaction())
        fail(QStringLiteral("Fehler beim Zugriff auf den Datenbankserver %1").arg(Where()),
             m_db.lastError().text());
    try {
        // One workstation at a time creates or upgrades the schema.
        exec(QStringLiteral("SELECT pg_advisory_xact_lock(%1)").arg(kSchemaLock));
        exec(
            QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version (version integer NOT NULL)"));
        QSqlQuery q = exec(QStringLiteral("SELECT coalesce(max(version), 0) FROM schema_version"));
        const int version = q.next() ? q.value(0).toInt() : 0;
        if (version > SchemaVersion())
            throw ServerError(
                QStringLiteral("Die Datenbank %1 hat die Schema-Version %2; dieses Programm kennt "
                               "nur bis %3. Bitte das Programm aktualisieren.")
                    .arg(Where())
                    .arg(version)
                    .arg(SchemaVersion()));
        for (int step = version; step < SchemaVersion(); ++step)
            exec(QString::fromLatin1(kSchemaSteps[size_t(step)]));
        if (version < SchemaVersion()) {
            exec(QStringLiteral("DELETE FROM schema_version"));
            exec(QStringLiteral("INSERT INTO schema_version VALUES (%1)").arg(SchemaVersion()));
        }
    } catch (...) {
        m_db.rollback();
        throw;
    }
    if (!m_db.commit())
        fail(QStringLiteral("Das Datenbankschema in %1 kann nicht angelegt werden").arg(Where()),
             m_db.lastError().text());
}

QSqlQuery ServerRecords::Run(const QString& sql, const QVariantList& values) const {
    QSqlQuery q(connection());
    q.setForwardOnly(true);
    bool done = q.prepare(sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    done = done && q.exec();
    if (!done)
        fail(QStringLiteral("Fehler beim Zugriff auf den Datenbankserver %1").arg(Where()),
             q.lastError().text());
    return q;
}

QSqlQuery ServerRecords::Read(const QString& sql, const QVariantList& values) const {
    // A connection lost since the last call (a restarted server) is opened
    // again once: reading twice does no harm.
    try {
        return Run(sql, values);
    } catch (const ServerError&) {
        if (m_inTransaction)
            throw;
    }
    return Run(sql, values);
}

QVariant ServerRecords::Value(const QString& sql, const QVariantList& values) const {
    QSqlQuery q = Run(sql, values);
    return q.next() ? q.value(0) : QVariant();
}

void ServerRecords::InTransaction(const std::function<void()>& body) {
    QSqlDatabase& db = connection();
    if (!db.transaction())
        fail(QStringLiteral("Fehler beim Zugriff auf den Datenbankserver %1").arg(Where()),
             db.lastError().text());
    m_inTransaction = true;
    try {
        body();
    } catch (...) {
        m_inTransaction = false;
        // Rolled back on the server, or with the lost connection; the error
        // that stopped the body is the one reported.
        db.rollback();
        throw;
    }
    m_inTransaction = false;
    if (!db.commit())
        fail(QStringLiteral("Die Verbindung zum Datenbankserver %1 brach beim Abschluss ab; "
                            "gespeichert ist alles oder nichts davon")
                 .arg(Where()),
             db.lastError().text());
}

void ServerRecords::Open() {
    connection();
    RefreshCustomers();
}

// The customer list from the server as a table file for the working copy.
void ServerRecords::writeCustomerCopy(const QString& path) {
    QSqlQuery q = Read(QStringLiteral("SELECT name, created, address, cust_nr FROM customer "
                                      "ORDER BY cust_nr"));
    QByteArray table = dbf::EmptyTable(FieldsOf(QStringLiteral("customer.dbf")), dbf::kLanguageAnsi,
                                       QDate::currentDate());
    const dbf::Header header = dbf::ParseHeader(table, path);
    table.chop(1); // the end mark, written again after the records
    const auto field = [&header](const char* name) -> const dbf::FieldDef& {
        for (const dbf::FieldDef& f : header.fields)
            if (f.name == QLatin1String(name))
                return f;
        throw TableError(QStringLiteral("tCustomer: Das Feld '%1' wurde nicht gefunden").arg(name));
    };
    quint32 count = 0;
    while (q.next()) {
        QByteArray record(header.recordLength, ' ');
        const std::pair<const char*, QString> texts[] = {
            {"NAME", q.value(0).toString()},
            {"ADDRESS", LinesForField(q.value(2).toString())},
            {"CUST_NR", q.value(3).toString()}};
        for (const auto& [name, text] : texts) {
            const dbf::FieldDef& f = field(name);
            // Text written by another program that the table cannot hold is
            // shown cut to what it can.
            try {
                dbf::SetFieldText(f, record.data(), text, QString());
            } catch (const TableError&) {
                dbf::SetFieldText(f, record.data(),
                                  QString::fromLatin1(text.toLatin1()).left(f.length), QString());
            }
        }
        dbf::SetFieldDate(field("DATE"), record.data(), q.value(1).toDate());
        table += record;
        ++count;
    }
    table += dbf::kEndMark;
    dbf::PutCountAndDate(table.data(), count, QDate::currentDate());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(table) != table.size())
        throw FileError(QStringLiteral("Die Arbeitskopie der Kundenliste \"%1\" kann nicht "
                                       "geschrieben werden: %2")
                            .arg(path, file.errorString()));
}

void ServerRecords::RefreshCustomers() {
    const DatasetState state = m_customers.State();
    if (state == DatasetState::Edit || state == DatasetState::Insert)
        return;
    const QString current = m_customers.Active() && m_customers.RecordCount() > 0
                                ? m_customers.FieldByName(QStringLiteral("CUST_NR")).AsString()
                                : QString();
    const QString path = m_customers.FilePath();
    const QString fresh = path + QStringLiteral(".new");
    writeCustomerCopy(fresh);
    m_customers.Close();
    QFile::remove(path);
    if (!QFile::rename(fresh, path))
        throw FileError(
            QStringLiteral("Die Arbeitskopie der Kundenliste \"%1\" kann nicht ersetzt werden")
                .arg(path));
    m_customers.Open();
    const int number = m_customers.FieldIndex(QStringLiteral("CUST_NR"));
    for (int row = 0; !current.isEmpty() && row < m_customers.RecordCount(); ++row)
        if (m_customers.DisplayText(row, number) == current) {
            m_customers.MoveTo(row);
            break;
        }
}

void ServerRecords::customerBeforePost(Dataset& customer) {
    const auto field = [&customer](const char* name) {
        return customer.FieldByName(QLatin1String(name)).AsString();
    };
    const std::optional<QDate> date = ParseShortDate(field("DATE"));
    const QVariantList values{BoundText(field("NAME")),
                              date ? QVariant(*date) : QVariant(QMetaType(QMetaType::QDate)),
                              BoundText(LinesFromField(field("ADDRESS")))};
    Field number = customer.FieldByName(QStringLiteral("CUST_NR"));
    if (number.AsString().isEmpty()) {
        // The server hands out the number; the working copy takes it only
        // once the customer is stored there.
        number.SetAsInteger(
            Value(QStringLiteral("INSERT INTO customer (name, created, address) VALUES (?, ?, ?) "
                                 "RETURNING cust_nr"),
                  values)
                .toInt());
        return;
    }
    // A customer another workstation deleted meanwhile is stored again under
    // its number.
    Run(QStringLiteral("INSERT INTO customer (name, created, address, cust_nr) VALUES (?, ?, ?, ?) "
                       "ON CONFLICT (cust_nr) DO UPDATE SET name = excluded.name, "
                       "created = excluded.created, address = excluded.address"),
        values + QVariantList{number.AsInteger()});
}

void ServerRecords::customerBeforeDelete(Dataset& customer) {
    const Field number = customer.FieldByName(QStringLiteral("CUST_NR"));
    if (!number.AsString().isEmpty())
        Run(QStringLiteral("DELETE FROM customer WHERE cust_nr = ?"), {number.AsInteger()});
}

std::optional<qint32> ServerRecords::InsertVisit(const VisitRecord& visit, const QString& origin,
                                                 qint32 originNr) {
    QVariantList values{visit.customer,
                        visit.when.toString(kTimeFormat),
                        BoundText(visit.vehicle),
                        BoundText(visit.vin),
                        BoundText(visit.protocol),
                        visit.milOn ? QVariant(*visit.milOn)
                                    : QVariant(QMetaType(QMetaType::Bool))};
    for (Readiness r : visit.readiness)
        values << int(r);
    values << nullable(visit.odometerKm) << nullable(visit.distanceSinceClearKm)
           << BoundText(visit.freezeFrame) << BoundText(visit.remark) << qint32(visit.codes.size())
           << (origin.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(origin))
           << (origin.isEmpty() ? QVariant(QMetaType(QMetaType::Int)) : QVariant(originNr));
    QString marks;
    for (qsizetype i = 0; i < values.size(); ++i)
        marks += i == 1 ? QStringLiteral(", CAST(? AS timestamp)") : QStringLiteral(", ?");
    const QVariant number = Value(
        QStringLiteral("INSERT INTO visit (cust_nr, saved_at, vehicle, vin, protocol, mil_on, ") +
            readinessColumns() +
            QStringLiteral(", odometer_km, dist_clr_km, freeze_frame, remark, code_count, origin, "
                           "origin_nr) VALUES (") +
            marks.mid(2) +
            QStringLiteral(") ON CONFLICT (origin, origin_nr) DO NOTHING RETURNING visit_nr"),
        values);
    if (number.isNull())
        return std::nullopt; // imported before
    QSqlQuery codes(m_db);
    if (!codes.prepare(QStringLiteral("INSERT INTO visit_code (visit_nr, position, code, kind, "
                                      "description, unit) VALUES (?, ?, ?, ?, ?, ?)")))
        fail(QStringLiteral("Fehler beim Zugriff auf den Datenbankserver %1").arg(Where()),
             codes.lastError().text());
    for (size_t i = 0; i < visit.codes.size(); ++i) {
        const VisitCode& c = visit.codes[i];
        for (const QVariant& v :
             {QVariant(number), QVariant(qint32(i)), BoundText(c.code), QVariant(int(c.kind)),
              BoundText(c.description), BoundText(c.unit)})
            codes.addBindValue(v);
        if (!codes.exec())
            fail(QStringLiteral("Fehler beim Zugriff auf den Datenbankserver %1").arg(Where()),
                 codes.lastError().text());
    }
    return number.toInt();
}

qint32 ServerRecords::SaveVisit(VisitRecord& visit) {
    PrepareVisitForSaving(visit);
    qint32 number = -1;
    try {
        InTransaction([&] { number = *InsertVisit(visit); });
    } catch (const ServerError& e) {
        throw ServerError(QStringLiteral("Die Diagnose wurde nicht gespeichert.\n") + e.text() +
                          QStringLiteral("\nSie bleibt im Fenster und kann erneut gespeichert "
                                         "werden."));
    }
    visit.number = number;
    Q_EMIT VisitsChanged();
    return number;
}

std::vector<VisitSummary> ServerRecords::ListVisits(const VisitFilter& filter) const {
    QString sql = QStringLiteral("SELECT v.visit_nr, v.cust_nr, coalesce(c.name, ''), v.vin, "
                                 "to_char(v.saved_at, 'YYYY-MM-DD HH24:MI:SS'), v.code_count "
                                 "FROM visit v LEFT JOIN customer c ON c.cust_nr = v.cust_nr "
                                 "WHERE true");
    QVariantList values;
    if (filter.customer) {
        sql += QStringLiteral(" AND v.cust_nr = ?");
        values << *filter.customer;
    }
    if (!filter.vin.isEmpty()) {
        sql += QStringLiteral(" AND strpos(upper(v.vin), upper(?)) > 0");
        values << BoundText(filter.vin);
    }
    sql += QStringLiteral(" ORDER BY v.saved_at DESC, v.visit_nr DESC");
    QSqlQuery q = Read(sql, values);
    std::vector<VisitSummary> visits;
    while (q.next())
        visits.push_back({q.value(0).toInt(), q.value(1).toInt(), q.value(2).toString(),
                          q.value(3).toString(), timeOf(q.value(4)), q.value(5).toInt()});
    return visits;
}

std::optional<VisitRecord> ServerRecords::LoadVisit(qint32 number) const {
    QSqlQuery head = Read(QStringLiteral("SELECT ") + headColumns() +
                              QStringLiteral(" FROM visit WHERE visit_nr = ?"),
                          {number});
    if (!head.next())
        return std::nullopt;
    VisitRecord visit = visitOfRow(head);
    QSqlQuery codes = Read(QStringLiteral("SELECT code, kind, description, unit FROM visit_code "
                                          "WHERE visit_nr = ? ORDER BY position"),
                           {number});
    while (codes.next())
        visit.codes.push_back({codes.value(0).toString(),
                               enumOf(codes.value(1), 3, CodeKind::Stored),
                               codes.value(2).toString(), codes.value(3).toString()});
    return visit;
}

QString ServerRecords::CustomerName(qint32 customer) const {
    QSqlQuery q = Read(QStringLiteral("SELECT name FROM customer WHERE cust_nr = ?"), {customer});
    return q.next() ? q.value(0).toString() : QString();
}

QString ServerRecords::CustomerAddress(qint32 customer) const {
    QSqlQuery q =
        Read(QStringLiteral("SELECT address FROM customer WHERE cust_nr = ?"), {customer});
    return q.next() ? q.value(0).toString() : QString();
}

std::vector<VehicleSummary> ServerRecords::VehiclesOfCustomer(qint32 customer) const {
    QSqlQuery q =
        Read(QStringLiteral("SELECT vin, to_char(max(saved_at), 'YYYY-MM-DD HH24:MI:SS'), count(*) "
                            "FROM visit WHERE cust_nr = ? GROUP BY vin "
                            "ORDER BY max(saved_at) DESC, max(visit_nr) DESC"),
             {customer});
    std::vector<VehicleSummary> vehicles;
    while (q.next())
        vehicles.push_back({q.value(0).toString(), timeOf(q.value(1)), q.value(2).toInt()});
    return vehicles;
}

std::vector<CodeHistoryEntry> ServerRecords::CodeHistoryOfVehicle(qint32 customer,
                                                                  const QString& vin) const {
    QSqlQuery q = Read(
        QStringLiteral("SELECT v.visit_nr, to_char(v.saved_at, 'YYYY-MM-DD HH24:MI:SS'), c.code, "
                       "c.kind, c.description, c.unit FROM visit v "
                       "JOIN visit_code c ON c.visit_nr = v.visit_nr "
                       "WHERE v.cust_nr = ? AND v.vin = ? "
                       "ORDER BY v.saved_at DESC, v.visit_nr DESC, c.position"),
        {customer, BoundText(vin)});
    std::vector<CodeHistoryEntry> history;
    while (q.next())
        history.push_back({q.value(0).toInt(),
                           timeOf(q.value(1)),
                           {q.value(2).toString(), enumOf(q.value(3), 3, CodeKind::Stored),
                            q.value(4).toString(), q.value(5).toString()}});
    return history;
}

} // namespace obd
