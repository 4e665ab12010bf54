#include "diag/stage_clock.h"

#include <fstream>

namespace koru::diag {

StageClock& StageClock::instance() {
    static StageClock clock;
    return clock;
}

void StageClock::lap(std::string name) {
    stop();
    m_running = std::move(name);
    m_started = Clock::now();
    m_isRunning = true;
}

std::optional<long> peakResidentKib() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    }
    return std::nullopt;
}

void StageClock::stop() {
    if (!m_isRunning) return;
    double seconds = std::chrono::duration<double>(Clock::now() - m_started).count();
    m_laps.push_back({std::move(m_running), seconds, peakResidentKib().value_or(0)});
    m_isRunning = false;
}

void StageClock::clear() {
    m_laps.clear();
    m_isRunning = false;
}

}  // namespace koru::diag
