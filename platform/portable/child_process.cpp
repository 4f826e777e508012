// The worker behind RunInWorker: forked at the first request, it reads each whole request, runs
// the job and writes its answer after a length header; the caller reads it with a deadline and
// replaces a worker that crashed, hung or misbehaved. Forking once instead of per request saves
// a few milliseconds a load once the GL driver has made this process large.
#include "platform/portable/child_process.h"

#include <dirent.h>
#include <fcntl.h>
#include <malloc.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <mutex>

namespace {

// A hostile file can make a parser allocate without bound: a vertex count of a billion in a file
// of sixty bytes has Assimp reserve twelve gigabytes and fill them. The worker may map this much
// beyond what it inherited; past it, allocations fail and so does the job.
constexpr unsigned long long kChildMemoryBudget = 4ull << 30;

// Reads the address space inherited from /proc/self/statm with plain system calls, and sets the
// worker's limit above it.
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

// What travels on the socket: the request, then its input; the reply, then its answer. Both sides
// are the same program, so the job's address is sent as it is. No padding in either record.
struct Request {
    WorkerJob job;
    std::int64_t argument;
    std::uint64_t inputSize;
};

struct Reply {
    std::uint64_t succeeded;  // 1 or 0; a failed job sends no bytes
    std::uint64_t size;
};

// The worker's side blocks: the caller's deadline and SIGKILL bound it.
bool ReadFully(int fd, void* data, std::size_t size)
{
    auto* at = static_cast<std::uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::recv(fd, at, size, 0);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        at += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

bool WriteFully(int fd, const void* data, std::size_t size)
{
    const auto* at = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        const ssize_t n = ::send(fd, at, size, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        at += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Every request is read whole before its job runs, so a caller writing a large input never waits
// on a worker that is writing its answer.
[[noreturn]] void Serve(int socket)
{
    for (;;) {
        {
            Request request;
            if (!ReadFully(socket, &request, sizeof request)) ::_exit(0);
            std::vector<std::uint8_t> input(request.inputSize);
            if (!ReadFully(socket, input.data(), input.size())) ::_exit(0);
            std::vector<std::uint8_t> output;
            const bool succeeded =
                RunJobHere(request.job, static_cast<int>(request.argument), input, output);
            const Reply reply{succeeded ? 1u : 0u, output.size()};
            if (!WriteFully(socket, &reply, sizeof reply) ||
                !WriteFully(socket, output.data(), output.size()))
                ::_exit(0);
        }
        // A large parse would otherwise leave its peak resident here for the whole session.
        ::malloc_trim(0);
    }
}

// Closes what the worker inherited, the viewer's X connection among it, except its own end of the
// socket and the standard streams. Kernels before 5.9 have no close_range: there the open
// descriptors are listed from /proc/self/fd and closed one by one.
bool KeepOnlyDescriptor(int keep)
{
    if ((keep <= 3 || ::close_range(3, static_cast<unsigned>(keep) - 1, 0) == 0) &&
        ::close_range(static_cast<unsigned>(std::max(3, keep + 1)), ~0u, 0) == 0)
        return true;
    if (errno != ENOSYS) return false;
    DIR* listing = ::opendir("/proc/self/fd");
    if (listing == nullptr) return false;
    std::vector<int> open;
    while (const dirent* entry = ::readdir(listing)) {
        char* end = nullptr;
        const long fd = std::strtol(entry->d_name, &end, 10);
        if (end != entry->d_name && *end == '\0' && fd >= 3 && fd != keep &&
            fd != ::dirfd(listing))
            open.push_back(static_cast<int>(fd));
    }
    ::closedir(listing);
    for (int fd : open) ::close(fd);
    return true;
}

struct Worker {
    pid_t pid = 0;
    pid_t owner = 0;  // the process that forked it
    int socket = -1;
};

std::mutex workerLock;
Worker worker;

void StopWorker()
{
    ::kill(worker.pid, SIGKILL);
    while (::waitpid(worker.pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    ::close(worker.socket);
    worker = Worker{};
}

// At a normal exit the worker is reaped here rather than left a zombie of whoever inherits it. A
// request still running on another thread keeps the lock; that worker dies with this process.
void StopWorkerAtExit()
{
    const std::unique_lock<std::mutex> hold(workerLock, std::try_to_lock);
    if (hold.owns_lock() && worker.pid != 0 && worker.owner == ::getpid()) StopWorker();
}

bool StartWorker()
{
    static bool stopsAtExit = false;
    if (!stopsAtExit) stopsAtExit = std::atexit(StopWorkerAtExit) == 0;
    int ends[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0) return false;
    const pid_t parent = ::getpid();
    const pid_t pid = ::fork();
    if (pid < 0) {
        ::close(ends[0]);
        ::close(ends[1]);
        return false;
    }
    if (pid == 0) {
        // The signal comes when the forking thread ends, which for the viewer is its main thread;
        // a parent gone before prctl is seen through getppid. _exit skips every exit handler
        // and destructor of the parent's state.
        ::close(ends[0]);
        if (::prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || ::getppid() != parent ||
            !KeepOnlyDescriptor(ends[1]))
            ::_exit(0);
        LimitChildMemory();
        Serve(ends[1]);
    }
    ::close(ends[1]);
    worker = Worker{pid, parent, ends[0]};
    return true;
}

// An idle worker has sent nothing and still holds its end; bytes or a hang-up between requests
// mean it died or misbehaved.
bool WorkerIdle()
{
    pollfd p{worker.socket, POLLIN, 0};
    int ready;
    while ((ready = ::poll(&p, 1, 0)) < 0 && errno == EINTR) {
    }
    return ready == 0;
}

using Clock = std::chrono::steady_clock;

// Waits for the socket to be ready for `events` until the deadline.
bool WaitFor(short events, Clock::time_point deadline)
{
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0) return false;
        pollfd p{worker.socket, events, 0};
        const int ready = ::poll(&p, 1, static_cast<int>(std::min<long long>(left, 1 << 30)));
        if (ready < 0 && errno == EINTR) continue;
        return ready > 0;
    }
}

bool SendBy(const void* data, std::size_t size, Clock::time_point deadline)
{
    const auto* at = static_cast<const std::uint8_t*>(data);
    while (size > 0) {
        if (!WaitFor(POLLOUT, deadline)) return false;
        const ssize_t n = ::send(worker.socket, at, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) return false;
        at += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

// Receives up to `most` bytes once they come, or -1 when the deadline passes or the worker
// hangs up.
ssize_t ReceiveSome(void* into, std::size_t most, Clock::time_point deadline)
{
    for (;;) {
        if (!WaitFor(POLLIN, deadline)) return -1;
        const ssize_t n = ::recv(worker.socket, into, most, MSG_DONTWAIT);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        return n > 0 ? n : -1;
    }
}

bool ReceiveReply(Reply& reply, Clock::time_point deadline)
{
    auto* at = reinterpret_cast<std::uint8_t*>(&reply);
    for (std::size_t left = sizeof reply; left > 0;) {
        const ssize_t n = ReceiveSome(at, left, deadline);
        if (n < 0) return false;
        at += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// The size is reserved at once, having been held to the caller's limit, and filled as it comes:
// a worker that promises much and sends little leaves it untouched.
bool ReceiveAnswer(std::vector<std::uint8_t>& answer, std::size_t size, Clock::time_point deadline)
{
    answer.reserve(size);
    std::uint8_t chunk[65536];
    while (answer.size() < size) {
        const std::size_t most = std::min(size - answer.size(), sizeof chunk);
        const ssize_t n = ReceiveSome(chunk, most, deadline);
        if (n < 0) return false;
        answer.insert(answer.end(), chunk, chunk + n);
    }
    return true;
}

// Under workerLock: a worker of this process that is idle, started when there was none.
bool ReadyWorker()
{
    // A process forked from this one inherits the record of a worker that is not its own.
    if (worker.pid != 0 && worker.owner != ::getpid()) {
        ::close(worker.socket);
        worker = Worker{};
    }
    if (worker.pid != 0 && !WorkerIdle()) StopWorker();
    return worker.pid != 0 || StartWorker();
}

}  // namespace

bool StartWorkerNow()
{
    const std::lock_guard<std::mutex> hold(workerLock);
    return ReadyWorker();
}

bool RunInWorker(WorkerJob job, int argument, const std::vector<std::uint8_t>& input,
                 std::vector<std::uint8_t>& answer, int timeoutMs, std::size_t maxBytes)
{
    answer.clear();
    const std::lock_guard<std::mutex> hold(workerLock);
    if (!ReadyWorker()) return false;
    const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
    const Request request{job, argument, input.size()};
    Reply reply{};
    const bool answered = SendBy(&request, sizeof request, deadline) &&
                          SendBy(input.data(), input.size(), deadline) &&
                          ReceiveReply(reply, deadline) && reply.succeeded <= 1 &&
                          reply.size <= (reply.succeeded ? maxBytes : 0) &&
                          ReceiveAnswer(answer, reply.size, deadline);
    if (!answered) {
        StopWorker();
        answer.clear();
        return false;
    }
    return reply.succeeded == 1;
}
