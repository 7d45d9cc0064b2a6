// The objects that live from start-up to shutdown and that the main window
// hands to its pages. CONTRACT between the main window and the page classes:
// members may be added, the ones below are relied on.
#pragma once

#include "common/paths.h"
#include "common/sensortable.h"
#include "common/units.h"
#include "services/adapterrequests.h"
#include "services/pidvalues.h"
#include "store/dtctexts.h"
#include "store/visits.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

class QSettings;

namespace obd {

class Link;
class TComPort;
class ProtocolLog;
class Records;
class MessageBoxes;
class VehicleBus;
struct TMonitorStatus;

struct WorkbenchContext {
    ProgramPaths paths;

    // Always present after start-up, even when a start-up step failed, so
    // "Neu Initialisieren", the vehicle actions and shutdown stay safe.
    std::unique_ptr<TComPort> port;
    std::unique_ptr<ProtocolLog> log; // null when LogFile.txt could not be opened
    std::unique_ptr<Link> link;

    // The customers and visits: the local tables or the records server.
    std::unique_ptr<Records> records;
    MessageBoxes* messages = nullptr; // owned by the main window
    // The program's settings (owned by the main window); null in page tests.
    QSettings* settings = nullptr;
    // Set by the main window: the status bar's recording indicator; an empty
    // text hides it.
    std::function<void(const QString&)> showRecording;

    // Set by the sensor page: polling worker state for navigation, the
    // connection sequence, the GUI-thread requests and shutdown.
    std::function<bool()> pollerRunning;
    std::function<void()> requestPollerStop;
    // Processes events until the poller has ended (returns at once when idle).
    // Every GUI-thread action reaches it through StopPollerAndWait before it
    // uses the port.
    std::function<void()> waitForPollerIdle;

    // Set by the options page: stores the port settings in the settings
    // store (the rate detection found, for one); raises "Failed to store
    // settings".
    std::function<void()> storePortSettings;

    // The interface chip's identification from the last connection sequence.
    QString chipIdentification;
    // Set by the connection sequence: how an ELM327-style adapter lays out
    // the vehicle's answers; none for the ELM323's text dialogue.
    std::optional<BusFraming> busFraming;

    // The 32 service 01 PIDs with their last values, shared by the sensor
    // page, its polling worker and the report.
    SensorTable sensorTable;

    // How requests to the vehicle come back as messages of its control units:
    // the bus of the chip dialect the start page's connection sequence uses.
    const VehicleBus* vehicleBus = nullptr;
    // The service 01 PIDs the vehicle announced in its bitmaps: walked by the
    // first code read after a connection sequence, none before.
    std::optional<PidSupport> announcedPids;

    // The "Maßsystem" setting: the units values are shown in. Set from the
    // settings at start-up and by the options page; pages read it when they
    // show values.
    UnitSystem unitSystem = UnitSystem::Metric;

    // The descriptions loaded from dtc-gb.dat at start-up.
    TTroubleCodeFile TroubleCodeTexts;

    // Set by the main window: the MIL and readiness display of the page
    // "Start", which the trouble-code page refreshes.
    std::function<void(const TMonitorStatus&)> showMonitorStatus;
    std::function<void(bool milOn)> showMilLamp;
    // The vehicle gave no usable monitor status: "N/A" instead of a state.
    std::function<void()> showMonitorStatusUnknown;
    // Set by the main window: shows the reading's protocol and distances on
    // the page "Start" (unless a saved visit is shown there).
    std::function<void()> showReadValues;

    // What the car told this session, as the pages show it (MIL, readiness,
    // stored codes with their descriptions): saved as a visit by "Speichern".
    VisitRecord reading;
    // The last code read could not read the stored codes: the reading does
    // not know them, and is not saved so.
    bool storedCodesUnread = false;
    // The reading as "Speichern" saved it last, with the visit's number.
    std::optional<std::pair<VisitRecord, qint32>> savedReading;
    // The visit saved or opened last, which "Drucken" fills the report with.
    std::optional<VisitRecord> shownVisit;
    // Whether the pages show shownVisit, opened from the saved visits, in
    // place of the car's reading.
    bool savedVisitOnPages = false;
    // Set by the main window: shows a saved visit on the pages, read-only and
    // marked with its number and date; and ends that view, when the car is
    // read again (nothing happens while no saved visit is shown).
    std::function<void(const VisitRecord&)> showSavedVisit;
    std::function<void()> endSavedVisit;

    // The vehicle whose history the pages "Vehicle" and "DTC's" show (vin ""
    // for the customer's vehicle without a VIN); none: the current customer's
    // latest vehicle.
    struct VehicleChoice {
        qint32 customer = -1;
        QString vin;
    };
    std::optional<VehicleChoice> vehicle;
    // Set by the main window: brings a page forward by its name.
    std::function<void(const QString& page)> showPage;

    ~WorkbenchContext();
};

} // namespace obd
