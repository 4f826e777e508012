// Runs a program with arguments and collects its exit status, standard output and standard error,
// for tests of the command-line tools.
#pragma once

#include <string>
#include <vector>

struct CommandResult {
    int status;   // exit status, or -1 when the program did not exit normally
    std::string out, err;
};

CommandResult RunCommand(const std::string& program, const std::vector<std::string>& args);
