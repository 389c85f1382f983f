#ifndef ZARVY_APP_WINDOWSUBCLASSWIN32_H
#define ZARVY_APP_WINDOWSUBCLASSWIN32_H

#include <windows.h>

// The game window's messages, seen before the toolkit's own procedure gets
// them. The procedure is subclassed through comctl32, which chains the
// toolkit's procedure and any other subclass in order and lets each one be
// removed on its own, so the toolkit handles every message as before. Used
// by the Windows sources of the pieces that watch the window.
class WindowSubclass {
public:
    // Handles one message for DATA and returns its result: DefSubclassProc's
    // for every message it leaves to the toolkit.
    using Handler = LRESULT (*)(void* data, HWND window, UINT message, WPARAM wParam,
                                LPARAM lParam);

    // Subclasses the window that the current GL context draws to; nothing
    // when there is none, or when comctl32 refuses.
    WindowSubclass(Handler handler, void* data);
    // Removes the subclass, unless the window has already gone.
    ~WindowSubclass();
    WindowSubclass(const WindowSubclass&) = delete;
    WindowSubclass& operator=(const WindowSubclass&) = delete;

    // True while the subclass is in place.
    bool installed() const { return window != nullptr; }

private:
    static LRESULT CALLBACK procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                      UINT_PTR id, DWORD_PTR data);

    HWND window = nullptr;
    Handler handler;
    void* data;
};

#endif
