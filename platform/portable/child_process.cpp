// The child process behind RunInChildProcess: fork, let the child compute and write its answer,
// read it with a deadline, and reap the child whatever became of it.
#include "platform/portable/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/resource.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <exception>

namespace {

// A hostile file can make a parser allocate without bound: a vertex count of a billion in a file
// of sixty bytes has Assimp reserve twelve gigabytes and fill them. The child may map this much
// beyond what it inherited; past it, allocations fail and so does the work.
constexpr unsigned long long kChildMemoryBudget = 4ull << 30;

// Reads the address space inherited from /proc/self/statm with plain system calls, and sets the
// child's limit above it.
void LimitChildMemory()
{
    const int fd = ::open("/proc/self/statm", O_RDONLY);
    if (fd < 0) return;
    char text[64] = {};
    const ssize_t n = ::read(fd, text, sizeof text - 1);
    ::close(fd);
    unsigned long long pages = 0;
    for (ssize_t i = 0; i < n && text[i] >= '0' && text[i] <= '9'; ++i)
        pages = pages * 10 + static_cast<unsigned long long>(text[i] - '0');
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages == 0 || pageSize <= 0) return;
    const rlimit limit{pages * static_cast<unsigned long long>(pageSize) + kChildMemoryBudget,
                       pages * static_cast<unsigned long long>(pageSize) + kChildMemoryBudget};
    ::setrlimit(RLIMIT_AS, &limit);
}

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
        LimitChildMemory();
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
