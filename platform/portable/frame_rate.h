// A platform extension for benchmarks, as Mesa's and Wine's frame counters are: with CRS_FPS set
// in the environment, the steps of start-up and the presented frames are timed and reported on
// stderr. Off by default.
#pragma once

// Called by Present once a frame is on its way to the screen. With CRS_FPS set, the first call
// prints "crs-fps: first frame at <seconds since the epoch>" and every second after that prints
// "crs-fps: <frames per second> fps, <frames> frames in total".
void CountPresentedFrame();

// Called as each step of start-up ends. With CRS_FPS set, and until the first frame, prints
// "crs-fps: <step> done at <seconds since the epoch>", so that a script can tell where the time
// to the first frame goes.
void MarkStartupStep(const char* step);
