// The browser's stand-in for the loader process runs each job in the caller's own process: what
// a job computes comes back, and a refusal, a throw (a failed allocation among them) or an answer
// over the limit fails that request alone, with nothing left in the answer.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "platform/portable/child_process.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

bool AddArgument(const Bytes& input, int argument, Bytes& out)
{
    out = input;
    for (std::uint8_t& byte : out) byte = static_cast<std::uint8_t>(byte + argument);
    return true;
}

bool RefuseAfterWriting(const Bytes& input, int, Bytes& out)
{
    out = input;
    return false;
}

bool Throw(const Bytes&, int, Bytes&) { throw std::runtime_error("bad file"); }

// As a parser's allocation fails when a file claims more elements than memory holds.
bool RunOutOfMemory(const Bytes&, int, Bytes& out)
{
    out.resize(16);
    throw std::bad_alloc();
}

struct Case {
    const char* name;
    WorkerJob job;
    std::size_t maxBytes;
    bool succeeds;
    Bytes answer;
};

TEST(WorkerInProcess, AJobsFailureFailsItsRequestAndLeavesNoAnswer)
{
    const Bytes input{1, 2, 3};
    const Case cases[] = {
        {"answered", AddArgument, 3, true, {3, 4, 5}},
        {"refused", RefuseAfterWriting, 64, false, {}},
        {"threw", Throw, 64, false, {}},
        {"ran out of memory", RunOutOfMemory, 64, false, {}},
        {"answer over the limit", AddArgument, 2, false, {}},
    };
    for (const Case& c : cases) {
        Bytes answer{9};
        EXPECT_EQ(RunInWorker(c.job, 2, input, answer, 1000, c.maxBytes), c.succeeds) << c.name;
        EXPECT_EQ(answer, c.answer) << c.name;
    }
}

}  // namespace
