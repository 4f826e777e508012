// Running a parser of untrusted files in a worker process, forked once and reused: the job's
// input goes to the worker and its answer comes back over a socket, and a crash, a hang, an
// oversized answer or memory beyond a few gigabytes in the worker is just a failure for the caller.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A job for the worker: reads `input` and `argument`, writes `output`; false or a throw is a
// failure. A plain function, so that its address means the same in the worker, which is a fork of
// this process: it must live in the program or in a library loaded before the first request.
using WorkerJob = bool (*)(const std::vector<std::uint8_t>& input, int argument,
                           std::vector<std::uint8_t>& output);

// Runs `job` in the worker, forking it first when there is none yet or the last one failed;
// true with the bytes it produced when it returned true and its answer, of no more than
// `maxBytes`, came back within `timeoutMs`. On a failure `answer` is empty; a worker that
// crashed, hung or sent too much is killed and reaped, and the next request forks a fresh one.
// Requests from several threads wait for each other.
bool RunInWorker(WorkerJob job, int argument, const std::vector<std::uint8_t>& input,
                 std::vector<std::uint8_t>& answer, int timeoutMs, std::size_t maxBytes);
