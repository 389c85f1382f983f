#include "app/FocusWatcher.h"

#include <GL/glx.h>
#include <X11/Xlib.h>

// An X connection of the watcher's own, so the toolkit's event mask and
// event loop stay untouched.
struct FocusWatcher::Watch {
    Display* connection = nullptr;
};

FocusWatcher::FocusWatcher()
{
    Display* toolkitDisplay = glXGetCurrentDisplay();
    const Window window = glXGetCurrentDrawable();
    if (toolkitDisplay == nullptr || window == 0) {
        return;
    }
    Display* connection = XOpenDisplay(DisplayString(toolkitDisplay));
    if (connection == nullptr) {
        return;
    }
    // Event masks are per client: this one adds focus changes for this
    // connection only.
    XSelectInput(connection, window, FocusChangeMask);
    XFlush(connection);
    watch = new Watch();
    watch->connection = connection;
}

FocusWatcher::~FocusWatcher()
{
    if (watch != nullptr) {
        XCloseDisplay(watch->connection);
        delete watch;
    }
}

bool FocusWatcher::focusLost()
{
    if (watch == nullptr) {
        return false;
    }
    bool lost = false;
    // XPending reads what has arrived without waiting for more.
    while (XPending(watch->connection) > 0) {
        XEvent event;
        XNextEvent(watch->connection, &event);
        // A move to a child window keeps the keys coming here. Without a
        // window manager the focus may follow the pointer (detail
        // NotifyPointer), and any window mapped under the pointer takes it;
        // those changes are not counted. Every other loss, to another window,
        // to the root or to a grab, sends the releases away.
        const int detail = event.xfocus.detail;
        if (event.type == FocusOut && detail != NotifyInferior && detail != NotifyPointer) {
            lost = true;
        }
    }
    return lost;
}
