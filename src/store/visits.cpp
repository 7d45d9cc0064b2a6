#include "store/visits.h"

#include "common/errors.h"
#include "store/tableschema.h"

#include <QHash>
#include <algorithm>
#include <functional>

namespace obd {

namespace {

constexpr std::array<const char*, 3> kKindTexts{"stored", "pending", "permanent"};
// The KIND of a dtcmain record that continues its visit's freeze frame.
constexpr const char* kFreezeKind = "freeze";
constexpr std::array<const char*, 4> kReadinessTexts{"", "unsupported", "incomplete", "complete"};

QString context(const Dataset& table) {
    return table.objectName() + QStringLiteral(": ");
}

// The fields and record length of a table, with the name its messages start with.
struct TableLayout {
    QString context;
    std::vector<dbf::FieldDef> fields;
    int recordLength = 0;

    static TableLayout of(const Dataset& table) {
        return {obd::context(table), table.Fields(), table.RecordLength()};
    }
    // A delivered table as the build writes it.
    static TableLayout delivered(const char* objectName, const char* file) {
        const dbf::Header header = dbf::ParseHeader(
            dbf::EmptyTable(FieldsOf(QLatin1String(file)), dbf::kLanguageAnsi, QDate(2000, 1, 1)),
            QLatin1String(file));
        return {QLatin1String(objectName) + QStringLiteral(": "), header.fields,
                header.recordLength};
    }
};

const dbf::FieldDef& fieldOf(const QString& context, const std::vector<dbf::FieldDef>& fields,
                             const char* name) {
    for (const dbf::FieldDef& f : fields)
        if (f.name == QLatin1String(name))
            return f;
    throw TableError(context + QStringLiteral("Das Feld '%1' wurde nicht gefunden").arg(name));
}

const dbf::FieldDef& fieldOf(const Dataset& table, const char* name) {
    return fieldOf(context(table), table.Fields(), name);
}

// A new record of a table, filled field by field; each value is checked as
// it is written.
class RecordBuilder {
public:
    explicit RecordBuilder(const TableLayout& table)
        : m_table(table), m_record(table.recordLength, ' ') {}

    void text(const char* name, const QString& value) {
        dbf::SetFieldText(field(name), m_record.data(), value, m_table.context);
    }
    void number(const char* name, std::optional<qint32> value) {
        text(name, value ? QString::number(*value) : QString());
    }
    void date(const char* name, const QDate& value) {
        dbf::SetFieldDate(field(name), m_record.data(), value);
    }
    QByteArray& bytes() { return m_record; }

private:
    const dbf::FieldDef& field(const char* name) const {
        return fieldOf(m_table.context, m_table.fields, name);
    }

    const TableLayout& m_table;
    QByteArray m_record;
};

// Reads fields of stored rows by name, the fields looked up once.
class RowReader {
public:
    explicit RowReader(const Dataset& table) : m_table(table) {}

    const dbf::FieldDef& field(const char* name) { return fieldOf(m_table, name); }
    QString text(int row, const dbf::FieldDef& f) const {
        return dbf::FieldText(f, m_table.RowRecord(row));
    }
    qint32 integer(int row, const dbf::FieldDef& f) const {
        return dbf::FieldInteger(f, m_table.RowRecord(row), context(m_table));
    }
    std::optional<qint32> optionalInteger(int row, const dbf::FieldDef& f) const {
        if (text(row, f).isEmpty())
            return std::nullopt;
        return integer(row, f);
    }
    QDateTime when(int row, const dbf::FieldDef& date, const dbf::FieldDef& time) const {
        const std::optional<QDate> day = dbf::FieldDate(date, m_table.RowRecord(row));
        if (!day)
            return {};
        return QDateTime(*day, QTime::fromString(text(row, time), QStringLiteral("HH:mm:ss")));
    }

private:
    const Dataset& m_table;
};

// The fields of a visit header that listing needs.
struct HeadFields {
    explicit HeadFields(RowReader& r)
        : number(r.field("HEAD_NR")), customer(r.field("CUST_NR")), date(r.field("DATE")),
          time(r.field("TIME")), vin(r.field("VIN")), codeCount(r.field("DTC_COUNT")),
          complete(r.field("COMPLETE")) {}
    const dbf::FieldDef& number;
    const dbf::FieldDef& customer;
    const dbf::FieldDef& date;
    const dbf::FieldDef& time;
    const dbf::FieldDef& vin;
    const dbf::FieldDef& codeCount;
    const dbf::FieldDef& complete;
};

// The text cut into pieces for C fields of the given widths in turn (further
// for every piece after the first); a piece does not end in a blank, which
// the field would not keep, so the pieces put together give the text again.
QStringList piecesOf(const QString& text, qsizetype first, qsizetype further) {
    QStringList pieces;
    for (qsizetype at = 0; at < text.size();) {
        qsizetype n = std::min(pieces.isEmpty() ? first : further, text.size() - at);
        while (n > 1 && at + n < text.size() && text[at + n - 1] == QLatin1Char(' '))
            --n;
        pieces << text.mid(at, n);
        at += n;
    }
    return pieces;
}

template <typename Texts, typename Value>
Value fromText(const Texts& texts, const QString& text, Value fallback) {
    for (size_t i = 0; i < texts.size(); ++i)
        if (text == QLatin1String(texts[i]))
            return Value(i);
    return fallback;
}

// Heads of whole visits, newest first (by date and time, then number).
template <typename Visit> void newestFirst(std::vector<Visit>& visits) {
    std::stable_sort(visits.begin(), visits.end(), [](const Visit& a, const Visit& b) {
        if (a.when != b.when)
            return a.when > b.when;
        return a.number > b.number;
    });
}

std::vector<VisitSummary> wholeVisits(const TableStore& tables, const VisitFilter& filter) {
    const Dataset& head = tables.tDTCHead;
    RowReader r(head);
    const HeadFields f(r);
    std::vector<VisitSummary> visits;
    for (int row = 0; row < head.RecordCount(); ++row) {
        if (r.text(row, f.complete) != QLatin1String("True"))
            continue;
        VisitSummary v;
        v.customer = r.integer(row, f.customer);
        if (filter.customer && *filter.customer != v.customer)
            continue;
        v.vin = r.text(row, f.vin);
        if (!filter.vin.isEmpty() && !v.vin.contains(filter.vin, Qt::CaseInsensitive))
            continue;
        v.number = r.integer(row, f.number);
        v.when = r.when(row, f.date, f.time);
        v.codeCount = r.integer(row, f.codeCount);
        visits.push_back(std::move(v));
    }
    newestFirst(visits);
    return visits;
}

} // namespace

namespace {

// The supported and incomplete bits of each monitor, in the order of kMonitors.
struct MonitorBits {
    bool TMonitorStatus::*supported;
    bool TMonitorStatus::*incomplete;
};
constexpr std::array<MonitorBits, kMonitors.size()> kMonitorBits{{
    {&TMonitorStatus::MisfireSupported, &TMonitorStatus::MisfireIncomplete},
    {&TMonitorStatus::FuelSystemSupported, &TMonitorStatus::FuelSystemIncomplete},
    {&TMonitorStatus::ComponentsSupported, &TMonitorStatus::ComponentsIncomplete},
    {&TMonitorStatus::CatalystSupported, &TMonitorStatus::CatalystIncomplete},
    {&TMonitorStatus::EvapSystemSupported, &TMonitorStatus::EvapSystemIncomplete},
    {&TMonitorStatus::OxygenSensorSupported, &TMonitorStatus::OxygenSensorIncomplete},
    {&TMonitorStatus::OxygenSensorHeaterSupported, &TMonitorStatus::OxygenSensorHeaterIncomplete},
}};

} // namespace

MonitorReadiness ReadinessOf(const TMonitorStatus& s) {
    MonitorReadiness readiness{};
    for (size_t i = 0; i < kMonitors.size(); ++i)
        readiness[i] = !(s.*kMonitorBits[i].supported) ? Readiness::Unsupported
                       : s.*kMonitorBits[i].incomplete ? Readiness::Incomplete
                                                       : Readiness::Complete;
    return readiness;
}

TMonitorStatus MonitorStatusOf(const VisitRecord& visit) {
    TMonitorStatus s;
    s.MilOn = visit.milOn.value_or(false);
    s.DtcCount =
        qint32(std::count_if(visit.codes.begin(), visit.codes.end(),
                             [](const VisitCode& c) { return c.kind == CodeKind::Stored; }));
    for (size_t i = 0; i < kMonitors.size(); ++i) {
        s.*kMonitorBits[i].supported = visit.readiness[i] == Readiness::Incomplete ||
                                       visit.readiness[i] == Readiness::Complete;
        s.*kMonitorBits[i].incomplete = visit.readiness[i] == Readiness::Incomplete;
    }
    return s;
}

namespace {

// A visit's records as dtcmain.dbf and dtchead.dbf take them, every value
// checked on the way; the visit number is filled in when it is known.
struct VisitRecords {
    std::vector<RecordBuilder> codes;
    RecordBuilder head;

    VisitRecords(const TableLayout& headTable, const TableLayout& mainTable,
                 const VisitRecord& visit)
        : head(headTable) {
        codes.reserve(visit.codes.size());
        for (const VisitCode& c : visit.codes) {
            RecordBuilder& r = codes.emplace_back(mainTable);
            r.text("DTC", c.code);
            r.text("KIND", QLatin1String(kKindTexts[size_t(c.kind)]));
            r.text("DESCRIPT", c.description);
            r.text("UNIT", c.unit);
        }
        // The freeze frame fills FREEZE and goes on in records after the codes.
        const QStringList freeze =
            piecesOf(LinesForField(visit.freezeFrame),
                     fieldOf(headTable.context, headTable.fields, "FREEZE").length,
                     fieldOf(mainTable.context, mainTable.fields, "DESCRIPT").length);
        for (qsizetype i = 1; i < freeze.size(); ++i) {
            RecordBuilder& r = codes.emplace_back(mainTable);
            r.text("KIND", QLatin1String(kFreezeKind));
            r.text("DESCRIPT", freeze[i]);
        }
        RecordBuilder& h = head;
        h.number("CUST_NR", visit.customer);
        h.date("DATE", visit.when.date());
        h.text("TIME", visit.when.time().toString(QStringLiteral("HH:mm:ss")));
        h.text("VEHICLE", visit.vehicle);
        h.text("VIN", visit.vin);
        h.number("MILEAGE", visit.odometerKm);
        h.text("MIL_ON", visit.milOn ? (*visit.milOn ? QStringLiteral("T") : QStringLiteral("F"))
                                     : QString());
        h.number("DTC_COUNT", qint32(visit.codes.size()));
        h.text("REMARK", visit.remark);
        h.text("PROTOCOL", visit.protocol);
        h.number("DIST_CLR", visit.distanceSinceClearKm);
        for (size_t i = 0; i < kMonitors.size(); ++i)
            h.text(kMonitors[i].field, QLatin1String(kReadinessTexts[size_t(visit.readiness[i])]));
        h.text("FREEZE", freeze.value(0));
        h.text("COMPLETE", QStringLiteral("T"));
    }
};

// A visit without a time gets the present one; the records keep whole seconds.
void stampVisit(VisitRecord& visit) {
    if (!visit.when.isValid())
        visit.when = QDateTime::currentDateTime();
    const QTime t = visit.when.time();
    visit.when.setTime(QTime(t.hour(), t.minute(), t.second()));
}

} // namespace

void PrepareVisitForSaving(VisitRecord& visit) {
    stampVisit(visit);
    static const TableLayout head = TableLayout::delivered("tDTCHead", "dtchead.dbf");
    static const TableLayout main = TableLayout::delivered("tDTCMain", "dtcmain.dbf");
    const VisitRecords check(head, main, visit);
}

qint32 VisitStore::SaveVisit(VisitRecord& visit) {
    Dataset& head = m_tables.tDTCHead;
    Dataset& main = m_tables.tDTCMain;
    stampVisit(visit);
    const TableLayout headTable = TableLayout::of(head);
    const TableLayout mainTable = TableLayout::of(main);
    VisitRecords built(headTable, mainTable, visit);
    std::vector<RecordBuilder>& codes = built.codes;
    RecordBuilder& h = built.head;

    // Three durable steps, each one sync of one file, in this order:
    // 1. the counter: a number is durable as taken before any record
    //    carries it, so codes left by a save that stopped can never be
    //    joined by a later visit's header with the same number;
    // 2. all codes with the count of dtcmain.dbf: stopped here, they have
    //    no header and are not read;
    // 3. the header, marked complete: stopped before it is durable, the
    //    visit is not there; once it is, its codes already are.
    // A read-only store refuses in step 1, before anything is written.
    const qint32 number = m_tables.TakeNumber(QStringLiteral("VISITNR"));
    std::vector<QByteArray> records;
    records.reserve(codes.size());
    for (RecordBuilder& r : codes) {
        r.number("HEAD_NR", number);
        records.push_back(std::move(r.bytes()));
    }
    h.number("HEAD_NR", number);
    main.AppendRecords(records);
    head.AppendRecords({h.bytes()});
    visit.number = number;
    return number;
}

// The names of the customers by number.
static QHash<qint32, QString> customerNames(const TableStore& tables) {
    QHash<qint32, QString> names;
    const Dataset& customers = tables.tCustomer;
    RowReader r(customers);
    const dbf::FieldDef& name = r.field("NAME");
    const dbf::FieldDef& number = r.field("CUST_NR");
    for (int row = 0; row < customers.RecordCount(); ++row)
        if (!r.text(row, number).isEmpty())
            names.insert(r.integer(row, number), r.text(row, name));
    return names;
}

std::vector<VisitSummary> VisitStore::ListVisits(const VisitFilter& filter) const {
    std::vector<VisitSummary> visits = wholeVisits(m_tables, filter);
    const QHash<qint32, QString> names = customerNames(m_tables);
    for (VisitSummary& v : visits)
        v.customerName = names.value(v.customer);
    return visits;
}

QString VisitStore::CustomerName(qint32 customer) const {
    return customerNames(m_tables).value(customer);
}

QString VisitStore::CustomerAddress(qint32 customer) const {
    const Dataset& customers = m_tables.tCustomer;
    if (customers.FieldIndex(QStringLiteral("ADDRESS")) < 0)
        return {}; // a table of an earlier release that this copy only reads
    RowReader r(customers);
    const dbf::FieldDef& number = r.field("CUST_NR");
    const dbf::FieldDef& address = r.field("ADDRESS");
    for (int row = 0; row < customers.RecordCount(); ++row)
        if (!r.text(row, number).isEmpty() && r.integer(row, number) == customer)
            return LinesFromField(r.text(row, address));
    return {};
}

namespace {

// The visit whose complete header is at row of dtchead.dbf, without its codes;
// the freeze frame as far as FREEZE holds it, still in field form.
VisitRecord visitOfHead(RowReader& r, const HeadFields& f, int row) {
    VisitRecord v;
    v.number = r.integer(row, f.number);
    v.customer = r.integer(row, f.customer);
    v.when = r.when(row, f.date, f.time);
    v.vehicle = r.text(row, r.field("VEHICLE"));
    v.vin = r.text(row, f.vin);
    v.protocol = r.text(row, r.field("PROTOCOL"));
    const QString mil = r.text(row, r.field("MIL_ON"));
    if (!mil.isEmpty())
        v.milOn = mil == QLatin1String("True");
    for (size_t i = 0; i < kMonitors.size(); ++i)
        v.readiness[i] =
            fromText(kReadinessTexts, r.text(row, r.field(kMonitors[i].field)), Readiness::Unknown);
    v.odometerKm = r.optionalInteger(row, r.field("MILEAGE"));
    v.distanceSinceClearKm = r.optionalInteger(row, r.field("DIST_CLR"));
    v.freezeFrame = r.text(row, r.field("FREEZE"));
    v.remark = r.text(row, r.field("REMARK"));
    return v;
}

// Fills the visits' codes and the rest of their freeze frames from
// dtcmain.dbf in one pass; visits are found by number.
void addCodes(const TableStore& tables, std::vector<VisitRecord>& visits) {
    QHash<qint32, VisitRecord*> byNumber;
    for (VisitRecord& v : visits)
        byNumber.insert(v.number, &v);
    const Dataset& main = tables.tDTCMain;
    RowReader c(main);
    const dbf::FieldDef& owner = c.field("HEAD_NR");
    const dbf::FieldDef& code = c.field("DTC");
    const dbf::FieldDef& kind = c.field("KIND");
    const dbf::FieldDef& description = c.field("DESCRIPT");
    const dbf::FieldDef& unit = c.field("UNIT");
    for (int row = 0; row < main.RecordCount(); ++row) {
        VisitRecord* v = byNumber.value(c.integer(row, owner));
        if (!v)
            continue;
        const QString kindText = c.text(row, kind);
        if (kindText == QLatin1String(kFreezeKind))
            v->freezeFrame += c.text(row, description);
        else
            v->codes.push_back({c.text(row, code), fromText(kKindTexts, kindText, CodeKind::Stored),
                                c.text(row, description), c.text(row, unit)});
    }
    for (VisitRecord& v : visits)
        v.freezeFrame = LinesFromField(v.freezeFrame);
}

// The whole visits whose header passes the test, in file order.
std::vector<VisitRecord> loadVisits(const TableStore& tables,
                                    const std::function<bool(qint32 number)>& wanted) {
    const Dataset& head = tables.tDTCHead;
    RowReader r(head);
    const HeadFields f(r);
    std::vector<VisitRecord> visits;
    for (int row = 0; row < head.RecordCount(); ++row)
        if (r.text(row, f.complete) == QLatin1String("True") && wanted(r.integer(row, f.number)))
            visits.push_back(visitOfHead(r, f, row));
    addCodes(tables, visits);
    return visits;
}

} // namespace

std::optional<VisitRecord> VisitStore::LoadVisit(qint32 number) const {
    std::vector<VisitRecord> found =
        loadVisits(m_tables, [number](qint32 n) { return n == number; });
    if (found.empty())
        return std::nullopt;
    return std::move(found.front());
}

std::vector<VisitRecord> VisitStore::LoadAllVisits() const {
    return loadVisits(m_tables, [](qint32) { return true; });
}

std::vector<VehicleSummary> VisitStore::VehiclesOfCustomer(qint32 customer) const {
    std::vector<VehicleSummary> vehicles;
    // Visits come newest first: the first visit of a VIN is its latest.
    for (const VisitSummary& v : wholeVisits(m_tables, {customer, {}})) {
        auto it = std::find_if(vehicles.begin(), vehicles.end(),
                               [&](const VehicleSummary& s) { return s.vin == v.vin; });
        if (it == vehicles.end())
            vehicles.push_back({v.vin, v.when, 1});
        else
            ++it->visits;
    }
    return vehicles;
}

std::vector<CodeHistoryEntry> VisitStore::CodeHistoryOfVehicle(qint32 customer,
                                                               const QString& vin) const {
    std::vector<CodeHistoryEntry> history;
    for (const VisitSummary& v : wholeVisits(m_tables, {customer, {}})) {
        if (v.vin != vin)
            continue;
        const std::optional<VisitRecord> visit = LoadVisit(v.number);
        for (const VisitCode& code : visit->codes)
            history.push_back({v.number, v.when, code});
    }
    return history;
}

} // namespace obd
