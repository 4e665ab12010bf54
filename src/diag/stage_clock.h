#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace koru::diag {

// How long each stage of an import took: laps named as they start, for whoever tunes the run.
class StageClock {
public:
    static StageClock& instance();

    // Ends the running lap, if any, and starts `name`.
    void lap(std::string name);
    // Ends the running lap.
    void stop();
    void clear();
    struct Lap {
        std::string name;
        double seconds = 0;
        long peakKib = 0;  // the process's peak resident memory when the lap ended
    };
    // Every ended lap in order. Laps of one name are kept apart.
    const std::vector<Lap>& laps() const { return m_laps; }

private:
    using Clock = std::chrono::steady_clock;
    std::vector<Lap> m_laps;
    std::string m_running;
    Clock::time_point m_started;
    bool m_isRunning = false;
};

// The peak resident memory (KiB) of this process since its program started (VmHWM): unlike
// getrusage's, it leaves out what the process held before exec. Nullopt where the system
// does not say.
std::optional<long> peakResidentKib();

inline void stageLap(std::string name) { StageClock::instance().lap(std::move(name)); }

}  // namespace koru::diag
