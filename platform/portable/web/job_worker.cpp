// RunInWorker in the browser, both sides of it. The page hands each job to a Web Worker that runs
// a second instance of this module without its main (job_worker.js), and waits for the answer,
// paused by Asyncify as WinMain is between frames; a job past its deadline, or one that crashed,
// ends with its Worker and fails. In the Worker, the functions below take the job's input, run the
// job and give its answer.
#include <emscripten.h>

#include <cstdint>
#include <new>

#include "platform/portable/child_process.h"

namespace {

// The page's side: the answer, when there is one, waits in the page's JavaScript until it is
// copied into this module's memory.
EM_ASYNC_JS(int, PageRunJob, (int job, int argument, const std::uint8_t* input, std::size_t size,
                              int timeoutMs, std::size_t* answerSize), {
    const bytes = HEAPU8.slice(input, input + (size >>> 0));
    Module.jobAnswer = await Module.runJob(job, argument, bytes, timeoutMs);
    if (Module.jobAnswer === null) return 0;
    HEAPU32[answerSize >> 2] = Module.jobAnswer.byteLength;
    return 1;
});

// Copies the waiting answer to `to` (null: drops it).
EM_JS(void, PageTakeJobAnswer, (std::uint8_t* to), {
    if (to) HEAPU8.set(new Uint8Array(Module.jobAnswer), to);
    Module.jobAnswer = null;
});

// The Worker's side: one job at a time.
std::vector<std::uint8_t> jobInput;
std::vector<std::uint8_t> jobAnswer;

}  // namespace

bool RunInWorker(WorkerJob job, int argument, const std::vector<std::uint8_t>& input,
                 std::vector<std::uint8_t>& answer, int timeoutMs, std::size_t maxBytes)
{
    answer.clear();
    std::size_t size = 0;
    const int index = static_cast<int>(reinterpret_cast<std::uintptr_t>(job));
    if (PageRunJob(index, argument, input.data(), input.size(), timeoutMs, &size) &&
        size <= maxBytes) {
        try {
            answer.resize(size);
            PageTakeJobAnswer(answer.data());
            return true;
        } catch (const std::bad_alloc&) {
        }
    }
    PageTakeJobAnswer(nullptr);
    std::vector<std::uint8_t>().swap(answer);
    return false;
}

extern "C" {

// Room for the next job's input, `size` bytes in this instance's memory; null when there is none.
EMSCRIPTEN_KEEPALIVE std::uint8_t* WorkerJobInput(std::size_t size)
{
    std::vector<std::uint8_t>().swap(jobAnswer);
    try {
        jobInput.resize(size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return jobInput.data();
}

// Runs the job at `job` in the function table on the input; 1 when it succeeded.
EMSCRIPTEN_KEEPALIVE int WorkerRunJob(int job, int argument)
{
    const auto run = reinterpret_cast<WorkerJob>(static_cast<std::uintptr_t>(job));
    const bool succeeded = RunJobHere(run, argument, jobInput, jobAnswer);
    std::vector<std::uint8_t>().swap(jobInput);
    return succeeded ? 1 : 0;
}

EMSCRIPTEN_KEEPALIVE const std::uint8_t* WorkerJobAnswer() { return jobAnswer.data(); }

EMSCRIPTEN_KEEPALIVE std::size_t WorkerJobAnswerSize() { return jobAnswer.size(); }

}  // extern "C"
