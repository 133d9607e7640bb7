// The window's command line: the options it shares with the command line, and
// nothing else.
#include "app/run_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace plindar {
namespace {

struct window_case {
    std::vector<std::string> args;
    const char* error;  // empty: accepted
};

TEST(WindowOptions, AcceptsTheSharedOptionsAndRefusesEverythingElse) {
    const window_case cases[] = {
        {{}, ""},
        {{"--simulate", "24", "--sim-loss", "0.1", "--sim-lockcode", "X"}, ""},
        {{"--adapter", "eth1", "--home", "/tmp/h"}, ""},
        {{"scan"}, "unexpected argument 'scan'"},
        {{"--json"}, "unknown option '--json'"},
        {{"--simulate", "0"}, "--simulate needs a device count from 1 to 65535, not '0'"},
        {{"--simulate", "3", "--adapter", "eth1"}, "--simulate and --adapter exclude each other"},
        {{"--home"}, "--home needs a value"},
        {{"--sim-loss", "2"}, "--sim-loss needs a rate from 0 to 1, not '2'"},
    };
    for (const window_case& c : cases) {
        run_options_stu options;
        std::string error;
        bool ok = ParseWindowOptions(c.args, &options, &error);
        EXPECT_EQ(ok, std::string(c.error).empty()) << c.args.size() << " " << error;
        EXPECT_EQ(error, c.error);
    }
}

TEST(WindowOptions, ValuesLandInTheSharedOptions) {
    run_options_stu options;
    std::string error;
    ASSERT_TRUE(ParseWindowOptions(
        {"--simulate", "8", "--sim-fail-logo", "--sim-seed", "7", "--home", "/tmp/p"}, &options,
        &error))
        << error;
    EXPECT_TRUE(options.simulate);
    EXPECT_EQ(options.simulate_count, 8u);
    EXPECT_TRUE(options.sim.fail_logo);
    EXPECT_EQ(options.sim.seed, 7u);
    EXPECT_EQ(options.home, "/tmp/p");

    // Help wins over options that would not go together.
    run_options_stu help;
    EXPECT_TRUE(ParseWindowOptions({"--simulate", "3", "--adapter", "x", "-h"}, &help, &error));
    EXPECT_TRUE(help.help);
}

}  // namespace
}  // namespace plindar
