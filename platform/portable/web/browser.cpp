// The page's side of browser.h, as JavaScript: the pauses are Asyncify's, so WinMain's loop and
// MessageBoxA keep their own terms while the browser goes on between them.
#include "platform/portable/web/browser.h"

#include <emscripten.h>

EM_ASYNC_JS(void, WaitForNextFrame, (), {
    Module.frameShown();
    await new Promise(resolve => requestAnimationFrame(() => resolve()));
});

EM_ASYNC_JS(int, ShowMessageBoxOnPage, (const char* caption, const char* text, const char* labels), {
    return await Module.showMessageBox(UTF8ToString(caption), UTF8ToString(text),
                                       UTF8ToString(labels).split('\n'));
});

EM_JS(void, NotifyProgramEnded, (int status), { Module.programEnded(status); });
