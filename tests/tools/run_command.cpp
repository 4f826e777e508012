// Child process with standard output and error captured in temporary files, so that a large
// output cannot fill a pipe and stall the child.
#include "run_command.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string ReadAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string MakeTempFile()
{
    char name[] = "/tmp/crs-test-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) std::abort();
    close(fd);
    return name;
}

}  // namespace

CommandResult RunCommand(const std::string& program, const std::vector<std::string>& args)
{
    const std::string outPath = MakeTempFile(), errPath = MakeTempFile();
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) {
        std::remove(outPath.c_str());
        std::remove(errPath.c_str());
        return CommandResult{-1, "", "fork failed"};
    }
    if (child == 0) {
        if (!std::freopen(outPath.c_str(), "w", stdout) || !std::freopen(errPath.c_str(), "w", stderr))
            _exit(127);
        std::vector<char*> argv;
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
        argv.push_back(nullptr);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    waitpid(child, &status, 0);
    CommandResult result{WIFEXITED(status) ? WEXITSTATUS(status) : -1, ReadAll(outPath),
                         ReadAll(errPath)};
    std::remove(outPath.c_str());
    std::remove(errPath.c_str());
    return result;
}
