/* send-close WINDOW: asks the X window (its decimal id) to close as the close button does, with
 * the window manager's WM_DELETE_WINDOW message; xdotool's windowclose destroys it instead. */
#include <X11/Xlib.h>
#include <stdio.h>
#include <stdlib.h>

int main(int argc, char** argv)
{
    Display* display = argc == 2 ? XOpenDisplay(NULL) : NULL;
    if (display == NULL) {
        fprintf(stderr, "usage: send-close WINDOW, with DISPLAY set\n");
        return 2;
    }
    XEvent event = {0};
    event.xclient.type = ClientMessage;
    event.xclient.window = strtoul(argv[1], NULL, 10);
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = (long)XInternAtom(display, "WM_DELETE_WINDOW", False);
    event.xclient.data.l[1] = CurrentTime;
    const Status sent = XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
    XCloseDisplay(display);
    return sent != 0 ? 0 : 1;
}
