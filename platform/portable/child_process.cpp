// The child process behind RunInChildProcess: fork, let the child compute and write its answer,
// read it with a deadline, and reap the child whatever became of it.
#include "platform/portable/child_process.h"

#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <exception>

namespace {

bool WriteAll(int fd, const std::vector<std::uint8_t>& bytes)
{
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Reads until the child closes its end; false when the answer grows too large or time runs out.
bool ReadAll(int fd, std::vector<std::uint8_t>& bytes, int timeoutMs, std::size_t maxBytes)
{
    using Clock = std::chrono::steady_clock;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    std::uint8_t chunk[65536];
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd p{fd, POLLIN, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(left));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return false;
        const ssize_t n = ::read(fd, chunk, sizeof chunk);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        if (bytes.size() + static_cast<std::size_t>(n) > maxBytes) return false;
        bytes.insert(bytes.end(), chunk, chunk + n);
    }
}

}  // namespace

bool RunInChildProcess(const std::function<bool(std::vector<std::uint8_t>&)>& work,
                       std::vector<std::uint8_t>& answer, int timeoutMs, std::size_t maxBytes)
{
    int fds[2];
    if (::pipe(fds) != 0) return false;
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return false;
    }
    if (child == 0) {
        // _exit skips every exit handler and destructor of the parent's state.
        ::close(fds[0]);
        std::vector<std::uint8_t> bytes;
        bool ok = false;
        try {
            ok = work(bytes);
        } catch (const std::exception&) {
            ok = false;
        }
        ::_exit(ok && WriteAll(fds[1], bytes) ? 0 : 1);
    }
    ::close(fds[1]);
    answer.clear();
    const bool complete = ReadAll(fds[0], answer, timeoutMs, maxBytes);
    ::close(fds[0]);
    if (!complete) ::kill(child, SIGKILL);
    int status = 0;
    pid_t reaped;
    while ((reaped = ::waitpid(child, &status, 0)) < 0 && errno == EINTR) {
    }
    const bool exited = reaped == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    if (!complete || !exited) answer.clear();
    return complete && exited;
}
