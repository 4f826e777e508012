// Running a parser of untrusted files in a forked child: the work's bytes come back over a pipe,
// and a crash, a hang, an oversized answer or memory beyond a few gigabytes in the child is just
// a failure for the caller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// Runs `work` in a child process; true with the bytes it produced when it returned true and the
// child ended normally within `timeoutMs`, with no more than `maxBytes` of answer.
bool RunInChildProcess(const std::function<bool(std::vector<std::uint8_t>&)>& work,
                       std::vector<std::uint8_t>& answer, int timeoutMs, std::size_t maxBytes);
