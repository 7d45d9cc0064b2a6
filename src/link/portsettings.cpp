#include "link/portsettings.h"

#include "common/errors.h"
#include "link/comport.h"

#include <QFileInfo>
#include <limits>
#include <optional>
#include <string_view>

namespace obd {

namespace {

enum class FlowControl { Hardware, Software, None, Custom };

template <typename T> struct Text {
    std::string_view text;
    T value;
};

// The value "Custom" stands for every rate that is not in this table.
constexpr Text<int> BaudRateTexts[] = {
    {"110", 110},     {"300", 300},     {"600", 600},       {"1200", 1200},     {"2400", 2400},
    {"4800", 4800},   {"9600", 9600},   {"14400", 14400},   {"19200", 19200},   {"38400", 38400},
    {"56000", 56000}, {"57600", 57600}, {"115200", 115200}, {"128000", 128000}, {"256000", 256000},
};
constexpr std::string_view CustomBaudText = "Custom";

constexpr Text<StopBits> StopBitsTexts[] = {
    {"1", StopBits::One}, {"1.5", StopBits::OnePointFive}, {"2", StopBits::Two}};

constexpr Text<int> DataBitsTexts[] = {{"5", 5}, {"6", 6}, {"7", 7}, {"8", 8}};

constexpr Text<Parity> ParityTexts[] = {{"None", Parity::None},
                                        {"Odd", Parity::Odd},
                                        {"Even", Parity::Even},
                                        {"Mark", Parity::Mark},
                                        {"Space", Parity::Space}};

constexpr Text<FlowControl> FlowControlTexts[] = {{"Hardware", FlowControl::Hardware},
                                                  {"Software", FlowControl::Software},
                                                  {"None", FlowControl::None},
                                                  {"Custom", FlowControl::Custom}};

// Rate detection, stored only while it is on, so that the settings of a
// port without it keep their seven values.
constexpr Text<bool> AutoBaudTexts[] = {{"True", true}, {"False", false}};

const QString AutoBaudKey = QStringLiteral("AutoBaud");
const QString PortKey = QStringLiteral("Port");
const QString BaudRateKey = QStringLiteral("BaudRate");
const QString CustomBaudRateKey = QStringLiteral("CustomBaudRate");
const QString StopBitsKey = QStringLiteral("StopBits");
const QString DataBitsKey = QStringLiteral("DataBits");
const QString ParityKey = QStringLiteral("Parity");
const QString FlowControlKey = QStringLiteral("FlowControl");

QString toQString(std::string_view text) {
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

template <typename T, size_t N> QString textOf(const Text<T> (&table)[N], T value) {
    for (const Text<T>& entry : table) {
        if (entry.value == value)
            return toQString(entry.text);
    }
    return {};
}

template <typename T, size_t N>
std::optional<T> valueOf(const Text<T> (&table)[N], const QString& text) {
    for (const Text<T>& entry : table) {
        if (text.compare(toQString(entry.text), Qt::CaseInsensitive) == 0)
            return entry.value;
    }
    return std::nullopt;
}

FlowControl flowControlOf(const FlowSettings& f) {
    const bool xonXoff = f.xonXoffOut && f.xonXoffIn;
    const bool noXonXoff = !f.xonXoffOut && !f.xonXoffIn;
    if (f.rts == RtsControl::Handshake && f.outCtsFlow && noXonXoff)
        return FlowControl::Hardware;
    if (f.rts == RtsControl::Disable && !f.outCtsFlow && xonXoff)
        return FlowControl::Software;
    if (f.rts == RtsControl::Disable && !f.outCtsFlow && noXonXoff)
        return FlowControl::None;
    return FlowControl::Custom;
}

void applyFlowControl(FlowControl mode, FlowSettings& f) {
    switch (mode) {
    case FlowControl::Hardware:
        f.rts = RtsControl::Handshake;
        f.outCtsFlow = true;
        f.xonXoffOut = f.xonXoffIn = false;
        break;
    case FlowControl::Software:
        f.rts = RtsControl::Disable;
        f.outCtsFlow = false;
        f.xonXoffOut = f.xonXoffIn = true;
        break;
    case FlowControl::None:
        f.rts = RtsControl::Disable;
        f.outCtsFlow = false;
        f.xonXoffOut = f.xonXoffIn = false;
        break;
    case FlowControl::Custom:
        break;
    }
}

[[noreturn]] void loadFailed() {
    throw DriverError(QStringLiteral("Failed to load settings"));
}

// Reads values by name without regard to case, as the registry does.
class Reader {
public:
    explicit Reader(QSettings& settings) : m_settings(settings) {
        for (const QString& key : settings.childKeys())
            m_keys.insert(key.toLower(), key);
    }

    // An invalid variant when the value is missing.
    QVariant value(const QString& name) const {
        const auto key = m_keys.constFind(name.toLower());
        return key == m_keys.cend() ? QVariant() : m_settings.value(*key);
    }

    // nullopt when the value is missing; a value that is no text fails.
    std::optional<QString> text(const QString& name) const {
        const QVariant stored = value(name);
        if (!stored.isValid())
            return std::nullopt;
        if (stored.typeId() != QMetaType::QString)
            loadFailed();
        return stored.toString();
    }

    template <typename T, size_t N>
    T choice(const QString& name, const Text<T> (&table)[N], T fallback) const {
        const std::optional<QString> stored = text(name);
        return stored ? valueOf(table, *stored).value_or(fallback) : fallback;
    }

private:
    QSettings& m_settings;
    QHash<QString, QString> m_keys;
};

} // namespace

void StorePortSettings(const TComPort& port, QSettings& settings) {
    const LineSettings& s = port.Settings();
    const QString baudText = textOf(BaudRateTexts, s.baudRate);
    settings.setValue(PortKey, port.Port());
    settings.setValue(BaudRateKey, baudText.isEmpty() ? toQString(CustomBaudText) : baudText);
    if (baudText.isEmpty())
        settings.setValue(CustomBaudRateKey, s.baudRate);
    settings.setValue(StopBitsKey, textOf(StopBitsTexts, s.stopBits));
    settings.setValue(DataBitsKey, textOf(DataBitsTexts, s.dataBits));
    settings.setValue(ParityKey, textOf(ParityTexts, s.parity));
    settings.setValue(FlowControlKey, textOf(FlowControlTexts, flowControlOf(s.flow)));
    if (port.AutoBaud())
        settings.setValue(AutoBaudKey, textOf(AutoBaudTexts, true));
    else
        settings.remove(AutoBaudKey);
    settings.sync();
    if (settings.status() != QSettings::NoError)
        throw DriverError(QStringLiteral("Failed to store settings"));
}

void LoadPortSettings(TComPort& port, QSettings& settings) {
    settings.sync();
    if (settings.status() != QSettings::NoError)
        loadFailed();
    const Reader reader(settings);
    const QString name = reader.text(PortKey).value_or(QString());
    if (!IsPortNameUsable(name))
        loadFailed();
    port.SetPort(name);

    LineSettings s = port.Settings();
    const std::optional<QString> baud = reader.text(BaudRateKey);
    if (baud && baud->compare(toQString(CustomBaudText), Qt::CaseInsensitive) == 0) {
        // Stored as a number; a settings file read back from disk holds its text.
        bool ok = false;
        const qlonglong rate = reader.value(CustomBaudRateKey).toLongLong(&ok);
        if (!ok || rate <= 0 || rate > std::numeric_limits<int>::max())
            loadFailed();
        s.baudRate = static_cast<int>(rate);
    } else {
        s.baudRate = baud ? valueOf(BaudRateTexts, *baud).value_or(9600) : 9600;
    }
    s.stopBits = reader.choice(StopBitsKey, StopBitsTexts, StopBits::One);
    s.dataBits = reader.choice(DataBitsKey, DataBitsTexts, 8);
    s.parity = reader.choice(ParityKey, ParityTexts, Parity::None);
    applyFlowControl(reader.choice(FlowControlKey, FlowControlTexts, FlowControl::Custom), s.flow);
    port.SetSettings(s);
    port.SetAutoBaud(reader.choice(AutoBaudKey, AutoBaudTexts, false));
}

bool PortSettingsWritable(const QSettings& settings) {
    const QFileInfo file(settings.fileName());
    return file.exists() && file.isWritable();
}

void LoadOrStorePortSettings(TComPort& port, QSettings& settings) {
    if (PortSettingsWritable(settings)) {
        LoadPortSettings(port, settings);
        return;
    }
    // A store that exists but may not be written still holds the user's
    // port: it is read first, and only then the store is tried (and fails).
    if (QFileInfo(settings.fileName()).isReadable())
        LoadPortSettings(port, settings);
    StorePortSettings(port, settings);
}

} // namespace obd
