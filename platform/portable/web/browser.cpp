// The page's side of browser.h, as JavaScript: the pauses are Asyncify's, so WinMain's loop and
// MessageBoxA keep their own terms while the browser goes on between them. Each is called through
// a C++ function, since only the file that defines one knows how the page provides it.
#include "platform/portable/web/browser.h"

#include <emscripten.h>

namespace {

EM_ASYNC_JS(void, PageWaitForNextFrame, (), {
    Module.frameShown();
    await new Promise(resolve => requestAnimationFrame(() => resolve()));
});

EM_ASYNC_JS(void, PageShowMessageBox, (const char* caption, const char* text), {
    await Module.showMessageBox(UTF8ToString(caption), UTF8ToString(text));
});

EM_JS(void, PageProgramEnded, (int status), { Module.programEnded(status); });

}  // namespace

void WaitForNextFrame() { PageWaitForNextFrame(); }

void ShowMessageBoxOnPage(const char* caption, const char* text)
{
    PageShowMessageBox(caption, text);
}

void NotifyProgramEnded(int status) { PageProgramEnded(status); }
