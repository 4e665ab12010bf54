#pragma once

#include <chrono>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace koru::test {

// Seeded random inputs for a bounded time: about two seconds each, KORU_FUZZ_SECONDS for longer
// runs and KORU_FUZZ_SEED to try other inputs. A failure names the seed; the input itself
// belongs in the failure message, to be kept as a regression case.
class Fuzz {
public:
    Fuzz() {
        const char* seconds = std::getenv("KORU_FUZZ_SECONDS");
        const char* seed = std::getenv("KORU_FUZZ_SEED");
        double budget = seconds ? std::atof(seconds) : 2.0;
        m_seed = seed ? static_cast<unsigned>(std::strtoul(seed, nullptr, 10)) : 20261206u;
        m_random.seed(m_seed);
        m_deadline = std::chrono::steady_clock::now() +
                     std::chrono::milliseconds(static_cast<long long>((budget > 0 ? budget : 0.1) * 1000));
    }

    // True while the budget lasts; every call is one more input.
    bool next() {
        ++m_rounds;
        return std::chrono::steady_clock::now() < m_deadline;
    }
    long rounds() const { return m_rounds; }
    std::string where() const { return "seed " + std::to_string(m_seed) + ", input " + std::to_string(m_rounds); }

    std::mt19937& random() { return m_random; }
    std::size_t below(std::size_t n) { return std::uniform_int_distribution<std::size_t>(0, n - 1)(m_random); }
    bool oneIn(std::size_t n) { return below(n) == 0; }
    const std::string& pick(const std::vector<std::string>& from) { return from[below(from.size())]; }

    // Bytes every parser must survive: NUL, broken and 4-byte UTF-8, Windows-1252, line ends of
    // every kind, a very long run.
    std::string hostile() {
        static const std::vector<std::string> kPieces = {
            std::string(1, '\0'), "\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFF\xFE", "\xF0\x9F\x98\x80",
            "\xC3\xA9", "\xE9", "\x80", "\xEF\xBB\xBF", "\r", "\n", "\r\n", "\n\r", "\t", " ", "'", "\"", "%s%n",
            std::string(70000, 'x')};
        if (oneIn(4)) return std::string(1, static_cast<char>(below(256)));
        return pick(kPieces);
    }

    // Up to `most` pieces of the format, one in `hostileOneIn` replaced by hostile bytes.
    std::string text(const std::vector<std::string>& pieces, std::size_t most, std::size_t hostileOneIn = 6) {
        std::string result;
        for (std::size_t n = below(most + 1); n > 0; --n) result += oneIn(hostileOneIn) ? hostile() : pick(pieces);
        return result;
    }

private:
    unsigned m_seed;
    std::mt19937 m_random;
    std::chrono::steady_clock::time_point m_deadline;
    long m_rounds = 0;
};

}  // namespace koru::test
