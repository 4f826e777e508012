// RunInWorker where no process can be forked (the browser): the job runs in this process, its
// exceptions, an allocation beyond the page's memory limit among them, fail the request, and its
// answer is held to the same size limit as a worker's. A job that hangs cannot be interrupted
// here, so the timeout is not enforced.
#include <new>

#include "platform/portable/child_process.h"

bool RunInWorker(WorkerJob job, int argument, const std::vector<std::uint8_t>& input,
                 std::vector<std::uint8_t>& answer, int /*timeoutMs*/, std::size_t maxBytes)
{
    answer.clear();
    bool succeeded = false;
    try {
        succeeded = job(input, argument, answer);
    } catch (...) {
        succeeded = false;
    }
    if (!succeeded || answer.size() > maxBytes) {
        // The memory of a large failed answer goes back now, not at the next load.
        std::vector<std::uint8_t>().swap(answer);
        return false;
    }
    return true;
}
