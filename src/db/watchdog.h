#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <thread>

namespace koru::db {

// Runs an action when a deadline passes unless it was disarmed first; one thread, started on
// first use. Enforces the timeouts that drivers ignore by cancelling the statement.
class Watchdog {
public:
    using Clock = std::chrono::steady_clock;
    using Token = std::uint64_t;

    Watchdog() = default;
    ~Watchdog();
    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

    Token arm(Clock::time_point deadline, std::function<void()> action);
    // The action will not start after this; one already running is not waited for.
    void disarm(Token token);

private:
    void run(std::stop_token stop);

    struct Entry {
        Clock::time_point deadline;
        std::function<void()> action;
    };

    std::mutex m_mutex;
    std::condition_variable_any m_wake;
    std::map<Token, Entry> m_entries;
    Token m_next = 1;
    std::uint64_t m_version = 0;  // changes with every arm(), to wake the thread early
    std::jthread m_thread;  // last: stopped and joined before the rest is destroyed
};

}  // namespace koru::db
