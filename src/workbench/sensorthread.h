// The polling worker component, which the sensor page hands out through
// Poller(); it lives in the session layer.
#pragma once

#include "session/sensorthread.h"
