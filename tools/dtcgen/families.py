"""Systematic families of generic trouble codes: one subject and a run of
fault kinds, per cylinder, per bank and sensor, per module."""

# Fault kinds: each turns a subject into one description line.
KINDS = {
    "C": "{} circuit: fault in the circuit",
    "R": "{}: signal implausible (range or performance)",
    "L": "{} circuit: signal too low",
    "H": "{} circuit: signal too high",
    "I": "{} circuit: intermittent signal",
    "N": "{} circuit: no signal",
    "O": "{} control circuit: open or faulty",
    "CR": "{} control circuit: signal implausible (range or performance)",
    "CL": "{} control circuit: signal too low",
    "CH": "{} control circuit: signal too high",
    "P": "{}: performance fault",
    "F": "{}: fault",
    "SF": "{}: performance fault or stuck off",
    "SN": "{}: stuck on",
    "E": "{}: electrical fault",
    "SI": "{}: intermittent fault",
    "ST": "{}: stuck",
}

SENSOR = "C R L H I"          # a sensor with its five usual faults
SENSOR4 = "C R L H"           # the same without the intermittent one
CONTROL = "O CL CH"           # an actuator's control circuit
CONTROL4 = "O CR CL CH"
SOLENOID = "F SF SN E SI"     # a transmission solenoid or clutch


def family(start, kinds, subject):
    """Consecutive codes from start (an int), one per kind."""
    return [(start + k, KINDS[kind].format(subject)) for k, kind in enumerate(kinds.split())]


def bank_sensor(bank, sensor):
    return "bank {} sensor {}".format(bank, sensor)
