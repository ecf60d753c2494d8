#pragma once

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>

// Whether the kernel has transparent huge pages to give on request.
inline bool hugePagesOffered() {
    return access("/sys/kernel/mm/transparent_hugepage/enabled", F_OK) == 0;
}

// Whether the mapping holding address is advised to take huge pages.
inline bool advisedHuge(const void* address) {
    const auto at = reinterpret_cast<std::uintptr_t>(address);
    std::ifstream maps("/proc/self/smaps");
    bool holds = false;
    for (std::string line; std::getline(maps, line);) {
        unsigned long low = 0;
        unsigned long high = 0;
        if (std::sscanf(line.c_str(), "%lx-%lx ", &low, &high) == 2) {
            holds = low <= at && at < high;
        } else if (holds && line.rfind("VmFlags:", 0) == 0) {
            return line.find(" hg") != std::string::npos;
        }
    }
    return false;
}
