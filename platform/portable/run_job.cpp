// What a worker does with each request, the loader process and the page's Web Worker alike: the
// job runs here, and its throw (a failed allocation among them) or its refusal fails the request
// with nothing left in the answer.
#include "platform/portable/child_process.h"

bool RunJobHere(WorkerJob job, int argument, const std::vector<std::uint8_t>& input,
                std::vector<std::uint8_t>& output)
{
    output.clear();
    bool succeeded = false;
    try {
        succeeded = job(input, argument, output);
    } catch (...) {
        succeeded = false;
    }
    // The memory of a large failed answer goes back now, not at the next job.
    if (!succeeded) std::vector<std::uint8_t>().swap(output);
    return succeeded;
}
