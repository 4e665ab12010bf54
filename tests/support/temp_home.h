#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>

#include "diag/text_encoding.h"

namespace koru::test {

// A fresh program folder for one test, removed afterwards.
class TempHome {
public:
    TempHome() {
        std::string pattern = (std::filesystem::temp_directory_path() / "koru-test-XXXXXX").string();
        m_path = ::mkdtemp(pattern.data());
        m_previous = std::getenv("KORU_HOME") ? std::getenv("KORU_HOME") : "";
        ::setenv("KORU_HOME", m_path.c_str(), 1);
    }
    ~TempHome() {
        if (m_previous.empty()) {
            ::unsetenv("KORU_HOME");
        } else {
            ::setenv("KORU_HOME", m_previous.c_str(), 1);
        }
        std::error_code ec;
        std::filesystem::remove_all(m_path, ec);
    }
    const std::filesystem::path& path() const { return m_path; }
    std::string read(const std::string& name) const {
        return diag::readTextFile(m_path / name).value_or("<missing>");
    }

private:
    std::filesystem::path m_path;
    std::string m_previous;
};

}  // namespace koru::test
