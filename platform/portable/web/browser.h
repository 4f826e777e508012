// What the backend asks of the web page it runs in (web/crs-move-pos.html): a pause after each
// frame, in which the browser shows the canvas and delivers input, a message box drawn on the
// page, and the notice that the program has ended.
#pragma once

// Returns at the browser's next animation frame; the program's own state waits meanwhile.
void WaitForNextFrame();

// Shows the box, with its one button, OK, on the page and returns when that is chosen.
void ShowMessageBoxOnPage(const char* caption, const char* text);

// Tells the page that WinMain has returned `status`.
void NotifyProgramEnded(int status);
