// Parsers of untrusted files run in a child process: what the child computes comes back, and
// whatever goes wrong in it (a crash, a hang, an answer too large, a refusal) is only a failure.
#include <gtest/gtest.h>

#include <unistd.h>

#include <csignal>
#include <stdexcept>

#include "platform/portable/child_process.h"

namespace {

TEST(ChildProcess, AnswerComesBack)
{
    std::vector<std::uint8_t> answer;
    const auto work = [](std::vector<std::uint8_t>& out) {
        out.assign(200000, 7);  // more than a pipe holds at once
        out[199999] = 9;
        return true;
    };
    ASSERT_TRUE(RunInChildProcess(work, answer, 10000, 1u << 20));
    ASSERT_EQ(answer.size(), 200000u);
    EXPECT_EQ(answer[0], 7);
    EXPECT_EQ(answer[199999], 9);
}

TEST(ChildProcess, CrashHangRefusalAndOversizeAreFailures)
{
    std::vector<std::uint8_t> answer{1, 2, 3};
    const auto crash = [](std::vector<std::uint8_t>&) {
        std::raise(SIGSEGV);
        return true;
    };
    EXPECT_FALSE(RunInChildProcess(crash, answer, 10000, 1024));
    EXPECT_TRUE(answer.empty());
    const auto refuse = [](std::vector<std::uint8_t>&) { return false; };
    EXPECT_FALSE(RunInChildProcess(refuse, answer, 10000, 1024));
    EXPECT_FALSE(RunInChildProcess(
        [](std::vector<std::uint8_t>& out) {
            out.assign(4096, 0);
            return true;
        },
        answer, 10000, 1024));
    EXPECT_FALSE(RunInChildProcess(
        [](std::vector<std::uint8_t>&) {
            for (;;) ::pause();
            return true;
        },
        answer, 200, 1024));
    EXPECT_FALSE(RunInChildProcess(
        [](std::vector<std::uint8_t>&) -> bool { throw std::runtime_error("parser gave up"); },
        answer, 10000, 1024));
}

}  // namespace
