#pragma once

#include <string>
#include <string_view>

namespace koru::diag {

// Lets a test stop the real program at a chosen stage of an import, to see what a kill or a
// stop request there leaves behind: KORU_FAULT_AT="SIGNAL:STAGE" (for example
// "9:Updating Live Database") makes the process raise SIGNAL on itself when it enters STAGE.
// Read once; unset, nothing happens.
void faultPoint(std::string_view stage);

// The name of the stage an import is in, held for its failure message; entering one is a fault
// point.
class StageName {
public:
    StageName& operator=(std::string name) {
        m_name = std::move(name);
        faultPoint(m_name);
        return *this;
    }
    operator const std::string&() const { return m_name; }
    friend std::string operator+(const std::string& text, const StageName& stage) {
        return text + stage.m_name;
    }

private:
    std::string m_name;
};

}  // namespace koru::diag
