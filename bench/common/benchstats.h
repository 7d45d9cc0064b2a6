// Order statistics the benchmarks report.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace bench {

// The value below which the share p (0 to 1) of the samples lie; at least one sample.
inline double Percentile(std::vector<double> samples, double p) {
    std::sort(samples.begin(), samples.end());
    return samples[std::min(samples.size() - 1, std::size_t(p * double(samples.size())))];
}

inline double Median(std::vector<double> samples) {
    return Percentile(std::move(samples), 0.5);
}

} // namespace bench
