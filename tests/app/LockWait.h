#pragma once

#include <chrono>
#include <fstream>
#include <string>
#include <thread>

// Waits (up to 30 s) until the process is blocked waiting for a file lock, as
// the kernel's lock table shows it; false when it never is.
inline bool WaitsForALock(long long pid) {
    const std::string waiting = " " + std::to_string(pid) + " ";
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < end) {
        std::ifstream locks("/proc/locks");
        for (std::string line; std::getline(locks, line);) {
            if (line.find("->") != std::string::npos && line.find(waiting) != std::string::npos)
                return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return false;
}
