#include "app/FocusWatcher.h"

#include "app/WindowSubclassWin32.h"

#include <windows.h>
#include <commctrl.h>

namespace {
// True when the message takes the keyboard away from the window. A move to
// one of its own child windows keeps the keys coming here.
bool losesFocus(HWND window, UINT message, WPARAM wParam)
{
    if (message == WM_KILLFOCUS) {
        const HWND next = reinterpret_cast<HWND>(wParam);
        return next == nullptr || !IsChild(window, next);
    }
    if (message == WM_ACTIVATE) {
        return LOWORD(wParam) == WA_INACTIVE;
    }
    if (message == WM_ACTIVATEAPP) {
        return wParam == FALSE;
    }
    return false;
}
}

// Whether the window lost the focus since the last poll, set from its
// messages.
struct FocusWatcher::Watch {
    bool lost = false;
    WindowSubclass subclass{&Watch::handle, this};

    static LRESULT handle(void* data, HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

LRESULT FocusWatcher::Watch::handle(void* data, HWND window, UINT message, WPARAM wParam,
                                    LPARAM lParam)
{
    if (losesFocus(window, message, wParam)) {
        static_cast<Watch*>(data)->lost = true;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

FocusWatcher::FocusWatcher() : watch(new Watch())
{
    if (!watch->subclass.installed()) {
        delete watch;
        watch = nullptr;
    }
}

FocusWatcher::~FocusWatcher()
{
    delete watch;
}

bool FocusWatcher::focusLost()
{
    if (watch == nullptr) {
        return false;
    }
    // The messages arrive through the toolkit's own message loop (or at
    // once, for a focus change made on this thread); this only reads them.
    const bool lost = watch->lost;
    watch->lost = false;
    return lost;
}
