// What every benchmark prints beside its figures, so that a ratio can be read
// with the machine and the build it was taken on: the processor's model name
// and the compiler with the flags this build used (set by bench/CMakeLists).
#pragma once

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#ifndef BRETTSPALT_BENCH_COMPILER
#define BRETTSPALT_BENCH_COMPILER "unknown compiler"
#endif

namespace benchinfo {

// "model name" of the first processor in /proc/cpuinfo; "unknown" elsewhere.
inline std::string CpuModel() {
    std::ifstream in("/proc/cpuinfo");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("model name", 0) != 0) continue;
        const size_t colon = line.find(':');
        if (colon == std::string::npos) break;
        size_t start = line.find_first_not_of(" \t", colon + 1);
        return start == std::string::npos ? "unknown" : line.substr(start);
    }
    return "unknown";
}

inline const char* Compiler() {
    return BRETTSPALT_BENCH_COMPILER;
}

// The value at fraction q (0..1) of the sorted values: nearest rank.
inline double Quantile(std::vector<double> values, double q) {
    if (values.empty()) return 0.0;
    std::sort(values.begin(), values.end());
    size_t rank = static_cast<size_t>(q * static_cast<double>(values.size()));
    if (rank >= values.size()) rank = values.size() - 1;
    return values[rank];
}

}  // namespace benchinfo
