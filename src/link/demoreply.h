// The demo responder: fixed answers of one vehicle behind an ELM323 v1.1, in
// the chip's own form (hex bytes separated by blanks, no CR, LF or prompt).
// The exchange answers from it (through DemoLine) while demo mode is on;
// elmsim answers from the same table by default.
#pragma once

#include <QString>
#include <string_view>

namespace obd {

struct DemoAnswer {
    std::string_view command; // matched exactly, case-sensitive
    std::string_view reply;
};

// The engine speed (010C) is not here: it varies, see DemoEngineSpeedReply.
inline constexpr DemoAnswer DemoAnswers[] = {
    {"ATE0", "OK"},
    {"ATI", "ELM323 v1.1"},
    {"ATZ", "ATZ  ELM323 v1.1"},
    {"ATL0", "OK"},
    {"0100", "41 00 BE 3E B8 11"},
    {"0101", "41 01 00 07 65 00"},
    {"0103", "41 03 02 00"},
    {"0104", "41 04 00"},
    {"0105", "41 05 50"},
    {"0106", "41 06 7B"},
    {"0107", "41 07 5A"},
    {"0109", "7F 01 12"},
    {"010A", "7F 01 12"},
    {"010D", "41 0D 00"},
    {"010E", "41 0E 95"},
    {"010F", "41 0F 3A"},
    {"0110", "41 10 00 00"},
    {"0111", "41 11 00"},
    {"0112", "7F 01 12"},
    {"0113", "41 13 03"},
    {"0114", "41 14 07 80"},
    {"0115", "41 15 08 FF"},
    {"011C", "41 1C 01"},
    {"0200", "42 00 00 7E 18 00 00"},
    {"03", "43 01 25 07 36 04 55 43 11 07 12 99 11 98 43 94 91 99 92 A4 27 43 93 90 D4 51 E5 "
           "00 43 51 41 51 84 59 54"},
    {"04", "44"},
    // Pending codes as the simulated vehicle has them, so a code read in demo
    // mode reads them instead of failing for want of an answer.
    {"07", "47 01 71 04 20 00 00"},
};

inline constexpr std::string_view DemoEngineSpeedCommand = "010C";
// The answer to every command the table does not know.
inline constexpr std::string_view DemoUnknownReply = "DEMO";

// "410C" and (r + 1) * 4492 in four upper-case hex digits, r from 0 to 5 at
// random; no blanks.
QString DemoEngineSpeedReply();

// The answer to command, at once.
QString DemoTableReply(const QString& command);

} // namespace obd
