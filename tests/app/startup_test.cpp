#include "app/startup.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>

#include "app/instance_lock.h"
#include "support/temp_home.h"

namespace koru::app {
namespace {

class RecordingFrontEnd : public FrontEnd {
public:
    int runWizard() override {
        ++wizardRuns;
        return 0;
    }
    bool showMessage(std::string_view text) override {
        messages.emplace_back(text);
        return hasDisplay;
    }
    int wizardRuns = 0;
    bool hasDisplay = false;
    std::vector<std::string> messages;
};

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome runMain(const std::vector<std::string>& arguments, FrontEnd& frontEnd) {
    std::ostringstream out;
    std::ostringstream err;
    int status = Main(arguments, frontEnd, out, err);
    return {status, out.str(), err.str()};
}

const std::string kSecondInstance = "You already have Veltrane Data Import Utility running!";

TEST(Startup, EmptyCommandLineOpensTheWizardAndOptionsComeFirst) {
    test::TempHome home;
    RecordingFrontEnd frontEnd;
    EXPECT_EQ(runMain({}, frontEnd).status, 0);
    EXPECT_EQ(frontEnd.wizardRuns, 1);

    Outcome version = runMain({"--version"}, frontEnd);
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out.rfind("koru ", 0), 0u);
    Outcome help = runMain({"--help"}, frontEnd);
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("/MapFile="), std::string::npos);
    EXPECT_EQ(frontEnd.wizardRuns, 1);
}

TEST(Startup, RefusedParametersAndMistypedOptionsEndWithStatusTwo) {
    test::TempHome home;
    RecordingFrontEnd frontEnd;
    Outcome refused = runMain({"/MapFile='missing.xfo'"}, frontEnd);
    EXPECT_EQ(refused.status, 2);
    EXPECT_NE(home.read("XFRLog.log").find("Incorrect parameter passed, Arguement=MapFile, VALUE=missing.xfo"),
              std::string::npos);

    // The product is checked once the connection screen is open.
    std::ofstream(home.path() / "map.xfo") << "x";
    Outcome product = runMain({"/MapFile=map.xfo", "/Update=1", "/product=TICKORA"}, frontEnd);
    EXPECT_EQ(product.status, 2);
    EXPECT_NE(product.err.find("Incorrect parameter passed, Arguement=Product, VALUE="), std::string::npos);

    Outcome mistyped = runMain({"--verison"}, frontEnd);
    EXPECT_EQ(mistyped.status, 2);
    EXPECT_EQ(mistyped.err.rfind("koru: unknown option --verison\nUsage:", 0), 0u);
    EXPECT_EQ(frontEnd.wizardRuns, 0);
}

TEST(Startup, SecondInstanceIsRefused) {
    test::TempHome home;
    InstanceLock first;
    ASSERT_TRUE(first.acquire(home.path()));

    // Unattended, or no display: the message goes to the log and to standard error.
    RecordingFrontEnd frontEnd;
    Outcome unattended = runMain({"/MapFile='map.xfo'"}, frontEnd);
    EXPECT_EQ(unattended.status, 1);
    EXPECT_NE(unattended.err.find(kSecondInstance), std::string::npos);
    EXPECT_NE(home.read("XFRLog.log").find(kSecondInstance), std::string::npos);
    EXPECT_TRUE(frontEnd.messages.empty());  // an unattended start shows nothing

    // Interactive with a display: a message box, no screen.
    frontEnd.hasDisplay = true;
    Outcome interactive = runMain({}, frontEnd);
    EXPECT_EQ(interactive.status, 1);
    ASSERT_EQ(frontEnd.messages.size(), 1u);
    EXPECT_EQ(frontEnd.messages[0], kSecondInstance);
    EXPECT_EQ(frontEnd.wizardRuns, 0);

    // Another program folder is another instance.
    test::TempHome otherHome;
    EXPECT_EQ(runMain({}, frontEnd).status, 0);
}

std::pair<int, std::string> runProgram(const std::string& arguments) {
    std::string command = std::string(KORU_BINARY) + " " + arguments + " 2>/dev/null";
    FILE* pipe = ::popen(command.c_str(), "r");
    std::string output;
    std::array<char, 256> buffer;
    while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), pipe)) output.append(buffer.data(), n);
    int status = ::pclose(pipe);
    return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, output};
}

TEST(Startup, TheProgramReportsItsVersionAndRefusesAMissingMapFile) {
    test::TempHome home;
    auto [versionStatus, version] = runProgram("--version");
    EXPECT_EQ(versionStatus, 0);
    EXPECT_EQ(version.rfind("koru ", 0), 0u);

    auto [status, output] = runProgram("\"/MapFile='missing.xfo'\"");
    EXPECT_EQ(status, 2);
    EXPECT_NE(home.read("XFRLog.log").find("Incorrect parameter passed, Arguement=MapFile, VALUE=missing.xfo"),
              std::string::npos);
}

}  // namespace
}  // namespace koru::app
