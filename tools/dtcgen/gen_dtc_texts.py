#!/usr/bin/env python3
"""Writes data/dtc-gb.dat: the hand-written descriptions of handwritten.dat
plus every generic code of the systematic families below. A code written by
hand keeps its lines; the families fill the codes it does not have. Codes are
P0000-P0999, P2000-P2999, P3400-P3499 and U0001-U0999 written with decimal
digits, as the generic codes are.

Run from anywhere: python3 tools/dtcgen/gen_dtc_texts.py"""

import pathlib
import sys

sys.dont_write_bytecode = True

from families import CONTROL, CONTROL4, KINDS, SENSOR, SENSOR4, SOLENOID, bank_sensor, family

HERE = pathlib.Path(__file__).resolve().parent
OUT = HERE.parent.parent / "data" / "dtc-gb.dat"
ENCODING = "cp1252"
MAX_TEXT = 127


def p(n):
    return "P{:04d}".format(n)


def u(n):
    return "U{:04d}".format(n)


def one(code, text):
    return [(code, text)]


def powertrain():
    rows = []
    add = rows.extend

    # 0001-0099: fuel and air metering, auxiliary emission controls
    add(family(1, "O R CL CH", "Fuel volume regulator"))
    add(family(5, "O CL CH", "Fuel shut-off valve A"))
    add(one(8, "Engine position system bank 1: performance fault"))
    add(one(9, "Engine position system bank 2: performance fault"))
    for bank, base in ((1, 10), (2, 20)):
        for cam, offset in (("A", 0), ("B", 3)):
            subject = "Camshaft position actuator {} bank {}".format(cam, bank)
            add(one(base + offset, KINDS["C"].format(subject)))
            add(one(base + offset + 1, subject + ": timing over-advanced or system performance"))
            add(one(base + offset + 2, subject + ": timing over-retarded"))
    for n, (bank, sensor) in enumerate(((1, "A"), (1, "B"), (2, "A"), (2, "B"))):
        add(one(16 + n, "Crankshaft and camshaft position correlation, bank {} sensor {}".format(bank, sensor)))
    add(one(26, "Intake valve control solenoid circuit bank 1: signal implausible (range or performance)"))
    add(one(27, "Exhaust valve control solenoid circuit bank 1: signal implausible (range or performance)"))
    add(one(28, "Intake valve control solenoid circuit bank 2: signal implausible (range or performance)"))
    add(one(29, "Exhaust valve control solenoid circuit bank 2: signal implausible (range or performance)"))
    heaters = {30: (1, 1), 36: (1, 2), 42: (1, 3), 50: (2, 1), 56: (2, 2), 62: (2, 3)}
    for base, (bank, sensor) in heaters.items():
        add(family(base, CONTROL, "Heated O2 sensor heater, " + bank_sensor(bank, sensor)))
    add(family(33, CONTROL, "Turbocharger or supercharger bypass valve"))
    add(one(39, "Turbocharger or supercharger bypass valve control circuit: signal implausible"))
    add(one(40, "O2 sensor signals swapped: bank 1 sensor 1 and bank 2 sensor 1"))
    add(one(41, "O2 sensor signals swapped: bank 1 sensor 2 and bank 2 sensor 2"))
    add(family(45, CONTROL4, "Turbocharger or supercharger boost solenoid"))
    add(one(49, "Turbocharger or supercharger turbine overspeed"))
    for n, (bank, sensor) in enumerate(((1, 1), (1, 2), (1, 3))):
        add(one(53 + n, "Heated O2 sensor heater resistance, " + bank_sensor(bank, sensor)))
    for n, (bank, sensor) in enumerate(((2, 1), (2, 2), (2, 3))):
        add(one(59 + n, "Heated O2 sensor heater resistance, " + bank_sensor(bank, sensor)))
    add(one(65, "Air-assisted injector control: signal implausible (range or performance)"))
    add(one(66, "Air-assisted injector control circuit: open or signal too low"))
    add(one(67, "Air-assisted injector control circuit: signal too high"))
    add(one(68, "Manifold pressure or air flow does not match the throttle position"))
    add(one(69, "Manifold absolute pressure does not match the barometric pressure"))
    add(family(70, SENSOR, "Ambient air temperature sensor"))
    valves = {75: "Intake valve control solenoid bank 1", 78: "Exhaust valve control solenoid bank 1",
              81: "Intake valve control solenoid bank 2", 84: "Exhaust valve control solenoid bank 2"}
    for base, subject in valves.items():
        add(family(base, CONTROL, subject))
    add(one(87, "Fuel rail or system pressure too low"))
    add(one(88, "Fuel rail or system pressure too high"))
    add(one(89, "Fuel pressure regulator 1: performance fault"))
    add(family(90, CONTROL, "Fuel pressure regulator 1"))
    add(one(93, "Fuel system leak detected: large leak"))
    add(one(94, "Fuel system leak detected: small leak"))
    add(family(95, SENSOR, "Intake air temperature sensor 2"))

    # 0100-0199: fuel and air metering
    add(family(100, SENSOR, "Mass or volume air flow sensor"))
    add(family(105, SENSOR, "Manifold absolute pressure / barometric pressure sensor"))
    add(family(110, SENSOR, "Intake air temperature sensor"))
    add(family(115, SENSOR, "Engine coolant temperature sensor"))
    add(family(120, SENSOR, "Throttle or pedal position sensor / switch A"))
    add(one(125, "Coolant too cold for closed-loop fuel control"))
    add(one(126, "Coolant too cold for stable engine operation"))
    add(one(127, "Intake air temperature too high"))
    add(one(128, "Coolant thermostat: coolant stays below the regulating temperature"))
    add(one(129, "Barometric pressure too low"))
    o2 = {130: (1, 1), 136: (1, 2), 142: (1, 3), 150: (2, 1), 156: (2, 2), 162: (2, 3)}
    for base, (bank, sensor) in o2.items():
        subject = "O2 sensor " + bank_sensor(bank, sensor)
        add(one(base, KINDS["C"].format(subject)))
        add(one(base + 1, subject + " circuit: voltage too low"))
        add(one(base + 2, subject + " circuit: voltage too high"))
        add(one(base + 3, subject + " circuit: slow response"))
        add(one(base + 4, subject + " circuit: no activity detected"))
        add(one(base + 5, subject + " heater circuit: fault in the circuit"))
    add(one(148, "Fuel delivery error"))
    add(one(149, "Fuel timing error"))
    add(one(168, "Fuel temperature too high"))
    add(one(169, "Incorrect fuel composition"))
    for bank, base in ((1, 170), (2, 173)):
        add(one(base, "Fuel trim bank {}: fault".format(bank)))
        add(one(base + 1, "System too lean, bank {}".format(bank)))
        add(one(base + 2, "System too rich, bank {}".format(bank)))
    add(family(176, SENSOR4, "Fuel composition sensor"))
    add(family(180, SENSOR, "Fuel temperature sensor A"))
    add(family(185, SENSOR, "Fuel temperature sensor B"))
    add(family(190, SENSOR, "Fuel rail pressure sensor"))
    add(family(195, SENSOR, "Engine oil temperature sensor"))

    # 0200-0299: fuel and air metering, injector circuits
    add(one(200, "Injector circuit: open or faulty"))
    for cyl in range(1, 13):
        add(one(200 + cyl, "Injector circuit cylinder {}: open or faulty".format(cyl)))
    add(one(213, "Cold start injector 1: fault"))
    add(one(214, "Cold start injector 2: fault"))
    add(one(215, "Engine shut-off solenoid: fault"))
    add(one(216, "Injector or injection timing control circuit: fault"))
    add(one(217, "Engine coolant over temperature"))
    add(one(218, "Transmission fluid over temperature"))
    add(one(219, "Engine overspeed condition"))
    add(family(220, SENSOR, "Throttle or pedal position sensor / switch B"))
    add(family(225, SENSOR, "Throttle or pedal position sensor / switch C"))
    add(one(230, "Fuel pump primary circuit: fault"))
    add(one(231, "Fuel pump secondary circuit: signal too low"))
    add(one(232, "Fuel pump secondary circuit: signal too high"))
    add(one(233, "Fuel pump secondary circuit: intermittent"))
    add(one(234, "Turbocharger or supercharger overboost condition"))
    add(family(235, SENSOR4, "Turbocharger or supercharger boost sensor A"))
    add(family(239, SENSOR4, "Turbocharger or supercharger boost sensor B"))
    add(family(243, "C R L H", "Turbocharger or supercharger wastegate solenoid A"))
    add(family(247, "C R L H", "Turbocharger or supercharger wastegate solenoid B"))
    add(family(251, SENSOR, "Injection pump fuel metering control A (cam, rotor or injector)"))
    add(family(256, SENSOR, "Injection pump fuel metering control B (cam, rotor or injector)"))
    for cyl in range(1, 13):
        base = 261 + 3 * (cyl - 1)
        add(one(base, "Injector circuit cylinder {}: signal too low".format(cyl)))
        add(one(base + 1, "Injector circuit cylinder {}: signal too high".format(cyl)))
        add(one(base + 2, "Cylinder {}: contribution or balance fault".format(cyl)))
    add(one(297, "Vehicle overspeed condition"))
    add(one(298, "Engine oil over temperature"))
    add(one(299, "Turbocharger or supercharger underboost"))

    # 0300-0399: ignition system or misfire
    add(one(300, "Random or multiple cylinder misfire detected"))
    for cyl in range(1, 13):
        add(one(300 + cyl, "Cylinder {}: misfire detected".format(cyl)))
    add(one(313, "Misfire detected with low fuel level"))
    add(one(314, "Single cylinder misfire (cylinder not named)"))
    add(one(315, "Crankshaft position system variation not learned"))
    add(one(316, "Misfire detected on start-up (first 1000 revolutions)"))
    add(one(317, "Rough road hardware not present"))
    add(one(318, "Rough road sensor A signal circuit: fault"))
    add(one(319, "Rough road sensor B signal circuit: fault"))
    add(family(320, "C R N I", "Ignition or distributor engine speed input"))
    add(one(324, "Knock control system error"))
    add(family(325, SENSOR, "Knock sensor 1 (bank 1 or single sensor)"))
    add(family(330, SENSOR, "Knock sensor 2 (bank 2)"))
    add(family(335, SENSOR, "Crankshaft position sensor A"))
    add(family(340, SENSOR, "Camshaft position sensor A, bank 1 or single sensor"))
    add(family(345, SENSOR, "Camshaft position sensor A, bank 2"))
    add(one(350, "Ignition coil primary or secondary circuit: fault"))
    for n, coil in enumerate("ABCDEFGHIJKL"):
        add(one(351 + n, "Ignition coil {} primary or secondary circuit: fault".format(coil)))
    add(one(363, "Misfire detected: fuelling disabled"))
    add(family(365, SENSOR, "Camshaft position sensor B, bank 1"))
    for base, signal in ((370, "A"), (375, "B")):
        subject = "Timing reference high resolution signal " + signal
        add(one(base, subject + ": fault"))
        add(one(base + 1, subject + ": too many pulses"))
        add(one(base + 2, subject + ": too few pulses"))
        add(one(base + 3, subject + ": intermittent or erratic pulses"))
        add(one(base + 4, subject + ": no pulses"))
    add(one(380, "Glow plug or heater circuit A: fault"))
    add(one(381, "Glow plug or heater indicator circuit: fault"))
    add(one(382, "Glow plug or heater circuit B: fault"))
    add(one(383, "Glow plug control module control circuit: signal too low"))
    add(one(384, "Glow plug control module control circuit: signal too high"))
    add(family(385, SENSOR, "Crankshaft position sensor B"))
    add(family(390, SENSOR, "Camshaft position sensor B, bank 2"))

    # 0400-0499: auxiliary emission controls
    add(one(400, "Exhaust gas recirculation flow: fault"))
    add(one(401, "Exhaust gas recirculation flow insufficient"))
    add(one(402, "Exhaust gas recirculation flow excessive"))
    add(one(403, "Exhaust gas recirculation control circuit: fault"))
    add(one(404, "Exhaust gas recirculation control circuit: signal implausible (range or performance)"))
    add(one(405, "Exhaust gas recirculation sensor A circuit: signal too low"))
    add(one(406, "Exhaust gas recirculation sensor A circuit: signal too high"))
    add(one(407, "Exhaust gas recirculation sensor B circuit: signal too low"))
    add(one(408, "Exhaust gas recirculation sensor B circuit: signal too high"))
    add(one(409, "Exhaust gas recirculation sensor A circuit: fault"))
    add(one(410, "Secondary air injection system: fault"))
    add(one(411, "Secondary air injection system: incorrect flow detected"))
    for base, valve in ((412, "A"), (415, "B")):
        subject = "Secondary air injection switching valve " + valve
        add(one(base, KINDS["C"].format(subject)))
        add(one(base + 1, subject + " circuit: open"))
        add(one(base + 2, subject + " circuit: shorted"))
    add(one(418, "Secondary air injection relay A control circuit: fault"))
    add(one(419, "Secondary air injection relay B control circuit: fault"))
    for bank, base in ((1, 420), (2, 430)):
        b = " (bank {})".format(bank)
        add(one(base, "Catalyst system efficiency below threshold" + b))
        add(one(base + 1, "Warm-up catalyst efficiency below threshold" + b))
        add(one(base + 2, "Main catalyst efficiency below threshold" + b))
        add(one(base + 3, "Heated catalyst efficiency below threshold" + b))
        add(one(base + 4, "Heated catalyst temperature below threshold" + b))
        add(one(base + 5, "Catalyst temperature sensor" + b + ": fault"))
        add(one(base + 6, "Catalyst temperature sensor" + b + ": signal implausible (range or performance)"))
        add(one(base + 7, "Catalyst temperature sensor" + b + ": signal too low"))
        add(one(base + 8, "Catalyst temperature sensor" + b + ": signal too high"))
        add(one(base + 9, "Catalyst heater control circuit" + b + ": fault"))
    add(one(440, "Evaporative emission system: fault"))
    add(one(441, "Evaporative emission system: incorrect purge flow"))
    add(one(442, "Evaporative emission system: small leak detected"))
    add(one(443, "Evaporative emission system purge control valve circuit: fault"))
    add(one(444, "Evaporative emission system purge control valve circuit: open"))
    add(one(445, "Evaporative emission system purge control valve circuit: shorted"))
    add(one(446, "Evaporative emission system vent control circuit: fault"))
    add(one(447, "Evaporative emission system vent control circuit: open"))
    add(one(448, "Evaporative emission system vent control circuit: shorted"))
    add(one(449, "Evaporative emission system vent valve or solenoid circuit: fault"))
    add(family(450, SENSOR, "Evaporative emission system pressure sensor"))
    add(one(455, "Evaporative emission system: large leak detected"))
    add(one(456, "Evaporative emission system: very small leak detected"))
    add(one(457, "Evaporative emission system: leak detected (fuel cap loose or missing)"))
    add(one(458, "Evaporative emission system purge control valve circuit: signal too low"))
    add(one(459, "Evaporative emission system purge control valve circuit: signal too high"))
    add(family(460, SENSOR, "Fuel level sensor A"))
    add(family(465, SENSOR, "Evaporative emission system purge flow sensor"))
    add(family(470, SENSOR, "Exhaust pressure sensor"))
    add(family(475, SENSOR, "Exhaust pressure control valve"))
    for fan in (1, 2, 3):
        add(one(479 + fan, "Cooling fan {} control circuit: fault".format(fan)))
    add(one(483, "Cooling fan rationality check: fault"))
    add(one(484, "Cooling fan circuit: over current"))
    add(one(485, "Cooling fan power or ground circuit: fault"))
    add(one(486, "Exhaust gas recirculation sensor B circuit: fault"))
    add(one(487, "Exhaust gas recirculation throttle position control circuit: fault"))
    add(one(488, "Exhaust gas recirculation throttle position control: signal implausible"))
    add(one(489, "Exhaust gas recirculation control circuit: signal too low"))
    add(one(490, "Exhaust gas recirculation control circuit: signal too high"))
    add(one(491, "Secondary air injection system: insufficient flow (bank 1)"))
    add(one(492, "Secondary air injection system: insufficient flow (bank 2)"))
    add(one(493, "Cooling fan overspeed"))
    add(one(494, "Cooling fan speed too low"))
    add(one(495, "Cooling fan speed too high"))
    add(one(496, "Evaporative emission system: high purge flow while not purging"))
    add(one(497, "Evaporative emission system: no purge flow"))
    add(one(498, "Evaporative emission system vent control circuit: signal too low"))
    add(one(499, "Evaporative emission system vent control circuit: signal too high"))

    # 0500-0599: vehicle speed, idle control and auxiliary inputs
    add(family(500, "C R L I", "Vehicle speed sensor A"))
    add(one(504, "Brake switch A and B: signals do not match"))
    add(one(505, "Idle air control system: fault"))
    add(one(506, "Idle air control system: engine speed lower than expected"))
    add(one(507, "Idle air control system: engine speed higher than expected"))
    add(one(508, "Idle air control system circuit: signal too low"))
    add(one(509, "Idle air control system circuit: signal too high"))
    add(one(510, "Closed throttle position switch: fault"))
    add(one(511, "Idle air control circuit: fault"))
    add(one(512, "Starter request circuit: fault"))
    add(one(513, "Invalid immobiliser key"))
    add(one(514, "Battery temperature sensor: signal implausible (range or performance)"))
    add(one(515, "Battery temperature sensor circuit: fault in the circuit"))
    add(one(516, "Battery temperature sensor circuit: signal too low"))
    add(one(517, "Battery temperature sensor circuit: signal too high"))
    add(one(518, "Idle air control circuit: intermittent signal"))
    add(one(519, "Idle air control system: performance fault"))
    add(family(520, SENSOR, "Engine oil pressure sensor / switch"))
    add(one(524, "Engine oil pressure too low"))
    add(one(525, "Cruise control servo control circuit: signal implausible (range or performance)"))
    add(family(526, "C R N I", "Fan speed sensor"))
    add(family(530, SENSOR4, "Air conditioning refrigerant pressure sensor A"))
    add(one(534, "Air conditioning refrigerant charge loss"))
    add(family(535, SENSOR, "Air conditioning evaporator temperature sensor"))
    add(one(540, "Intake air heater A circuit: fault"))
    add(one(541, "Intake air heater A circuit: signal too low"))
    add(one(542, "Intake air heater A circuit: signal too high"))
    add(one(543, "Intake air heater A circuit: open"))
    for base, bank in ((544, 1), (547, 2)):
        subject = "Exhaust gas temperature sensor circuit, " + bank_sensor(bank, 1)
        add(one(base, subject + ": fault"))
        add(one(base + 1, subject + ": signal too low"))
        add(one(base + 2, subject + ": signal too high"))
    add(family(550, SENSOR, "Power steering pressure sensor / switch"))
    add(family(555, SENSOR, "Brake booster pressure sensor"))
    add(one(560, "System voltage: fault"))
    add(one(561, "System voltage unstable"))
    add(one(562, "System voltage too low"))
    add(one(563, "System voltage too high"))
    add(one(564, "Cruise control multi-function input A circuit: fault"))
    for n, signal in enumerate(("on", "off", "resume", "set", "coast", "accelerate")):
        add(one(565 + n, "Cruise control {} signal: fault".format(signal)))
    add(one(571, "Brake switch A circuit: fault"))
    add(one(572, "Brake switch A circuit: signal too low"))
    add(one(573, "Brake switch A circuit: signal too high"))
    add(one(574, "Cruise control system: vehicle speed too high"))
    add(family(575, "C L H", "Cruise control input"))
    add(one(578, "Cruise control multi-function input A circuit: stuck"))
    add(one(579, "Cruise control multi-function input A circuit: signal implausible (range or performance)"))
    add(one(580, "Cruise control multi-function input A circuit: signal too low"))
    add(one(581, "Cruise control multi-function input A circuit: signal too high"))
    add(family(582, CONTROL, "Cruise control vacuum"))
    add(one(585, "Cruise control multi-function inputs A and B: signals do not match"))
    add(family(586, CONTROL, "Cruise control vent"))
    add(one(589, "Cruise control multi-function input B circuit: fault"))
    add(one(590, "Cruise control multi-function input B circuit: stuck"))
    add(one(591, "Cruise control multi-function input B circuit: signal implausible (range or performance)"))
    add(one(592, "Cruise control multi-function input B circuit: signal too low"))
    add(one(593, "Cruise control multi-function input B circuit: signal too high"))
    add(family(594, CONTROL, "Cruise control servo"))
    add(family(597, CONTROL, "Thermostat heater"))

    # 0600-0699: computer and output circuits
    texts = {
        600: "Serial communication link: fault",
        601: "Control module: internal memory checksum error",
        602: "Control module: programming error",
        603: "Control module: keep-alive memory error",
        604: "Control module: random access memory (RAM) error",
        605: "Control module: read-only memory (ROM) error",
        606: "Control module: processor fault",
        607: "Control module: performance fault",
        608: "Control module vehicle speed sensor output A: fault",
        609: "Control module vehicle speed sensor output B: fault",
        610: "Control module: vehicle options error",
        611: "Fuel injector control module: performance fault",
        612: "Fuel injector control module relay control: fault",
        613: "Transmission control module processor: fault",
        614: "Engine and transmission control modules do not match",
        615: "Starter relay circuit: fault",
        616: "Starter relay circuit: signal too low",
        617: "Starter relay circuit: signal too high",
        618: "Alternative fuel control module: keep-alive memory error",
        619: "Alternative fuel control module: RAM or ROM error",
        620: "Generator control circuit: fault",
        621: "Generator lamp (L terminal) control circuit: fault",
        622: "Generator field (F terminal) control circuit: fault",
        623: "Generator lamp control circuit: fault",
        624: "Fuel cap lamp control circuit: fault",
        625: "Generator field (F terminal) circuit: signal too low",
        626: "Generator field (F terminal) circuit: signal too high",
        630: "Vehicle identification number not programmed or not matching (engine control module)",
        631: "Vehicle identification number not programmed or not matching (transmission control module)",
        632: "Odometer not programmed in the engine control module",
        633: "Immobiliser key not programmed in the engine control module",
        634: "Control module internal temperature too high",
        638: "Throttle actuator control bank 1: signal implausible (range or performance)",
        639: "Throttle actuator control bank 2: signal implausible (range or performance)",
        640: "Intake air heater control circuit: fault",
        644: "Driver display serial communication circuit: fault",
        648: "Immobiliser lamp control circuit: fault",
        649: "Cruise control lamp control circuit: fault",
        650: "Malfunction indicator lamp (MIL) control circuit: fault",
        654: "Engine speed output circuit: fault",
        655: "Engine hot lamp output control circuit: fault",
        656: "Fuel level output circuit: fault",
        666: "Control module internal temperature sensor circuit: fault",
        667: "Control module internal temperature sensor: signal implausible (range or performance)",
        668: "Control module internal temperature sensor circuit: signal too low",
        669: "Control module internal temperature sensor circuit: signal too high",
        670: "Glow plug control module control circuit: fault",
        683: "Glow plug control module to engine control module communication circuit: fault",
        684: "Glow plug control module to engine control module communication: signal implausible",
    }
    rows.extend(texts.items())
    add(family(627, CONTROL, "Fuel pump A"))
    add(family(635, CONTROL, "Power steering"))
    add(family(641, "O CL CH", "Sensor reference voltage A"))
    add(family(645, CONTROL, "Air conditioning clutch relay"))
    add(family(651, "O CL CH", "Sensor reference voltage B"))
    add(family(657, "O CL CH", "Actuator supply voltage A"))
    add(family(660, CONTROL, "Intake manifold tuning valve bank 1"))
    add(family(663, CONTROL, "Intake manifold tuning valve bank 2"))
    for cyl in range(1, 13):
        add(one(670 + cyl, "Glow plug circuit cylinder {}: fault".format(cyl)))
    add(family(685, CONTROL, "Engine control module power relay"))
    add(one(688, "Engine control module power relay sense circuit: open or faulty"))
    add(one(689, "Engine control module power relay sense circuit: signal too low"))
    add(one(690, "Engine control module power relay sense circuit: signal too high"))
    for fan, base in ((1, 691), (2, 693), (3, 695)):
        add(one(base, "Cooling fan {} control circuit: signal too low".format(fan)))
        add(one(base + 1, "Cooling fan {} control circuit: signal too high".format(fan)))
    add(family(697, "O CL CH", "Sensor reference voltage C"))

    # 0700-0899: transmission
    texts = {
        700: "Transmission control system: fault (MIL requested)",
        701: "Transmission control system: signal implausible (range or performance)",
        702: "Transmission control system: electrical fault",
        703: "Brake switch B circuit: fault",
        704: "Clutch switch input circuit: fault",
        719: "Brake switch B circuit: signal too low",
        724: "Brake switch B circuit: signal too high",
        729: "Gear 6: incorrect ratio",
        730: "Incorrect gear ratio",
        736: "Reverse gear: incorrect ratio",
        737: "Transmission control module engine speed output circuit: fault",
        738: "Transmission control module engine speed output circuit: signal too low",
        739: "Transmission control module engine speed output circuit: signal too high",
        780: "Shift fault",
        785: "Shift or timing solenoid: fault",
        786: "Shift or timing solenoid: signal implausible",
        787: "Shift or timing solenoid: signal too low",
        788: "Shift or timing solenoid: signal too high",
        789: "Shift or timing solenoid: intermittent",
        790: "Normal or performance mode switch circuit: fault",
    }
    rows.extend(texts.items())
    add(family(705, SENSOR, "Transmission range sensor A (PRNDL input)"))
    add(family(710, SENSOR, "Transmission fluid temperature sensor A"))
    add(family(715, "C R N I", "Input or turbine speed sensor A"))
    add(family(720, "C R N I", "Output speed sensor"))
    add(family(725, "C R N I", "Engine speed input"))
    for gear in range(1, 6):
        add(one(730 + gear, "Gear {}: incorrect ratio".format(gear)))
    add(family(740, SOLENOID, "Torque converter clutch circuit"))
    add(family(745, SOLENOID, "Pressure control solenoid A"))
    for n, solenoid in enumerate("ABCDE"):
        add(family(750 + 5 * n, SOLENOID, "Shift solenoid " + solenoid))
    add(family(775, SOLENOID, "Pressure control solenoid B"))
    for n, (low, high) in enumerate(((1, 2), (2, 3), (3, 4), (4, 5))):
        add(one(781 + n, "Shift from gear {} to {}: fault".format(low, high)))
    add(family(791, "C R N I", "Intermediate shaft speed sensor A"))
    add(family(795, SOLENOID, "Pressure control solenoid C"))
    texts = {
        800: "Transfer case control system: fault (MIL requested)",
        801: "Reverse inhibit control circuit: fault",
        802: "Transmission control system MIL request circuit: open",
        803: "Upshift from gear 1 to 4 (skip shift) solenoid control circuit: fault",
        804: "Upshift from gear 1 to 4 (skip shift) lamp control circuit: fault",
        810: "Clutch position control error",
        811: "Excessive clutch slippage",
        812: "Reverse input circuit: fault",
        813: "Reverse output circuit: fault",
        814: "Transmission range display circuit: fault",
        815: "Upshift switch circuit: fault",
        816: "Downshift switch circuit: fault",
        817: "Starter disable circuit: fault",
        818: "Driveline disconnect switch input circuit: fault",
        819: "Up and down shift switches do not match the transmission range",
        820: "Gear lever X-Y position sensor circuit: fault",
        821: "Gear lever X position circuit: fault",
        822: "Gear lever Y position circuit: fault",
        823: "Gear lever X position circuit: intermittent",
        824: "Gear lever Y position circuit: intermittent",
        825: "Gear lever push-pull switch (shift anticipate): fault",
        829: "Shift from gear 5 to 6: fault",
        850: "Park or neutral switch input circuit: fault",
        851: "Park or neutral switch input circuit: signal too low",
        852: "Park or neutral switch input circuit: signal too high",
        856: "Traction control input signal: fault",
        857: "Traction control input signal: signal implausible (range or performance)",
        858: "Traction control input signal: signal too low",
        859: "Traction control input signal: signal too high",
        867: "Transmission fluid pressure: fault",
        868: "Transmission fluid pressure too low",
        869: "Transmission fluid pressure too high",
        893: "Several gears engaged at once",
        894: "Transmission component slipping",
        895: "Shift time too short",
        896: "Shift time too long",
        897: "Transmission fluid deteriorated",
        898: "Transmission control system MIL request circuit: signal too low",
        899: "Transmission control system MIL request circuit: signal too high",
    }
    rows.extend(texts.items())
    add(family(805, SENSOR, "Clutch position sensor"))
    add(family(826, "C L H", "Up and down shift switch"))
    add(family(830, "C L H", "Clutch pedal switch A"))
    add(family(833, "C L H", "Clutch pedal switch B"))
    add(family(836, SENSOR4, "Four-wheel drive switch"))
    add(family(840, SENSOR, "Transmission fluid pressure sensor / switch A"))
    add(family(845, SENSOR, "Transmission fluid pressure sensor / switch B"))
    add(family(853, "C L H", "Drive switch input"))
    add(family(860, "C L H", "Gear shift module communication"))
    add(family(863, SENSOR4, "Transmission control module communication"))
    add(family(870, SENSOR, "Transmission fluid pressure sensor / switch C"))
    add(family(875, SENSOR, "Transmission fluid pressure sensor / switch D"))
    add(family(880, SENSOR, "Transmission control module power input signal"))
    add(family(885, CONTROL, "Transmission control module power relay"))
    add(family(888, SENSOR, "Transmission control module power relay sense"))

    # 0900-0999: transmission
    add(family(900, CONTROL4, "Clutch actuator"))
    add(family(904, SENSOR, "Transmission gate select position"))
    add(one(909, "Gate select control error"))
    add(family(910, CONTROL4, "Gate select actuator"))
    add(family(914, SENSOR, "Gear shift position"))
    add(one(919, "Gear shift position control error"))
    add(family(920, CONTROL4, "Gear shift forward actuator"))
    add(family(924, CONTROL4, "Gear shift reverse actuator"))
    add(family(928, CONTROL4, "Gear shift lock solenoid"))
    add(family(932, SENSOR, "Hydraulic pressure sensor"))
    add(family(937, SENSOR, "Hydraulic oil temperature sensor"))
    add(one(942, "Hydraulic pressure unit: fault"))
    add(one(943, "Hydraulic pressure unit: cycling period too short"))
    add(one(944, "Hydraulic pressure unit: loss of pressure"))
    add(family(945, CONTROL4, "Hydraulic pump relay"))
    add(one(949, "Automatic shift manual mode: adaptive learning not complete"))
    add(family(950, SENSOR, "Automatic shift manual control"))
    add(family(955, SENSOR, "Automatic shift manual mode"))
    for n, solenoid in enumerate("ABC"):
        add(family(960 + 4 * n, CONTROL4, "Pressure control solenoid " + solenoid))
    for n, solenoid in enumerate("ABCDE"):
        add(family(972 + 3 * n, "CR CL CH", "Shift solenoid " + solenoid))
    add(family(987, SENSOR, "Transmission fluid pressure sensor / switch E"))
    add(family(992, SENSOR, "Transmission fluid pressure sensor / switch F"))
    add(family(997, "CR CL CH", "Shift solenoid F"))
    return rows


def powertrain_2():
    rows = []
    add = rows.extend
    add(one(2000, "NOx trap efficiency below threshold (bank 1)"))
    add(one(2001, "NOx trap efficiency below threshold (bank 2)"))
    add(one(2002, "Particulate filter efficiency below threshold (bank 1)"))
    add(one(2003, "Particulate filter efficiency below threshold (bank 2)"))
    add(one(2004, "Intake manifold runner control stuck open (bank 1)"))
    add(one(2005, "Intake manifold runner control stuck open (bank 2)"))
    add(one(2006, "Intake manifold runner control stuck closed (bank 1)"))
    add(one(2007, "Intake manifold runner control stuck closed (bank 2)"))
    add(family(2008, CONTROL, "Intake manifold runner control bank 1"))
    add(family(2011, CONTROL, "Intake manifold runner control bank 2"))
    add(family(2014, SENSOR, "Intake manifold runner position sensor / switch bank 1"))
    add(family(2019, SENSOR, "Intake manifold runner position sensor / switch bank 2"))
    add(family(2024, SENSOR, "Evaporative emission system fuel vapour temperature sensor"))
    add(one(2029, "Fuel-fired heater disabled"))
    add(one(2030, "Fuel-fired heater: performance fault"))
    for base, bank in ((2031, 1), (2034, 2)):
        add(family(base, "C L H", "Exhaust gas temperature sensor " + bank_sensor(bank, 2)))
    add(family(2037, SENSOR, "Reductant injection air pressure sensor"))
    add(family(2042, SENSOR, "Reductant temperature sensor"))
    injectors = {2047: (1, 1), 2050: (2, 1), 2053: (1, 2), 2056: (2, 2)}
    for base, (bank, unit) in injectors.items():
        add(family(base, CONTROL, "Reductant injector bank {} unit {}".format(bank, unit)))
    add(family(2059, CONTROL, "Reductant injection air pump"))
    add(family(2062, CONTROL, "Reductant supply"))
    add(family(2065, SENSOR, "Fuel level sensor B"))
    add(one(2070, "Intake manifold tuning valve stuck open (bank 1)"))
    add(one(2071, "Intake manifold tuning valve stuck closed (bank 1)"))
    add(one(2072, "Electronic throttle control system: ice blockage"))
    add(one(2073, "Manifold pressure or air flow does not match the throttle position at idle"))
    add(one(2074, "Manifold pressure or air flow does not match the throttle position at higher load"))
    add(family(2075, SENSOR, "Intake manifold tuning valve position sensor / switch bank 1"))
    add(one(2080, "Exhaust gas temperature sensor bank 1 sensor 1: signal implausible (range or performance)"))
    add(one(2081, "Exhaust gas temperature sensor bank 1 sensor 1 circuit: intermittent signal"))
    add(one(2084, "Exhaust gas temperature sensor bank 1 sensor 2: signal implausible (range or performance)"))
    add(one(2085, "Exhaust gas temperature sensor bank 1 sensor 2 circuit: intermittent signal"))
    add(one(2082, "Exhaust gas temperature sensor bank 2 sensor 1: signal implausible (range or performance)"))
    add(one(2083, "Exhaust gas temperature sensor bank 2 sensor 1 circuit: intermittent signal"))
    add(one(2086, "Exhaust gas temperature sensor bank 2 sensor 2: signal implausible (range or performance)"))
    add(one(2087, "Exhaust gas temperature sensor bank 2 sensor 2 circuit: intermittent signal"))
    for base, (actuator, bank) in {2088: ("A", 1), 2090: ("B", 1), 2092: ("A", 2), 2094: ("B", 2)}.items():
        subject = "Camshaft position actuator {} control circuit bank {}".format(actuator, bank)
        add(one(base, subject + ": signal too low"))
        add(one(base + 1, subject + ": signal too high"))
    for base, bank in ((2096, 1), (2098, 2)):
        add(one(base, "Post-catalyst fuel trim system too lean (bank {})".format(bank)))
        add(one(base + 1, "Post-catalyst fuel trim system too rich (bank {})".format(bank)))
    texts = {
        2100: "Throttle actuator control motor circuit: open",
        2101: "Throttle actuator control motor circuit: signal implausible (range or performance)",
        2102: "Throttle actuator control motor circuit: signal too low",
        2103: "Throttle actuator control motor circuit: signal too high",
        2104: "Throttle actuator control system: forced idle",
        2105: "Throttle actuator control system: forced engine shutdown",
        2106: "Throttle actuator control system: forced limited power",
        2107: "Throttle actuator control module processor: fault",
        2108: "Throttle actuator control module: performance fault",
        2109: "Throttle or pedal position sensor A: minimum stop performance",
        2110: "Throttle actuator control system: forced limited engine speed",
        2111: "Throttle actuator control system: stuck open",
        2112: "Throttle actuator control system: stuck closed",
        2113: "Throttle or pedal position sensor B: minimum stop performance",
        2114: "Throttle or pedal position sensor C: minimum stop performance",
        2115: "Throttle or pedal position sensor D: minimum stop performance",
        2116: "Throttle or pedal position sensor E: minimum stop performance",
        2117: "Throttle or pedal position sensor F: minimum stop performance",
        2118: "Throttle actuator control motor current: signal implausible (range or performance)",
        2119: "Throttle actuator control throttle body: signal implausible (range or performance)",
    }
    rows.extend(texts.items())
    for n, switch in enumerate("DEF"):
        add(family(2120 + 5 * n, SENSOR, "Throttle or pedal position sensor / switch " + switch))
    pairs = ("A and B", "A and C", "B and C", "D and E", "D and F", "E and F")
    for n, pair in enumerate(pairs):
        add(one(2135 + n, "Throttle or pedal position sensors / switches {}: voltages do not match".format(pair)))
    add(family(2141, "CL CH", "Exhaust gas recirculation throttle"))
    add(family(2143, CONTROL, "Exhaust gas recirculation vent"))
    for n, group in enumerate("ABCD"):
        add(family(2146 + 3 * n, CONTROL, "Fuel injector group {} supply voltage".format(group)))
    add(family(2158, "C R L I", "Vehicle speed sensor B"))
    add(one(2162, "Vehicle speed sensors A and B do not match"))
    add(one(2163, "Throttle or pedal position sensor A: maximum stop performance"))
    add(one(2164, "Throttle or pedal position sensor B: maximum stop performance"))
    add(one(2165, "Throttle or pedal position sensor C: maximum stop performance"))
    add(one(2166, "Throttle or pedal position sensor D: maximum stop performance"))
    add(one(2167, "Throttle or pedal position sensor E: maximum stop performance"))
    add(one(2168, "Throttle or pedal position sensor F: maximum stop performance"))
    add(one(2169, "Exhaust pressure regulator vent solenoid control circuit: open"))
    add(one(2170, "Exhaust pressure regulator vent solenoid control circuit: signal too low"))
    add(one(2171, "Exhaust pressure regulator vent solenoid control circuit: signal too high"))
    add(one(2172, "Throttle actuator control system: sudden high air flow detected"))
    add(one(2173, "Throttle actuator control system: high air flow detected"))
    add(one(2174, "Throttle actuator control system: sudden low air flow detected"))
    add(one(2175, "Throttle actuator control system: low air flow detected"))
    add(one(2176, "Throttle actuator control system: idle position not learned"))
    for bank, base in ((1, 2177), (2, 2179)):
        add(one(base, "System too lean off idle (bank {})".format(bank)))
        add(one(base + 1, "System too rich off idle (bank {})".format(bank)))
    add(one(2181, "Cooling system: performance fault"))
    add(family(2182, SENSOR, "Engine coolant temperature sensor 2"))
    for bank, base in ((1, 2187), (2, 2189)):
        add(one(base, "System too lean at idle (bank {})".format(bank)))
        add(one(base + 1, "System too rich at idle (bank {})".format(bank)))
    for bank, base in ((1, 2191), (2, 2193)):
        add(one(base, "System too lean at higher load (bank {})".format(bank)))
        add(one(base + 1, "System too rich at higher load (bank {})".format(bank)))
    for n, (bank, sensor) in enumerate(((1, 1), (2, 1))):
        add(one(2195 + 2 * n, "O2 sensor signal biased or stuck lean, " + bank_sensor(bank, sensor)))
        add(one(2196 + 2 * n, "O2 sensor signal biased or stuck rich, " + bank_sensor(bank, sensor)))
    add(one(2199, "Intake air temperature sensors 1 and 2 do not match"))
    for bank, base in ((1, 2200), (2, 2213)):
        add(family(base, SENSOR, "NOx sensor bank {}".format(bank)))
        add(family(base + 5, CONTROL4, "NOx sensor heater bank {}".format(bank)))
        add(family(base + 9, SENSOR4, "NOx sensor heater sense bank {}".format(bank)))
    add(one(2226, "Barometric pressure sensor circuit: fault"))
    add(family(2227, "R L H I", "Barometric pressure sensor"))
    add(one(2231, "O2 sensor signal circuit shorted to heater circuit, " + bank_sensor(1, 1)))
    add(one(2232, "O2 sensor signal circuit shorted to heater circuit, " + bank_sensor(1, 2)))
    add(one(2233, "O2 sensor signal circuit shorted to heater circuit, " + bank_sensor(1, 3)))
    add(one(2234, "O2 sensor signal circuit shorted to heater circuit, " + bank_sensor(2, 1)))
    add(one(2235, "O2 sensor signal circuit shorted to heater circuit, " + bank_sensor(2, 2)))
    add(one(2236, "O2 sensor signal circuit shorted to heater circuit, " + bank_sensor(2, 3)))
    for base, (bank, sensor) in {2237: (1, 1), 2240: (2, 1)}.items():
        add(family(base, CONTROL, "O2 sensor positive current, " + bank_sensor(bank, sensor)))
    for base, (bank, sensor) in {2243: (1, 1), 2247: (2, 1)}.items():
        add(family(base, SENSOR4, "O2 sensor reference voltage, " + bank_sensor(bank, sensor)))
    for base, (bank, sensor) in {2251: (1, 1), 2254: (2, 1)}.items():
        add(family(base, CONTROL, "O2 sensor negative current, " + bank_sensor(bank, sensor)))
    add(family(2257, "CL CH", "Secondary air injection system A"))
    add(family(2259, "CL CH", "Secondary air injection system B"))
    add(one(2261, "Turbocharger or supercharger bypass valve: mechanical fault"))
    add(one(2262, "Turbocharger or supercharger boost pressure not detected: mechanical fault"))
    add(one(2263, "Turbocharger or supercharger boost system: performance fault"))
    add(family(2264, SENSOR, "Water in fuel sensor"))
    add(one(2269, "Water in fuel detected"))
    for n, (bank, sensor) in enumerate(((1, 2), (2, 2), (1, 3), (2, 3))):
        add(one(2270 + 2 * n, "O2 sensor signal biased or stuck lean, " + bank_sensor(bank, sensor)))
        add(one(2271 + 2 * n, "O2 sensor signal biased or stuck rich, " + bank_sensor(bank, sensor)))
    add(one(2278, "O2 sensor signals swapped: bank 1 sensor 3 and bank 2 sensor 3"))
    add(one(2279, "Intake air system leak"))
    add(one(2280, "Air flow restriction or air leak between air filter and mass air flow sensor"))
    add(one(2281, "Air leak between mass air flow sensor and throttle body"))
    add(one(2282, "Air leak between throttle body and intake valves"))
    add(family(2283, SENSOR, "Injector control pressure sensor"))
    add(one(2288, "Injector control pressure too high"))
    add(one(2289, "Injector control pressure too high with the engine off"))
    add(one(2290, "Injector control pressure too low"))
    add(one(2291, "Injector control pressure too low while cranking"))
    add(one(2292, "Injector control pressure erratic"))
    add(one(2293, "Fuel pressure regulator 2: performance fault"))
    add(family(2294, CONTROL, "Fuel pressure regulator 2"))
    add(one(2297, "O2 sensor out of range during deceleration, " + bank_sensor(1, 1)))
    add(one(2298, "O2 sensor out of range during deceleration, " + bank_sensor(2, 1)))
    add(one(2299, "Brake pedal position and accelerator pedal position do not match"))
    coils = "ABCDEFGHIJKL"
    for n, coil in enumerate(coils):
        base = 2300 + 3 * n
        add(one(base, "Ignition coil {} primary control circuit: signal too low".format(coil)))
        add(one(base + 1, "Ignition coil {} primary control circuit: signal too high".format(coil)))
        add(one(base + 2, "Ignition coil {} secondary circuit: fault".format(coil)))
    for cyl in range(1, 13):
        add(one(2335 + cyl, "Cylinder {} above knock threshold".format(cyl)))
    add(family(2400, CONTROL, "Evaporative emission system leak detection pump"))
    add(family(2403, SENSOR, "Evaporative emission system leak detection pump sense"))
    add(family(2408, SENSOR, "Fuel cap sensor / switch"))
    add(one(2413, "Exhaust gas recirculation system: performance fault"))
    add(one(2414, "O2 sensor exhaust sample error, " + bank_sensor(1, 1)))
    add(one(2415, "O2 sensor exhaust sample error, " + bank_sensor(2, 1)))
    add(one(2416, "O2 sensor signals swapped: bank 1 sensor 2 and bank 1 sensor 3"))
    add(one(2417, "O2 sensor signals swapped: bank 2 sensor 2 and bank 2 sensor 3"))
    add(family(2418, CONTROL, "Evaporative emission system switching valve"))
    add(one(2421, "Evaporative emission system vent valve stuck open"))
    add(one(2422, "Evaporative emission system vent valve stuck closed"))
    add(one(2423, "Hydrocarbon adsorption catalyst efficiency below threshold (bank 1)"))
    add(one(2424, "Hydrocarbon adsorption catalyst efficiency below threshold (bank 2)"))
    add(family(2425, CONTROL, "Exhaust gas recirculation cooling valve"))
    add(one(2428, "Exhaust gas temperature too high (bank 1)"))
    add(one(2429, "Exhaust gas temperature too high (bank 2)"))
    for base, bank in ((2430, 1), (2435, 2)):
        add(family(base, SENSOR, "Secondary air injection system air flow / pressure sensor bank {}".format(bank)))
    add(one(2440, "Secondary air injection system switching valve stuck open (bank 1)"))
    add(one(2441, "Secondary air injection system switching valve stuck closed (bank 1)"))
    add(one(2442, "Secondary air injection system switching valve stuck open (bank 2)"))
    add(one(2443, "Secondary air injection system switching valve stuck closed (bank 2)"))
    add(one(2444, "Secondary air injection system pump stuck on (bank 1)"))
    add(one(2445, "Secondary air injection system pump stuck off (bank 1)"))
    add(one(2446, "Secondary air injection system pump stuck on (bank 2)"))
    add(one(2447, "Secondary air injection system pump stuck off (bank 2)"))
    add(one(2448, "Secondary air injection system: air flow too high (bank 1)"))
    add(one(2449, "Secondary air injection system: air flow too high (bank 2)"))
    add(one(2450, "Evaporative emission system switching valve: performance or stuck open"))
    add(one(2451, "Evaporative emission system switching valve stuck closed"))
    add(family(2452, SENSOR, "Diesel particulate filter pressure sensor A"))
    add(one(2457, "Exhaust gas recirculation cooling system: performance fault"))
    add(one(2458, "Diesel particulate filter regeneration duration"))
    add(one(2459, "Diesel particulate filter regeneration frequency"))
    add(one(2463, "Diesel particulate filter: soot accumulation"))
    add(family(2500, "CL CH", "Generator lamp (L terminal)"))
    add(one(2502, "Charging system voltage: fault"))
    add(one(2503, "Charging system voltage too low"))
    add(one(2504, "Charging system voltage too high"))
    add(one(2505, "Engine control module power input signal: fault"))
    add(one(2506, "Engine control module power input signal: signal implausible (range or performance)"))
    add(one(2507, "Engine control module power input signal: signal too low"))
    add(one(2508, "Engine control module power input signal: signal too high"))
    add(one(2509, "Engine control module power input signal: intermittent"))
    add(one(2510, "Engine control module power relay sense circuit: signal implausible"))
    add(one(2511, "Engine control module power relay sense circuit: intermittent"))
    add(one(2512, "Event data recorder request circuit: open"))
    add(one(2513, "Event data recorder request circuit: signal too low"))
    add(one(2514, "Event data recorder request circuit: signal too high"))
    add(family(2515, SENSOR4, "Air conditioning refrigerant pressure sensor B"))
    add(one(2519, "Air conditioning request A circuit: fault"))
    add(family(2520, "L H", "Air conditioning request A"))
    add(family(2522, "C L H", "Air conditioning request B"))
    add(family(2525, SENSOR, "Vacuum reservoir pressure sensor"))
    add(family(2530, "C L H", "Ignition switch run position"))
    add(family(2533, "C L H", "Ignition switch run/start position"))
    add(family(2536, "C L H", "Ignition switch accessory position"))
    add(family(2539, SENSOR, "Low pressure fuel system sensor"))
    add(family(2544, SENSOR4, "Torque management request input signal A"))
    add(family(2548, SENSOR4, "Torque management request input signal B"))
    add(family(2552, SENSOR4, "Throttle / fuel inhibit"))
    add(family(2556, SENSOR4, "Engine coolant level sensor / switch"))
    add(one(2560, "Engine coolant level too low"))
    add(one(2561, "Air conditioning control module requested MIL illumination"))
    add(family(2562, SENSOR, "Turbocharger boost control position sensor"))
    add(family(2567, SENSOR, "Direct ozone reduction catalyst temperature sensor"))
    add(family(2572, SENSOR, "Direct ozone reduction catalyst deterioration sensor"))
    add(one(2577, "Direct ozone reduction catalyst: efficiency below threshold"))
    add(family(2578, SENSOR, "Turbocharger or supercharger speed sensor"))
    add(family(2600, CONTROL4, "Coolant pump A"))
    add(one(2604, "Intake air heater A circuit: signal implausible (range or performance)"))
    add(one(2605, "Intake air heater A circuit: open or faulty"))
    add(one(2606, "Intake air heater B circuit: signal implausible (range or performance)"))
    add(family(2607, "L H", "Intake air heater B"))
    add(one(2609, "Intake air heater system: performance fault"))
    add(one(2610, "Engine control module internal engine off timer: performance fault"))
    add(family(2611, CONTROL, "Air conditioning refrigerant distribution valve"))
    add(family(2614, CONTROL, "Camshaft position output"))
    add(family(2617, CONTROL, "Crankshaft position output"))
    add(family(2620, CONTROL, "Throttle position output"))
    add(family(2623, CONTROL, "Injector control pressure regulator"))
    add(family(2626, CONTROL, "O2 sensor pumping current trim, bank 1 sensor 1"))
    add(family(2629, CONTROL, "O2 sensor pumping current trim, bank 2 sensor 1"))
    add(family(2632, CONTROL, "Fuel pump B"))
    add(one(2635, "Fuel pump A: low flow or performance fault"))
    add(one(2636, "Fuel pump B: low flow or performance fault"))
    add(family(2637, SENSOR4, "Torque management feedback signal A"))
    add(family(2641, SENSOR4, "Torque management feedback signal B"))
    # Nine rocker arm actuator codes per bank, bank 2 right after bank 1.
    for bank, base in ((1, 2645), (2, 2654)):
        add(one(base, KINDS["O"].format("Rocker arm actuator A (bank {})".format(bank))))
        add(family(base + 1, "SF SN", "Rocker arm actuator system A (bank {})".format(bank)))
        add(family(base + 3, "CL CH", "Rocker arm actuator A (bank {})".format(bank)))
        add(family(base + 5, "SF SN", "Rocker arm actuator system B (bank {})".format(bank)))
        add(family(base + 7, "CL CH", "Rocker arm actuator B (bank {})".format(bank)))
    add(family(2665, CONTROL, "Fuel shut-off valve B"))
    add(one(2668, "Fuel mode indicator lamp control circuit: fault"))
    add(family(2669, CONTROL, "Actuator supply voltage B"))
    add(one(2672, "Injection pump timing offset"))
    add(one(2673, "Injection pump timing calibration error"))
    add(one(2674, "Injection pump fuel calibration error"))
    for n, element in enumerate("ABCDEFG"):
        add(one(2700 + n, "Transmission friction element {}: apply time out of range".format(element)))
    add(family(2707, "SF SN E SI", "Shift solenoid F"))
    add(one(2711, "Unexpected mechanical gear disengagement"))
    add(one(2712, "Hydraulic power unit: leak"))
    for base, solenoid in ((2713, "D"), (2722, "E"), (2731, "F")):
        add(family(base, SOLENOID, "Pressure control solenoid " + solenoid))
        add(family(base + 5, CONTROL4, "Pressure control solenoid " + solenoid))
    add(family(2740, SENSOR, "Transmission fluid temperature sensor B"))
    add(family(2745, "C R N I", "Intermediate shaft speed sensor B"))
    add(family(2749, "C R N I", "Intermediate shaft speed sensor C"))
    add(family(2753, CONTROL, "Transmission fluid cooler"))
    add(one(2756, "Torque converter clutch pressure control solenoid: fault"))
    add(family(2757, "SF SN E SI", "Torque converter clutch pressure control solenoid"))
    add(family(2761, "O CR CH CL", "Torque converter clutch pressure control solenoid"))
    add(family(2765, "C R N I", "Input or turbine speed sensor B"))
    add(family(2769, "CL CH", "Torque converter clutch"))
    add(family(2771, SENSOR4, "Four-wheel drive low switch"))
    add(family(2775, "R L H I", "Upshift switch"))
    add(family(2779, "R L H I", "Downshift switch"))
    add(one(2783, "Torque converter temperature too high"))
    add(one(2784, "Input or turbine speed sensors A and B do not match"))
    add(one(2785, "Clutch actuator temperature too high"))
    add(one(2786, "Gear shift actuator temperature too high"))
    add(one(2787, "Clutch temperature too high"))
    add(one(2788, "Automatic shift manual: adaptive learning at its limit"))
    add(one(2789, "Clutch: adaptive learning at its limit"))
    add(family(2790, "C L H", "Gate select direction"))
    add(family(2793, "C L H", "Gear shift direction"))
    add(family(2800, SENSOR, "Transmission range sensor B (PRNDL input)"))
    return rows


def cylinder_deactivation():
    rows = [(3400, "Cylinder deactivation system bank 1: fault")]
    for cyl in range(1, 13):
        base = 3401 + 8 * (cyl - 1)
        for offset, valve in ((0, "intake valve"), (4, "exhaust valve")):
            subject = "Cylinder {} deactivation / {}".format(cyl, valve)
            rows.append((base + offset, KINDS["O"].format(subject)))
            rows.append((base + offset + 1, subject + " control: performance fault"))
            rows.append((base + offset + 2, KINDS["CL"].format(subject)))
            rows.append((base + offset + 3, KINDS["CH"].format(subject)))
    rows.append((3497, "Cylinder deactivation system bank 2: fault"))
    return rows


LOST = {
    100: "engine control module A", 101: "transmission control module", 102: "transfer case control module",
    103: "gear shift control module", 104: "cruise control module", 105: "fuel injector control module",
    106: "glow plug control module", 107: "throttle actuator control module",
    108: "alternative fuel control module", 109: "fuel pump control module",
    110: "drive motor control module A", 111: "battery energy control module A",
    112: "battery energy control module B", 113: "emissions critical control module",
    114: "four-wheel drive clutch control module", 115: "engine control module B",
    116: "engine control module C", 117: "power take-off control module", 118: "fuel additive control module",
    119: "fuel cell control module", 120: "starter / generator control module",
    121: "anti-lock brake system control module",
    122: "vehicle dynamics control module", 123: "yaw rate sensor module",
    124: "lateral acceleration sensor module", 125: "multi-axis acceleration sensor module",
    126: "steering angle sensor module", 127: "tyre pressure monitor module", 128: "park brake control module",
    129: "brake system control module", 130: "steering effort control module",
    131: "power steering control module", 132: "ride level control module",
    140: "body control module", 141: "body control module A",
    142: "body control module B", 143: "body control module C", 144: "body control module D",
    145: "body control module E", 146: "gateway A", 147: "gateway B", 148: "gateway C", 149: "gateway D",
    150: "gateway E", 151: "restraints control module", 152: "side restraints control module left",
    153: "side restraints control module right", 154: "restraints occupant classification system module",
    155: "instrument panel cluster control module", 156: "information centre A", 157: "information centre B",
    158: "head-up display", 159: "parking assist control module", 160: "audible alert control module",
    161: "compass module", 162: "navigation display module", 163: "navigation control module",
    164: "climate control module", 165: "climate control module (rear)", 166: "auxiliary heater control module",
    167: "immobiliser control module", 168: "vehicle security control module", 169: "sunroof control module",
    170: "restraints system sensor A", 171: "restraints system sensor B", 172: "restraints system sensor C",
    173: "restraints system sensor D", 174: "restraints system sensor E", 175: "restraints system sensor F",
    176: "restraints system sensor G", 177: "restraints system sensor H", 178: "restraints system sensor I",
    179: "restraints system sensor J", 180: "automatic lighting control module",
    181: "headlamp levelling control module", 182: "front lighting control module",
    183: "rear lighting control module", 184: "radio", 185: "antenna control module",
    186: "audio amplifier", 187: "digital disc player / changer A", 188: "digital disc player / changer B",
    189: "digital disc player / changer C", 190: "digital disc player / changer D", 191: "television",
    192: "personal computer", 193: "digital audio control module A", 194: "digital audio control module B",
    195: "subscription entertainment receiver module", 196: "rear seat entertainment control module",
    197: "telephone control module", 198: "telematic control module", 199: "door control module A",
    200: "door control module B", 201: "door control module C", 202: "door control module D",
    203: "door control module E", 204: "door control module F", 205: "door control module G",
    206: "folding top control module", 207: "moveable roof control module", 208: "seat control module A",
    209: "seat control module B", 210: "seat control module C", 211: "seat control module D",
    212: "steering column control module", 213: "mirror control module",
    214: "remote function actuation module", 215: "door switch A", 216: "door switch B", 217: "door switch C",
    218: "door switch D", 219: "door switch E", 220: "door switch F", 221: "door switch G",
    222: "door window motor A", 223: "door window motor B", 224: "door window motor C",
    225: "door window motor D", 226: "door window motor E", 227: "door window motor F",
    228: "door window motor G", 229: "heated steering wheel module", 230: "rear gate module",
    231: "rain sensing module", 232: "side obstacle detection control module left",
    233: "side obstacle detection control module right", 234: "convenience recall module",
    235: "cruise control front distance range sensor",
}

# The units of the software-incompatibility (U0301 on) and invalid-data
# (U0401 on) families in their order, each given by its lost-communication
# code so that a unit's name is written once. The families name only some of
# the U01xx units, so the code number alone does not give the unit.
SHARED = [100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110, 111, 112, 114, 121, 122,
          128, 129, 130, 131, 132, 140, 155, 164, 166, 167, 168, 126, 212, 127, 141]


def network():
    rows = []
    # Nine codes per bus, one after the other; then each control module
    # communication bus that went off.
    buses = ["High speed CAN communication bus", "Medium speed CAN communication bus",
             "Low speed CAN communication bus"]
    buses += ["Vehicle communication bus " + bus for bus in "ABCDE"]
    for n, bus in enumerate(buses):
        base = 1 + 9 * n
        rows.append((base, bus + ": fault"))
        rows.append((base + 1, bus + ": performance fault"))
        for k, wire in enumerate(("(+)", "(-)")):
            rows.append((base + 2 + 3 * k, "{} {}: open".format(bus, wire)))
            rows.append((base + 3 + 3 * k, "{} {}: signal too low".format(bus, wire)))
            rows.append((base + 4 + 3 * k, "{} {}: signal too high".format(bus, wire)))
        rows.append((base + 8, bus + " (-) shorted to bus (+)"))
    for n, bus in enumerate("ABCDE"):
        rows.append((73 + n, "Control module communication bus {} off".format(bus)))
    for code, unit in LOST.items():
        rows.append((code, "Lost communication with the " + unit))
    rows.append((300, "Internal control module software incompatibility"))
    rows.append((400, "Invalid data received"))
    for n, lost in enumerate(SHARED, start=1):
        rows.append((300 + n, "Software incompatible with the " + LOST[lost]))
        rows.append((400 + n, "Invalid data received from the " + LOST[lost]))
    return rows


def generated():
    rows = [(p(n), t) for n, t in powertrain() + powertrain_2() + cylinder_deactivation()]
    rows += [(u(n), t) for n, t in network()]
    return rows


LETTERS = "PCBU"


def sort_key(code):
    return (LETTERS.index(code[0]) if code[0] in LETTERS else len(LETTERS), code[1:])


def main():
    hand = {}
    for line in (HERE / "handwritten.dat").read_bytes().decode(ENCODING).split("\r\n"):
        if line:
            hand.setdefault(line[:5], []).append(line)
    lines = dict(hand)
    for code, text in generated():
        if len(text) > MAX_TEXT:
            sys.exit("{}: description longer than {} characters".format(code, MAX_TEXT))
        if code in hand:
            continue
        if code in lines:
            sys.exit("{}: generated twice".format(code))
        lines[code] = ["{} {}".format(code, text)]
    out = "".join(line + "\r\n" for code in sorted(lines, key=sort_key) for line in lines[code])
    OUT.write_bytes(out.encode(ENCODING))
    print("{}: {} codes, {} lines".format(OUT, len(lines), out.count("\r\n")))


if __name__ == "__main__":
    main()
