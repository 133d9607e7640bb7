// Starting and ending the window program as an operator's desktop does: one copy
// at a time, a crashed copy's lock no obstacle, termination through the normal
// shutdown, and its command line.
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include "support/child_process.h"
#include "support/temp_folder.h"
#include "support/wait_for.h"

namespace plindar {
namespace {

using test::BackgroundProcess;
using test::RunProgram;
using test::StagedProgram;

bool Exists(const std::string& path) {
    return access(path.c_str(), F_OK) == 0;
}

// Every copy started by a test runs without a display and keeps its lock in a
// runtime folder of the test's own, away from any copy the user runs.
class WindowStartTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        runtime_ = folder_.Path() + "runtime";
        ASSERT_EQ(mkdir(runtime_.c_str(), 0700), 0);
        setenv("XDG_RUNTIME_DIR", runtime_.c_str(), 1);
    }

    std::vector<std::string> Window(const std::string& home) {
        return {StagedProgram("plindar"), "--simulate", "4", "--home", home};
    }

    test::TempFolder folder_;
    std::string runtime_;
};

TEST_F(WindowStartTest, ASecondCopyEndsAtOnceAndLeavesTheFirstRunning) {
    const std::string first_home = folder_.Path() + "first";
    const std::string second_home = folder_.Path() + "second";
    BackgroundProcess first(Window(first_home));
    ASSERT_TRUE(test::WaitFor([&] { return Exists(first_home + "/data.mdb"); }))
        << "the first copy never opened its results store";

    test::process_result second = RunProgram(Window(second_home));
    EXPECT_EQ(second.exit_code, 0);
    EXPECT_EQ(second.out, "");
    EXPECT_EQ(second.err, "");
    EXPECT_FALSE(Exists(second_home)) << "a refused copy must not touch its program folder";

    EXPECT_TRUE(Exists(first_home + "/data.mdb"));
    // Termination goes through the normal shutdown, which deletes the store.
    EXPECT_EQ(first.Stop(), 0);
    EXPECT_FALSE(Exists(first_home + "/data.mdb"));
}

TEST_F(WindowStartTest, TheLockFileACrashedCopyLeftBehindDoesNotBlockTheNextStart) {
    std::ofstream(runtime_ + "/Zorvu_Plindar.lock") << "12345\n";
    const std::string home = folder_.Path() + "home";
    BackgroundProcess window(Window(home));
    EXPECT_TRUE(test::WaitFor([&] { return Exists(home + "/data.mdb"); }));
    EXPECT_EQ(window.Stop(), 0);
}

TEST_F(WindowStartTest, HelpAndBadOptionsNeedNoDisplay) {
    unsetenv("QT_QPA_PLATFORM");
    unsetenv("DISPLAY");
    unsetenv("WAYLAND_DISPLAY");
    test::process_result help = RunProgram({StagedProgram("plindar"), "--help"});
    EXPECT_EQ(help.exit_code, 0);
    EXPECT_NE(help.out.find("Usage: plindar [--simulate N"), std::string::npos) << help.out;

    struct refused_case {
        std::vector<std::string> args;
        const char* message;
    };
    const refused_case cases[] = {
        {{"scan"}, "plindar: unexpected argument 'scan'\n"},
        {{"--json"}, "plindar: unknown option '--json'\n"},
        {{"--simulate", "2", "--adapter", "eth0"},
         "plindar: --simulate and --adapter exclude each other\n"},
    };
    for (const refused_case& c : cases) {
        std::vector<std::string> argv = {StagedProgram("plindar")};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        test::process_result refused = RunProgram(argv);
        EXPECT_EQ(refused.exit_code, 2);
        EXPECT_EQ(refused.err, std::string(c.message) + "Try 'plindar --help'.\n");
    }
}

}  // namespace
}  // namespace plindar
