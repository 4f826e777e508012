// One frame: clear, the ten overlay lines on the window, the course and the car, present.
#pragma once

#include "platform/platform.h"

// Shared by the ten overlay lines; after a frame it holds the last line drawn.
extern char overlayText[80];

// Draws and presents one frame; the overlay goes through `hdc`, the window's device context.
void Render(HDC hdc);
