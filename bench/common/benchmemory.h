// The process's memory as the kernel counts it, for the memory figures.
#pragma once

#include <fstream>
#include <string>

namespace bench {

namespace detail {
inline double StatusMb(const char* field) {
    const std::string key(field);
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.rfind(key, 0) == 0)
            return std::stod(line.substr(key.size())) / 1024.0;
    return 0;
}
} // namespace detail

// Resident memory now.
inline double ResidentMb() {
    return detail::StatusMb("VmRSS:");
}

// The highest resident memory since the start or since ResetPeakResident.
inline double PeakResidentMb() {
    return detail::StatusMb("VmHWM:");
}

// Starts the peak afresh from the memory resident now (Linux 4.0 on).
inline bool ResetPeakResident() {
    std::ofstream refs("/proc/self/clear_refs");
    refs << "5";
    refs.flush();
    return bool(refs);
}

} // namespace bench
