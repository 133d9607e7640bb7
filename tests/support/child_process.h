// Running the staged programs from tests: to completion with their output, or in
// the background until told to stop.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace plindar::test {

struct process_result {
    int exit_code = -1;  // -1 when it did not exit normally
    std::string out;
    std::string err;
};

// The staged program folder the build made (PLINDAR_STAGE_DIR), with a slash.
std::string StagedProgram(const std::string& name);

process_result RunProgram(const std::vector<std::string>& argv);

// The staged plindar-cli with `--home home` and then `args`.
std::vector<std::string> CliCommand(const std::string& home, std::vector<std::string> args);

// A program running in the background; stopped with SIGTERM and reaped on
// destruction.
class BackgroundProcess {
public:
    explicit BackgroundProcess(const std::vector<std::string>& argv);
    ~BackgroundProcess();
    BackgroundProcess(const BackgroundProcess&) = delete;
    BackgroundProcess& operator=(const BackgroundProcess&) = delete;

    // Reads its standard output until a line containing `text` appears; false
    // when the program ended or said nothing of the kind within the limit.
    bool WaitForLine(const std::string& text, int limit_seconds = 20);
    // SIGTERM, then everything it printed afterwards; returns the exit code.
    int Stop(std::string* rest_of_output = nullptr);

private:
    pid_t pid_ = -1;
    int out_fd_ = -1;
    std::string seen_;
};

}  // namespace plindar::test
