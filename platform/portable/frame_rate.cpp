// The frame counter of CRS_FPS: the wall-clock times of the steps of start-up and of the first
// frame, so that a script which noted when it started the program gets the time to the first
// frame and where it went, and the frames of each second after it.
#include "platform/portable/frame_rate.h"

#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

double Seconds(clockid_t clock)
{
    timespec now{};
    clock_gettime(clock, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

bool Enabled()
{
    static const bool enabled = std::getenv("CRS_FPS") != nullptr;
    return enabled;
}

long total = 0;  // frames presented

}  // namespace

void MarkStartupStep(const char* step)
{
    if (Enabled() && total == 0)
        std::fprintf(stderr, "crs-fps: %s done at %.6f\n", step, Seconds(CLOCK_REALTIME));
}

void CountPresentedFrame()
{
    if (!Enabled()) return;
    static long sinceReport = 0;
    static double reportedAt = 0.0;
    ++total;
    ++sinceReport;
    const double now = Seconds(CLOCK_MONOTONIC);
    if (total == 1) {
        std::fprintf(stderr, "crs-fps: first frame at %.6f\n", Seconds(CLOCK_REALTIME));
        reportedAt = now;
        sinceReport = 0;
        return;
    }
    if (now - reportedAt < 1.0) return;
    std::fprintf(stderr, "crs-fps: %.1f fps, %ld frames in total\n",
                 static_cast<double>(sinceReport) / (now - reportedAt), total);
    reportedAt = now;
    sinceReport = 0;
}
