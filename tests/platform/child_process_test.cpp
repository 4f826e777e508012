// Parsers of untrusted files run in one worker process, reused across requests: what a job
// computes comes back, whatever goes wrong in it (a crash, a hang, an answer too large, a refusal)
// fails only its own request, and the worker holds nothing of the viewer's and dies with it.
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <stdexcept>
#include <string>

#include "platform/portable/child_process.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

// Counts its own calls in the worker: a fresh worker answers 1.
bool CountCalls(const Bytes&, int, Bytes& out)
{
    static std::uint32_t calls = 0;
    const std::uint32_t record[2] = {++calls, static_cast<std::uint32_t>(::getpid())};
    out.resize(sizeof record);
    std::memcpy(out.data(), record, sizeof record);
    return true;
}

struct Count {
    std::uint32_t calls = 0;  // 0 when the request failed
    pid_t pid = 0;
};

Count Call()
{
    Bytes answer;
    Count count;
    if (RunInWorker(CountCalls, 0, {}, answer, 10000, 64) && answer.size() == 8) {
        std::uint32_t record[2];
        std::memcpy(record, answer.data(), sizeof record);
        count = {record[0], static_cast<pid_t>(record[1])};
    }
    return count;
}

bool AddArgument(const Bytes& input, int argument, Bytes& out)
{
    out = input;
    for (std::uint8_t& byte : out) byte = static_cast<std::uint8_t>(byte + argument);
    return true;
}

bool Crash(const Bytes&, int, Bytes&)
{
    std::raise(SIGSEGV);
    return true;
}

bool Hang(const Bytes&, int, Bytes&)
{
    for (;;) ::pause();
}

bool AnswerTooMuch(const Bytes&, int, Bytes& out)
{
    out.assign(4096, 0);
    return true;
}

bool Refuse(const Bytes&, int, Bytes&) { return false; }

bool Throw(const Bytes&, int, Bytes&) { throw std::runtime_error("parser gave up"); }

// True when five gigabytes could be mapped, more than the worker's budget above what it inherited.
bool MapFiveGigabytes(const Bytes&, int, Bytes&)
{
    void* volatile block = std::malloc(std::size_t{5} << 30);
    std::free(block);
    return block != nullptr;
}

// Leaves a hundred megabytes of freed blocks in the heap below one that stays, so that the heap's
// top cannot shrink and only an explicit trim returns them.
bool FragmentHeap(const Bytes&, int, Bytes&)
{
    static void* kept = nullptr;
    std::vector<void*> blocks(1600);
    for (void*& block : blocks) {
        block = std::malloc(64u << 10);
        if (!block) return false;
        std::memset(block, 1, 64u << 10);
    }
    std::free(kept);
    kept = blocks.back();
    blocks.pop_back();
    for (void* block : blocks) std::free(block);
    return true;
}

// The resident memory of a process in kilobytes, 0 when it cannot be read.
long ResidentKilobytes(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
    return 0;
}

// A worker that failed has been reaped: it is no longer a child of this process.
bool Reaped(pid_t pid) { return ::waitpid(pid, nullptr, WNOHANG) < 0 && errno == ECHILD; }

TEST(Worker, InputAndAnswerLargerThanTheSocketHoldsArriveIntact)
{
    // Both ways at once: a worker that answered before reading all of its input would deadlock.
    Bytes input(4u << 20);
    for (std::size_t i = 0; i < input.size(); ++i)
        input[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    Bytes answer;
    ASSERT_TRUE(RunInWorker(AddArgument, 3, input, answer, 10000, 8u << 20));
    ASSERT_EQ(answer.size(), input.size());
    for (std::size_t i = 0; i < input.size(); ++i)
        ASSERT_EQ(answer[i], static_cast<std::uint8_t>(input[i] + 3)) << "at " << i;
}

TEST(Worker, IsReusedAcrossRequests)
{
    const Count first = Call();
    const Count second = Call();
    const Count third = Call();
    ASSERT_GE(first.calls, 1u);
    EXPECT_EQ(second.calls, first.calls + 1);
    EXPECT_EQ(third.calls, first.calls + 2);
    EXPECT_EQ(third.pid, first.pid);
    EXPECT_NE(first.pid, ::getpid());
}

TEST(Worker, CrashHangAndOversizedAnswerFailTheirRequestAndAFreshWorkerTakesOver)
{
    const struct {
        WorkerJob job;
        int timeoutMs;
    } failures[] = {{Crash, 10000}, {Hang, 200}, {AnswerTooMuch, 10000}};
    for (const auto& failure : failures) {
        const Count before = Call();
        ASSERT_GE(before.calls, 1u);
        Bytes answer{1, 2, 3};
        EXPECT_FALSE(RunInWorker(failure.job, 0, {}, answer, failure.timeoutMs, 1024));
        EXPECT_TRUE(answer.empty());
        EXPECT_TRUE(Reaped(before.pid));
        const Count after = Call();
        EXPECT_EQ(after.calls, 1u);
        EXPECT_NE(after.pid, before.pid);
    }
}

TEST(Worker, RefusalAndThrowFailTheirRequestAndKeepTheWorker)
{
    const Count before = Call();
    ASSERT_GE(before.calls, 1u);
    for (WorkerJob job : {Refuse, Throw}) {
        Bytes answer{1, 2, 3};
        EXPECT_FALSE(RunInWorker(job, 0, {}, answer, 10000, 1024));
        EXPECT_TRUE(answer.empty());
    }
    const Count after = Call();
    EXPECT_EQ(after.calls, before.calls + 1);
    EXPECT_EQ(after.pid, before.pid);
}

TEST(Worker, MemoryBeyondTheBudgetFailsTheRequest)
{
    Bytes answer;
    EXPECT_FALSE(RunInWorker(MapFiveGigabytes, 0, {}, answer, 10000, 1024));
    EXPECT_GE(Call().calls, 1u);
}

// AddressSanitizer's allocator keeps freed blocks in its quarantine, beyond any trim.
#ifndef __SANITIZE_ADDRESS__
TEST(Worker, ReturnsFreedMemoryAfterEachJob)
{
    const Count before = Call();
    const long residentBefore = ResidentKilobytes(before.pid);
    ASSERT_GT(residentBefore, 0);
    Bytes answer;
    ASSERT_TRUE(RunInWorker(FragmentHeap, 0, {}, answer, 10000, 1024));
    // The trim follows the answer; the next request's answer follows the trim.
    const Count after = Call();
    ASSERT_EQ(after.pid, before.pid);
    EXPECT_LT(ResidentKilobytes(after.pid) - residentBefore, 32 << 10);
}
#endif

TEST(Worker, OneKilledBetweenRequestsIsReplaced)
{
    const Count before = Call();
    ASSERT_GE(before.calls, 1u);
    ASSERT_EQ(::kill(before.pid, SIGKILL), 0);
    // Waits for its death but leaves the reaping to RunInWorker.
    siginfo_t info{};
    ASSERT_EQ(::waitid(P_PID, static_cast<id_t>(before.pid), &info, WEXITED | WNOWAIT), 0);
    const Count after = Call();
    EXPECT_EQ(after.calls, 1u);
    EXPECT_NE(after.pid, before.pid);
    EXPECT_TRUE(Reaped(before.pid));
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

int FateOfAForkedProcessWorker(void (*end)(int), pid_t parentWorker)
{
    int ends[2];
    if (::pipe(ends) != 0) return -1;
    const pid_t reaper = ::fork();
    if (reaper < 0) return -1;
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
        if (viewer < 0 || ::waitpid(viewer, &status, 0) != viewer || !WIFEXITED(status) ||
            WEXITSTATUS(status) != 0)
            ::_exit(2);
        pid_t worker = 0;
        if (::read(ends[0], &worker, sizeof worker) != sizeof worker) ::_exit(3);
        if (::waitpid(worker, nullptr, 0) == worker) ::_exit(kDiedWithItsProcess);
        ::_exit(errno == ECHILD ? kReapedByItsProcess : 4);
    }
    ::close(ends[0]);
    ::close(ends[1]);
    int status = 0;
    if (::waitpid(reaper, &status, 0) != reaper || !WIFEXITED(status)) return -1;
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
