// The messages an ELM327-style adapter prints instead of data ("NO DATA",
// "UNABLE TO CONNECT", "CAN ERROR", ...) and the German text that tells the
// user what each one means. None of them is ever data.
#pragma once

#include <QString>
#include <array>
#include <cstdint>

namespace obd {

// How a line of the reply is compared with a message's word.
enum class MessageMatch : std::uint8_t {
    Line,    // the trimmed line is the word
    LineEnd, // the line ends with the word (it follows the damaged data)
    Number,  // the word followed by two decimal digits (ERR94)
};

struct AdapterMessage {
    const char* word;
    MessageMatch match;
    const char* cause; // UTF-8
};

inline constexpr std::array<AdapterMessage, 16> AdapterMessages{{
    {"NO DATA", MessageMatch::Line,
     "Kein Steuergerät hat geantwortet, oder das Fahrzeug unterstützt diese Abfrage nicht."},
    {"UNABLE TO CONNECT", MessageMatch::Line,
     "Der Adapter findet keine Verbindung zum Fahrzeug. Ist die Zündung eingeschaltet?"},
    {"BUS INIT: ...ERROR", MessageMatch::Line,
     "Der Verbindungsaufbau über die K-Leitung ist gescheitert. Ist die Zündung eingeschaltet "
     "und das richtige Protokoll gewählt?"},
    {"CAN ERROR", MessageMatch::Line,
     "Der Adapter kann auf dem CAN-Bus weder senden noch empfangen. Stecker, Zündung und "
     "Protokoll prüfen."},
    {"BUS BUSY", MessageMatch::Line,
     "Der Fahrzeugbus ist ständig belegt; der Adapter kann nicht senden."},
    {"BUS ERROR", MessageMatch::Line,
     "Störung auf dem Fahrzeugbus (Kurzschluss oder Leitungsfehler)."},
    {"DATA ERROR", MessageMatch::Line,
     "Die Antwort des Fahrzeugs war fehlerhaft aufgebaut oder unvollständig."},
    {"<DATA ERROR", MessageMatch::LineEnd,
     "Prüfsummenfehler: die Antwort des Fahrzeugs kam verfälscht an."},
    {"<RX ERROR", MessageMatch::LineEnd,
     "Empfangsfehler: eine Nachricht des Fahrzeugs kam gestört an."},
    {"FB ERROR", MessageMatch::Line,
     "Der Adapter hört seine eigene Sendung nicht (Rückmeldefehler). Verkabelung prüfen."},
    {"BUFFER FULL", MessageMatch::Line,
     "Der Empfangspuffer des Adapters ist übergelaufen; die Antwort ist unvollständig."},
    {"STOPPED", MessageMatch::Line,
     "Der Adapter hat die Abfrage abgebrochen, weil während des Wartens ein Zeichen ankam."},
    {"?", MessageMatch::Line, "Der Adapter hat den Befehl nicht verstanden."},
    {"ACT ALERT", MessageMatch::Line,
     "Der Adapter meldet Ruhe auf dem Bus und geht gleich in den Ruhezustand."},
    {"LV RESET", MessageMatch::Line,
     "Der Adapter ist wegen zu niedriger Versorgungsspannung neu gestartet."},
    {"ERR", MessageMatch::Number, "Interner Fehler des Adapters."},
}};

// The user's text for the first adapter message among the reply's lines (CR
// or LF separated): "Der Adapter meldet „<line>“: <cause>". Empty when the
// reply holds none.
QString AdapterMessageText(const QString& reply);

} // namespace obd
