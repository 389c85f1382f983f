#ifndef ZARVY_APP_FOCUSWATCHER_H
#define ZARVY_APP_FOCUSWATCHER_H

// Tells when the game window loses the keyboard focus, after which its key
// releases go to another window. It leaves the toolkit's handling of the
// window as it was and never blocks.
class FocusWatcher {
public:
    // Watches the window that the current GL context draws to; watches
    // nothing when there is none.
    FocusWatcher();
    virtual ~FocusWatcher();
    // One watch per object: a copy would end it twice.
    FocusWatcher(const FocusWatcher&) = delete;
    FocusWatcher& operator=(const FocusWatcher&) = delete;

    // True when the window lost the keyboard focus at least once since the
    // last call (or since construction), even if it has it back by now.
    bool focusLost();

private:
    // What the platform needs to watch the window; each platform's source
    // defines it.
    struct Watch;

    Watch* watch = nullptr;
};

#endif
