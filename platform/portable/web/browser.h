// What the backend asks of the web page it runs in (web/shell.html): a pause after each frame,
// in which the browser shows the canvas and delivers input, a message box drawn on the page, and
// the notice that the program has ended.
#pragma once

// Returns at the browser's next animation frame; the program's own state waits meanwhile.
void WaitForNextFrame();

// Shows the box on the page and returns the index of the button chosen; `labels` are the
// buttons' texts, one a line, the first the default.
int ShowMessageBoxOnPage(const char* caption, const char* text, const char* labels);

// Tells the page that WinMain has returned `status`.
void NotifyProgramEnded(int status);
