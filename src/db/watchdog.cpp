#include "db/watchdog.h"

#include <algorithm>

namespace koru::db {

Watchdog::~Watchdog() {
    if (m_thread.joinable()) {
        m_thread.request_stop();
        m_wake.notify_all();
        m_thread.join();
    }
}

Watchdog::Token Watchdog::arm(Clock::time_point deadline, std::function<void()> action) {
    std::lock_guard lock(m_mutex);
    Token token = m_next++;
    m_entries.emplace(token, Entry{deadline, std::move(action)});
    ++m_version;
    if (!m_thread.joinable()) {
        m_thread = std::jthread([this](std::stop_token stop) { run(stop); });
    }
    m_wake.notify_all();
    return token;
}

void Watchdog::disarm(Token token) {
    std::lock_guard lock(m_mutex);
    m_entries.erase(token);
}

void Watchdog::run(std::stop_token stop) {
    std::unique_lock lock(m_mutex);
    while (!stop.stop_requested()) {
        if (m_entries.empty()) {
            m_wake.wait(lock, stop, [this] { return !m_entries.empty(); });
            continue;
        }
        auto due = std::min_element(m_entries.begin(), m_entries.end(), [](const auto& a, const auto& b) {
            return a.second.deadline < b.second.deadline;
        });
        if (Clock::now() < due->second.deadline) {
            Clock::time_point deadline = due->second.deadline;
            std::uint64_t seen = m_version;
            m_wake.wait_until(lock, stop, deadline, [&] { return m_version != seen; });
            continue;
        }
        std::function<void()> action = std::move(due->second.action);
        m_entries.erase(due);
        // The action runs unlocked: cancelling may take a round trip to the server.
        lock.unlock();
        action();
        lock.lock();
    }
}

}  // namespace koru::db
