#ifndef ZARVY_APP_FOCUSWATCHER_H
#define ZARVY_APP_FOCUSWATCHER_H

struct _XDisplay;

// Tells when the game window loses the keyboard focus, after which its key
// releases go to another window. It listens on an X connection of its own,
// so the toolkit's event mask and event loop stay untouched, and it never
// blocks.
class FocusWatcher {
public:
    // Watches the window that the current GL context draws to; watches
    // nothing when there is none.
    FocusWatcher();
    virtual ~FocusWatcher();

    // True when the window lost the keyboard focus at least once since the
    // last call (or since construction), even if it has it back by now.
    bool focusLost();

private:
    _XDisplay* connection = nullptr;
};

#endif
