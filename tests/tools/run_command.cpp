// Child process with standard output and error captured in temporary files, so that a large
// output cannot fill a pipe and stall the child.
#include "run_command.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

namespace {

std::string ReadBack(std::FILE* file)
{
    std::string text;
    char block[4096];
    std::rewind(file);
    for (std::size_t n; (n = std::fread(block, 1, sizeof block, file)) > 0;) text.append(block, n);
    std::fclose(file);
    return text;
}

}  // namespace

CommandResult RunCommand(const std::string& program, const std::vector<std::string>& args)
{
    std::FILE *out = std::tmpfile(), *err = std::tmpfile();
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        dup2(fileno(out), STDOUT_FILENO);
        dup2(fileno(err), STDERR_FILENO);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = -1;
    if (child > 0 && (waitpid(child, &status, 0) != child || !WIFEXITED(status))) status = -1;
    return {status < 0 ? -1 : WEXITSTATUS(status), ReadBack(out), ReadBack(err)};
}
