// Running a parser of untrusted files in a worker, started once and reused: the job's input goes to
// the worker and its answer comes back, and a crash, a hang, an oversized answer or memory beyond
// a few gigabytes in the worker is just a failure for the caller. On the desktop the worker is a
// forked process (child_process.cpp), on Windows the program started again with CreateProcess
// (child_process_windows.cpp), in the browser a Web Worker (web/job_worker.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A job for the worker: reads `input` and `argument`, writes `output`; false or a throw is a
// failure. A plain function, so that its address means the same in the worker, which is a fork of
// this process, on Windows another run of the same program (the address goes as its offset in the
// image) or, in the browser, another instance of the same module, where the address is an index
// into the function table: it must live in the program or in a library loaded before the first
// request.
using WorkerJob = bool (*)(const std::vector<std::uint8_t>& input, int argument,
                           std::vector<std::uint8_t>& output);

// Runs `job` in the worker, starting it first when there is none yet or the last one failed;
// true with the bytes it produced when it returned true and its answer, of no more than
// `maxBytes`, came back within `timeoutMs`. On a failure `answer` is empty; a worker that
// crashed, hung or sent too much is ended, and the next request starts a fresh one.
// Requests from several threads wait for each other.
bool RunInWorker(WorkerJob job, int argument, const std::vector<std::uint8_t>& input,
                 std::vector<std::uint8_t>& answer, int timeoutMs, std::size_t maxBytes);

// Starts the desktop's worker now, when none is running, rather than at the first request: called
// before the program loads its large libraries and starts its threads, it forks a small process of
// one thread. False when no worker could be started.
bool StartWorkerNow();

// The worker's side: runs `job` in this process; true with its output when it returned true, false
// with `output` empty when it refused or threw.
bool RunJobHere(WorkerJob job, int argument, const std::vector<std::uint8_t>& input,
                std::vector<std::uint8_t>& output);
