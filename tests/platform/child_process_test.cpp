// Parsers of untrusted files run in one worker process, reused across requests: what a job
// computes comes back, whatever goes wrong in it (a crash, a hang, an answer too large, too much
// memory, a refusal) fails only its own request, and the worker holds nothing of the viewer's and
// dies with it.
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

#include "platform/portable/child_process.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

struct Count {
    std::uint32_t calls = 0;  // in this worker, counting this one; 0 when the request failed
    std::uint32_t pid = 0;
};

Count Call()
{
    const WorkerJob job = [](const Bytes&, int, Bytes& out) {
        static std::uint32_t calls = 0;
        const Count count{++calls, static_cast<std::uint32_t>(::getpid())};
        out.resize(sizeof count);
        std::memcpy(out.data(), &count, sizeof count);
        return true;
    };
    Bytes answer;
    Count count;
    if (RunInWorker(job, 0, {}, answer, 10000, 64) && answer.size() == sizeof count)
        std::memcpy(&count, answer.data(), sizeof count);
    return count;
}

bool Crash(const Bytes&, int, Bytes&)
{
    std::raise(SIGSEGV);
    return true;
}

// A worker that failed has been reaped: it is no longer a child of this process.
bool Reaped(std::uint32_t pid)
{
    return ::waitpid(static_cast<pid_t>(pid), nullptr, WNOHANG) < 0 && errno == ECHILD;
}

TEST(Worker, InputAndAnswerLargerThanTheSocketHoldsArriveIntactInAReusedWorker)
{
    // Both ways at once: a worker that answered before reading all of its input would deadlock.
    Bytes input(4u << 20), answer;
    for (std::size_t i = 0; i < input.size(); ++i)
        input[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    const WorkerJob add = [](const Bytes& in, int argument, Bytes& out) {
        out = in;
        for (std::uint8_t& byte : out) byte = static_cast<std::uint8_t>(byte + argument);
        return true;
    };
    ASSERT_TRUE(RunInWorker(add, 3, input, answer, 10000, 8u << 20));
    ASSERT_EQ(answer.size(), input.size());
    for (std::size_t i = 0; i < input.size(); ++i)
        ASSERT_EQ(answer[i], static_cast<std::uint8_t>(input[i] + 3)) << "at " << i;

    const Count first = Call(), second = Call();
    ASSERT_GE(first.calls, 1u);
    EXPECT_EQ(second.calls, first.calls + 1);
    EXPECT_EQ(second.pid, first.pid);
    EXPECT_NE(first.pid, static_cast<std::uint32_t>(::getpid()));
}

// A crash, a hang, an oversized answer and a worker killed between requests end the worker, and a
// fresh one takes over; memory beyond the budget (five gigabytes), a refusal or an exception fail
// the request alone.
TEST(Worker, EachFailureFailsItsRequestAndOnlyADeadWorkerIsReplaced)
{
#ifdef __SANITIZE_ADDRESS__
    // AddressSanitizer's allocator ends the process where malloc would return null.
    constexpr bool kFailedAllocationEndsTheWorker = true;
#else
    constexpr bool kFailedAllocationEndsTheWorker = false;
#endif
    const struct {
        const char* what;
        WorkerJob job;  // null: the worker is killed before the request
        int timeoutMs;
        bool replaced;
    } failures[] = {
        {"crash", Crash, 10000, true},
        {"hang", [](const Bytes&, int, Bytes&) -> bool { for (;;) ::pause(); }, 200, true},
        {"oversized answer", [](const Bytes&, int, Bytes& out) { out.assign(4096, 0); return true; },
         10000, true},
        {"five gigabytes",
         [](const Bytes&, int, Bytes&) {
             void* volatile block = std::malloc(std::size_t{5} << 30);
             std::free(block);
             return block != nullptr;
         },
         10000, kFailedAllocationEndsTheWorker},
        {"killed between requests", nullptr, 10000, true},
        {"refusal", [](const Bytes&, int, Bytes&) { return false; }, 10000, false},
        {"refusal after writing",
         [](const Bytes&, int, Bytes& out) {
             out.assign(16, 1);
             return false;
         },
         10000, false},
        {"exception",
         [](const Bytes&, int, Bytes&) -> bool { throw std::runtime_error("parser gave up"); },
         10000, false},
    };
    for (const auto& f : failures) {
        SCOPED_TRACE(f.what);
        const Count before = Call();
        ASSERT_GE(before.calls, 1u);
        if (f.job) {
            Bytes answer{1, 2, 3};
            EXPECT_FALSE(RunInWorker(f.job, 0, {}, answer, f.timeoutMs, 1024));
            EXPECT_TRUE(answer.empty());
        } else {
            ASSERT_EQ(::kill(static_cast<pid_t>(before.pid), SIGKILL), 0);
            // Waits for its death but leaves the reaping to RunInWorker.
            siginfo_t info{};
            ASSERT_EQ(::waitid(P_PID, before.pid, &info, WEXITED | WNOWAIT), 0);
        }
        const Count after = Call();
        EXPECT_EQ(after.calls, f.replaced ? 1u : before.calls + 1);
        EXPECT_EQ(after.pid != before.pid, f.replaced);
        EXPECT_EQ(Reaped(before.pid), f.replaced);
    }
}

TEST(Worker, HoldsNoDescriptorItInherited)
{
    int ends[2];
    ASSERT_EQ(::pipe(ends), 0);
    // The crash ends any worker forked before the pipe existed; the next one inherits it.
    Bytes answer;
    EXPECT_FALSE(RunInWorker(Crash, 0, {}, answer, 10000, 1024));
    EXPECT_EQ(Call().calls, 1u);
    ::close(ends[1]);
    pollfd p{ends[0], POLLIN, 0};
    ASSERT_EQ(::poll(&p, 1, 5000), 1) << "the worker still holds the pipe's write end";
    char byte;
    EXPECT_EQ(::read(ends[0], &byte, 1), 0);
    ::close(ends[0]);
}

// What became of the worker of a process forked from this one, which makes a request of its own
// and then ends as `end` ends it; a subreaper between the two inherits that worker if it outlives
// its process. kReapedByItsProcess, kDiedWithItsProcess, or another number on a failure.
constexpr int kReapedByItsProcess = 10;
constexpr int kDiedWithItsProcess = 11;

int FateOfAForkedProcessWorker(void (*end)(int), std::uint32_t parentWorker)
{
    int ends[2];
    const pid_t reaper = ::pipe(ends) == 0 ? ::fork() : -1;
    if (reaper == 0) {
        ::alarm(20);
        if (::prctl(PR_SET_CHILD_SUBREAPER, 1) != 0) ::_exit(1);
        const pid_t viewer = ::fork();
        if (viewer == 0) {
            const Count own = Call();
            const bool written = ::write(ends[1], &own.pid, sizeof own.pid) == sizeof own.pid;
            end(own.calls == 1 && own.pid != parentWorker && written ? 0 : 1);
        }
        int status = 0;
        std::uint32_t worker = 0;
        if (viewer < 0 || ::waitpid(viewer, &status, 0) != viewer || status != 0 ||
            ::read(ends[0], &worker, sizeof worker) != sizeof worker)
            ::_exit(2);
        if (::waitpid(static_cast<pid_t>(worker), nullptr, 0) == static_cast<pid_t>(worker))
            ::_exit(kDiedWithItsProcess);
        ::_exit(errno == ECHILD ? kReapedByItsProcess : 3);
    }
    int status = 0;
    if (reaper < 0 || ::waitpid(reaper, &status, 0) != reaper || !WIFEXITED(status)) return -1;
    ::close(ends[0]);
    ::close(ends[1]);
    return WEXITSTATUS(status);
}

// A forked process starts a worker of its own rather than talk to this one's, which goes on as
// before; that worker is reaped at the process's exit, and dies with it when it ends otherwise.
TEST(Worker, AForkedProcessHasItsOwnWhichEndsWithIt)
{
    const Count before = Call();
    ASSERT_GE(before.calls, 1u);
    EXPECT_EQ(FateOfAForkedProcessWorker([](int status) { std::exit(status); }, before.pid),
              kReapedByItsProcess);
    EXPECT_EQ(FateOfAForkedProcessWorker([](int status) { ::_exit(status); }, before.pid),
              kDiedWithItsProcess);
    const Count after = Call();
    EXPECT_EQ(after.calls, before.calls + 1);
    EXPECT_EQ(after.pid, before.pid);
}

}  // namespace
