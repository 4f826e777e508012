// A platform extension for benchmarks, as Mesa's and Wine's frame counters are: with CRS_FPS set
// in the environment, presented frames are counted and reported on stderr. Off by default.
#pragma once

// Called by Present once a frame is on its way to the screen. With CRS_FPS set, the first call
// prints "crs-fps: first frame at <seconds since the epoch>" and every second after that prints
// "crs-fps: <frames per second> fps, <frames> frames in total".
void CountPresentedFrame();
